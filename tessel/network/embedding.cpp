#include "tessel/network/embedding.h"

#include <complex>

namespace Tessel {

namespace {

using Cd = std::complex<double>;
using WideMatrix = techsoft::matrix<Cd>;

Cd Wide(const TsComplex& z) {
    return {z.re, z.im};
}

// The block of m at (row, col) of nrows × ncols, in double.
WideMatrix Block(const ComplexMatrix& m, std::size_t row, std::size_t col, std::size_t nrows,
                 std::size_t ncols) {
    WideMatrix b(nrows, ncols);
    for (std::size_t r = 0; r < nrows; ++r) {
        for (std::size_t c = 0; c < ncols; ++c) {
            b(r, c) = Wide(m(row + r, col + c));
        }
    }
    return b;
}

}  // namespace

long EmbedNetwork(int first, int last, const std::vector<int>& ports, DataMatrix& data,
                  const ComplexMatrixVector& networks) {
    const std::size_t n = ports.size();
    if (n < 2 || n > 4 || first < 0 || first > last || last > data.PointCount() ||
        networks.size() < static_cast<std::size_t>(last)) {
        return kFail;
    }
    for (int k = first; k < last; ++k) {
        if (networks[k].rows() != 4 || networks[k].cols() != 4) {
            return kFail;
        }
    }
    // Measured S(i, j), one buffer per pair [i·n + j], each `last` samples long.
    std::vector<std::vector<TsComplex>> s(n * n, std::vector<TsComplex>(last));
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j) {
            if (!data.GetDataByPhysicalPort(ports[i], ports[j], s[i * n + j], first, last)) {
                return kFail;
            }
        }
    }
    const std::size_t nb = n - 2;  // ports of group B
    const WideMatrix eye = WideMatrix::identity(2);
    long status = kOk;
    WideMatrix sm(n, n);
    for (int k = first; k < last; ++k) {
        for (std::size_t e = 0; e < n * n; ++e) {
            sm(e / n, e % n) = Wide(s[e][k]);
        }
        const ComplexMatrix& net = networks[k];
        const WideMatrix e11 = Block(net, 0, 0, 2, 2), e12 = Block(net, 0, 2, 2, 2),
                         e21 = Block(net, 2, 0, 2, 2), e22 = Block(net, 2, 2, 2, 2);
        const WideMatrix saa = sm.submatrix(0, 0, 2, 2);
        WideMatrix left = eye - e22 * saa;   // (I − E22·S_AA)
        WideMatrix right = eye - saa * e22;  // (I − S_AA·E22)
        if (!left.inv() || !right.inv()) {
            for (std::size_t e = 0; e < n * n; ++e) {
                s[e][k] = TsComplex::m_minus200dB;
            }
            status = kFail;
            continue;
        }
        const WideMatrix aa = e11 + e12 * saa * left * e21;
        WideMatrix out(n, n);
        for (std::size_t r = 0; r < 2; ++r) {
            for (std::size_t c = 0; c < 2; ++c) {
                out(r, c) = aa(r, c);
            }
        }
        if (nb > 0) {
            const WideMatrix sab = sm.submatrix(0, 2, 2, nb), sba = sm.submatrix(2, 0, nb, 2),
                             sbb = sm.submatrix(2, 2, nb, nb);
            const WideMatrix ab = e12 * right * sab;
            const WideMatrix ba = sba * left * e21;
            const WideMatrix bb = sbb + sba * left * e22 * sab;
            for (std::size_t r = 0; r < 2; ++r) {
                for (std::size_t c = 0; c < nb; ++c) {
                    out(r, 2 + c) = ab(r, c);
                    out(2 + c, r) = ba(c, r);
                }
            }
            for (std::size_t r = 0; r < nb; ++r) {
                for (std::size_t c = 0; c < nb; ++c) {
                    out(2 + r, 2 + c) = bb(r, c);
                }
            }
        }
        for (std::size_t e = 0; e < n * n; ++e) {
            const Cd v = out(e / n, e % n);
            s[e][k] = TsComplex(static_cast<float>(v.real()), static_cast<float>(v.imag()));
        }
    }
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j) {
            data.SetDataByPhysicalPort(ports[i], ports[j], s[i * n + j], first, last);
        }
    }
    return status;
}

}  // namespace Tessel
