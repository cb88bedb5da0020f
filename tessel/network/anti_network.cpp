// SPDX-License-Identifier: Apache-2.0
#include "tessel/network/anti_network.h"

#include <algorithm>
#include <complex>

namespace Tessel {

namespace {

using Cd = std::complex<double>;

Cd Wide(const TsComplex& z) {
    return {z.re, z.im};
}
TsComplex Narrow(const Cd& z) {
    return TsComplex(static_cast<float>(z.real()), static_cast<float>(z.imag()));
}
// The textbook quotient without range checks, as TsComplex division (IEEE results for 0).
Cd Div(const Cd& a, const Cd& b) {
    const double inv = 1.0 / (b.real() * b.real() + b.imag() * b.imag());
    return {(a.real() * b.real() + a.imag() * b.imag()) * inv,
            (a.imag() * b.real() - a.real() * b.imag()) * inv};
}

// Copies a 2 × 2 block into m at (row, col).
void PutBlock(ComplexMatrix& m, const ComplexMatrix& block, std::size_t row, std::size_t col) {
    for (std::size_t r = 0; r < 2; ++r) {
        for (std::size_t c = 0; c < 2; ++c) {
            m(row + r, col + c) = block(r, c);
        }
    }
}

template <class F>
std::vector<TsComplex> PerPoint(const ComplexMatrixVector& ts, const std::vector<TsComplex>& g,
                                F f) {
    const std::size_t n = std::min(ts.size(), g.size());
    std::vector<TsComplex> out(n);
    for (std::size_t i = 0; i < n; ++i) {
        out[i] = f(ts[i], g[i]);
    }
    return out;
}

}  // namespace

ComplexMatrix antinet(const ComplexMatrix& s) {
    const Cd s00 = Wide(s.at_or_zero(0, 0)), s01 = Wide(s.at_or_zero(0, 1)),
             s10 = Wide(s.at_or_zero(1, 0)), s11 = Wide(s.at_or_zero(1, 1));
    const Cd det = s00 * s11 - s10 * s01;
    const Cd a00 = Div(s00, det);
    const Cd a01 = Div(1.0 - s11 * a00, s01);
    const Cd a10 = Div(1.0 - s11 * a00, s10);
    const Cd a11 = Div(a01 * a10 * s11, a00 * s11 - 1.0);
    return ComplexMatrix(2, 2, {Narrow(a00), Narrow(a01), Narrow(a10), Narrow(a11)});
}

long CalculateAntiNetwork(const ComplexMatrixVector& in, ComplexMatrixVector& out) {
    const std::size_t size = in.empty() ? 0 : in[0].rows();
    out.resize(in.size(), ComplexMatrix(size, size));
    const ComplexMatrix eye = ComplexMatrix::identity(2);
    for (std::size_t i = 0; i < in.size(); ++i) {
        const ComplexMatrix& f = in[i];
        const ComplexMatrix a = f.submatrix(0, 0, 2, 2);
        ComplexMatrix b = f.submatrix(0, 2, 2, 2);
        ComplexMatrix c = f.submatrix(2, 0, 2, 2);
        const ComplexMatrix d = f.submatrix(2, 2, 2, 2);
        if (Invert2By2Matrix(c) < 0 || Invert2By2Matrix(b) < 0) {
            return kFail;
        }
        const ComplexMatrix x = c * d * b;
        ComplexMatrix axI = a * x - eye;
        if (Invert2By2Matrix(axI) < 0) {
            return kFail;
        }
        const ComplexMatrix obb = x * axI;
        const ComplexMatrix oab = b * (eye - a * obb);
        ComplexMatrix iOa = eye - obb * a;
        const ComplexMatrix oba = iOa * c;
        if (Invert2By2Matrix(iOa) < 0) {
            return kFail;
        }
        const ComplexMatrix oaa = (oab * a * iOa * oba) * TsComplex(-1.0f);
        ComplexMatrix& o = out[i];
        if (o.rows() < 4 || o.cols() < 4) {
            o = ComplexMatrix(4, 4);
        }
        PutBlock(o, oaa, 0, 0);
        PutBlock(o, oab, 0, 2);
        PutBlock(o, oba, 2, 0);
        PutBlock(o, obb, 2, 2);
    }
    return kOk;
}

TsComplex cascadeGamma(const ComplexMatrix& t, const TsComplex& gamma) {
    const Cd g = Wide(gamma);
    return Narrow(Div(Wide(t.at_or_zero(1, 0)) + Wide(t.at_or_zero(1, 1)) * g,
                      Wide(t.at_or_zero(0, 0)) + Wide(t.at_or_zero(0, 1)) * g));
}
std::vector<TsComplex> cascadeGamma(const ComplexMatrixVector& ts, std::vector<TsComplex> gammas) {
    return PerPoint(ts, gammas,
                    [](const ComplexMatrix& t, const TsComplex& g) { return cascadeGamma(t, g); });
}

TsComplex gamma1Fwd(const ComplexMatrix& t, const TsComplex& gamma) {
    return cascadeGamma(t, gamma);
}
std::vector<TsComplex> gamma1Fwd(const ComplexMatrixVector& ts, std::vector<TsComplex> gammas) {
    return cascadeGamma(ts, std::move(gammas));
}

TsComplex gamma1Rev(const ComplexMatrix& t, const TsComplex& gamma) {
    return cascadeGamma(rowcol_swap(t), gamma);
}
std::vector<TsComplex> gamma1Rev(const ComplexMatrixVector& ts, std::vector<TsComplex> gammas) {
    return PerPoint(ts, gammas,
                    [](const ComplexMatrix& t, const TsComplex& g) { return gamma1Rev(t, g); });
}

TsComplex gamma2Rev(const ComplexMatrix& t, const TsComplex& gamma) {
    return cascadeGamma(tparm_mod(t), gamma);
}
std::vector<TsComplex> gamma2Rev(const ComplexMatrixVector& ts, std::vector<TsComplex> gammas) {
    return PerPoint(ts, gammas,
                    [](const ComplexMatrix& t, const TsComplex& g) { return gamma2Rev(t, g); });
}

std::vector<TsComplex> gamma2Fwd(const ComplexMatrixVector& ts, std::vector<TsComplex> gammas) {
    return PerPoint(ts, gammas, [](const ComplexMatrix& t, const TsComplex& g) {
        return cascadeGamma(tparm_swapL(t), g);
    });
}

namespace {

// The result buffers of the fixture error-term functions, one per function, created on first
// use and kept for the life of the process. Process-wide and not locked: not safe for
// concurrent use, so these functions are called from one thread at a time.
template <int Which>
std::vector<TsComplex>& ResultBuffer() {
    static std::vector<TsComplex> buffer;
    return buffer;
}

template <int Which, class F>
const TsComplex* FixtureTerm(const ComplexMatrixVector& m, int n, F term) {
    if (n < 0 || m.size() < static_cast<std::size_t>(n)) {
        return nullptr;
    }
    std::vector<TsComplex>& out = ResultBuffer<Which>();
    out.resize(n);
    for (int i = 0; i < n; ++i) {
        const ComplexMatrix& s = m[i];
        out[i] = Narrow(term(i, Wide(s.at_or_zero(0, 0)), Wide(s.at_or_zero(0, 1)),
                             Wide(s.at_or_zero(1, 0)), Wide(s.at_or_zero(1, 1))));
    }
    return out.data();
}

}  // namespace

const TsComplex* directivityError(const TsComplex* edf, const TsComplex* erf, const TsComplex* esf,
                                  const ComplexMatrixVector& m, int n) {
    if (edf == nullptr || erf == nullptr || esf == nullptr) {
        return nullptr;
    }
    return FixtureTerm<0>(m, n, [&](int i, Cd m00, Cd, Cd, Cd) {
        return Wide(edf[i]) + Div(Wide(erf[i]) * m00, 1.0 - Wide(esf[i]) * m00);
    });
}

const TsComplex* sourceMatchError(const TsComplex* esf, const ComplexMatrixVector& m, int n) {
    if (esf == nullptr) {
        return nullptr;
    }
    return FixtureTerm<1>(m, n, [&](int i, Cd m00, Cd m01, Cd m10, Cd m11) {
        return m11 + Div(m01 * m10 * Wide(esf[i]), 1.0 - m00 * Wide(esf[i]));
    });
}

const TsComplex* reflectionTrackingError(const TsComplex* erf, const TsComplex* esf,
                                         const ComplexMatrixVector& m, int n) {
    if (erf == nullptr || esf == nullptr) {
        return nullptr;
    }
    return FixtureTerm<2>(m, n, [&](int i, Cd m00, Cd m01, Cd m10, Cd) {
        const Cd d = 1.0 - Wide(esf[i]) * m00;
        return Div(Wide(erf[i]) * m01 * m10, d * d);
    });
}

}  // namespace Tessel
