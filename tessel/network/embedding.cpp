// SPDX-License-Identifier: Apache-2.0
#include "tessel/network/embedding.h"

#include <complex>

namespace Tessel {

namespace {

using Cd = std::complex<double>;
using WideMatrix = techsoft::matrix<Cd>;

// Small row-major blocks of at most 2 × 2 elements in double; the per-point algebra works on
// these and on two reused 2 × 2 matrices, so embedding allocates nothing per point.
struct Block {
    int rows = 0, cols = 0;
    Cd v[4];
    Cd& operator()(int r, int c) { return v[r * cols + c]; }
    Cd operator()(int r, int c) const { return v[r * cols + c]; }
};

Block Product(const Block& a, const Block& b) {
    Block out;
    out.rows = a.rows;
    out.cols = b.cols;
    for (int r = 0; r < a.rows; ++r) {
        for (int c = 0; c < b.cols; ++c) {
            Cd sum = 0.0;
            for (int k = 0; k < a.cols; ++k) {
                sum += a(r, k) * b(k, c);
            }
            out(r, c) = sum;
        }
    }
    return out;
}

Block Sum(Block a, const Block& b) {
    for (int k = 0; k < a.rows * a.cols; ++k) {
        a.v[k] += b.v[k];
    }
    return a;
}

Cd Widen(const TsComplex& z) {
    return {z.re, z.im};
}
Cd Widen(const Cd& z) {
    return z;
}

// The block of m at (row, col) of nrows × ncols; m is rows × cols elements, row-major.
template <class Element>
Block Cut(const Element* m, int cols, int row, int col, int nrows, int ncols) {
    Block b;
    b.rows = nrows;
    b.cols = ncols;
    for (int r = 0; r < nrows; ++r) {
        for (int c = 0; c < ncols; ++c) {
            b(r, c) = Widen(m[(row + r) * cols + col + c]);
        }
    }
    return b;
}

// Replaces w by the Gauss-Jordan inverse of (I − a·b) (2 × 2); false when it is singular.
bool InvertIdentityMinus(const Block& a, const Block& b, WideMatrix& w) {
    const Block p = Product(a, b);
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 2; ++c) {
            w(r, c) = (r == c ? 1.0 : 0.0) - p(r, c);
        }
    }
    return w.inv();
}

Block FromMatrix(const WideMatrix& w) {
    return Cut(w.data(), 2, 0, 0, 2, 2);
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
    const int size = static_cast<int>(n), nb = size - 2;  // ports of group B
    WideMatrix left(2, 2), right(2, 2);
    Cd point[16];
    long status = kOk;
    for (int k = first; k < last; ++k) {
        for (std::size_t e = 0; e < n * n; ++e) {
            point[e] = Widen(s[e][k]);
        }
        const TsComplex* net = networks[k].data();
        const Block e11 = Cut(net, 4, 0, 0, 2, 2), e12 = Cut(net, 4, 0, 2, 2, 2),
                    e21 = Cut(net, 4, 2, 0, 2, 2), e22 = Cut(net, 4, 2, 2, 2, 2);
        const Block saa = Cut(point, size, 0, 0, 2, 2);
        // left = (I − E22·S_AA)⁻¹, right = (I − S_AA·E22)⁻¹.
        if (!InvertIdentityMinus(e22, saa, left) || !InvertIdentityMinus(saa, e22, right)) {
            for (std::size_t e = 0; e < n * n; ++e) {
                s[e][k] = TsComplex::m_minus200dB;
            }
            status = kFail;
            continue;
        }
        const Block l = FromMatrix(left);
        const Block aa = Sum(e11, Product(Product(Product(e12, saa), l), e21));
        Block ab, ba, bb;
        if (nb > 0) {
            const Block sab = Cut(point, size, 0, 2, 2, nb), sba = Cut(point, size, 2, 0, nb, 2),
                        sbb = Cut(point, size, 2, 2, nb, nb);
            const Block u = Product(sba, l);
            ab = Product(Product(e12, FromMatrix(right)), sab);
            ba = Product(u, e21);
            bb = Sum(sbb, Product(Product(u, e22), sab));
        }
        for (int e = 0; e < size * size; ++e) {
            const int r = e / size, c = e % size;
            const Cd v = r < 2 ? (c < 2 ? aa(r, c) : ab(r, c - 2))
                               : (c < 2 ? ba(r - 2, c) : bb(r - 2, c - 2));
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
