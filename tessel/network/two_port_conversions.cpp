// SPDX-License-Identifier: Apache-2.0
#include "tessel/network/two_port_conversions.h"

#include <algorithm>
#include <complex>
#include <limits>

#include "tessel/core/status.h"

namespace Tessel {

namespace {

using Wide = std::complex<double>;
using Traits = techsoft::element_traits<TsComplex>;

// The smallest normal float, which stands in for an exactly zero |z|² in a reciprocal.
constexpr double kTinySquare = 1.175494351e-38;
constexpr double kLargestFloat = std::numeric_limits<float>::max();
// Determinants below this magnitude make the closed-form 2 × 2 inverse fail.
constexpr double kSingularDet = 10.0 * std::numeric_limits<double>::epsilon();

Wide W(const TsComplex& z) {
    return Traits::widen(z);
}
TsComplex F(const Wide& z) {
    return Traits::narrow(z);
}

double Saturate(double x) {
    if (x > kLargestFloat) {
        return kLargestFloat;
    }
    if (x < -kLargestFloat) {
        return -kLargestFloat;
    }
    return x;
}

Wide GuardedReciprocalWide(const Wide& z) {
    double mag2 = z.real() * z.real() + z.imag() * z.imag();
    if (mag2 == 0.0) {
        mag2 = kTinySquare;
    }
    return {Saturate(z.real() / mag2), Saturate(-z.imag() / mag2)};
}

// The plain complex quotient ((ac + bd) + j(bc − ad)) / (c² + d²), as TsComplex divides.
Wide Div(const Wide& a, const Wide& b) {
    const double inv = 1.0 / (b.real() * b.real() + b.imag() * b.imag());
    return {(a.real() * b.real() + a.imag() * b.imag()) * inv,
            (a.imag() * b.real() - a.real() * b.imag()) * inv};
}

Wide Mul(const Wide& a, const Wide& b) {
    return techsoft::detail::mul(a, b);
}

// The top-left 2 × 2 block of a matrix in double; missing elements are zero.
struct Quad {
    Wide m00, m01, m10, m11;
};

Quad Load(const ComplexMatrix& m) {
    return {W(m.at_or_zero(0, 0)), W(m.at_or_zero(0, 1)), W(m.at_or_zero(1, 0)),
            W(m.at_or_zero(1, 1))};
}

ComplexMatrix Make(const Wide& m00, const Wide& m01, const Wide& m10, const Wide& m11) {
    return ComplexMatrix(2, 2, {F(m00), F(m01), F(m10), F(m11)});
}

// The determinant by the LU decomposition with partial pivoting, written out for 2 × 2: the
// row of larger magnitude in column 0 (row 0 on ties) is the pivot row, an exchange negates
// the result, and a pivot below techsoft::kSingularPivot makes the decomposition fail, which
// gives 0. The second pivot is not tested, as in techsoft::lu_factor.
Wide LuDeterminant(const Quad& q) {
    const double mag0 = techsoft::detail::magnitude(q.m00);
    const double mag1 = techsoft::detail::magnitude(q.m10);
    const bool exchange = mag1 > mag0;
    if (!(std::max(mag0, mag1) >= techsoft::kSingularPivot)) {
        return Wide(0);
    }
    const Wide p0 = exchange ? q.m10 : q.m00, p1 = exchange ? q.m11 : q.m01;
    const Wide o0 = exchange ? q.m00 : q.m10, o1 = exchange ? q.m01 : q.m11;
    const Wide u11 = o1 - Mul(Mul(o0, techsoft::detail::reciprocal(p0)), p1);
    const Wide det = Mul(p0, u11);
    return exchange ? -det : det;
}

template <class Fn>
ComplexMatrixVector Map(const ComplexMatrixVector& ms, Fn fn) {
    ComplexMatrixVector out;
    out.reserve(ms.size());
    for (const ComplexMatrix& m : ms) {
        out.push_back(fn(m));
    }
    return out;
}

}  // namespace

TsComplex GuardedReciprocal(const TsComplex& z) {
    return F(GuardedReciprocalWide(W(z)));
}

long Invert2By2Matrix(ComplexMatrix& m) {
    if (m.rows() != 2 || m.cols() != 2) {
        return kFail;
    }
    const Quad q = Load(m);
    const Wide det = Mul(q.m00, q.m11) - Mul(q.m01, q.m10);
    if (!(techsoft::detail::magnitude(det) >= kSingularDet)) {
        return kFail;
    }
    const Wide r = GuardedReciprocalWide(det);
    m(0, 0) = F(Mul(q.m11, r));
    m(0, 1) = F(-Mul(q.m01, r));
    m(1, 0) = F(-Mul(q.m10, r));
    m(1, 1) = F(Mul(q.m00, r));
    return kOk;
}

bool isNullMatrix(const techsoft::matrix<TsComplex>& m) {
    return std::all_of(m.data(), m.data() + m.size(),
                       [](const TsComplex& z) { return z.MagSquared() == 0.0; });
}

bool isNullMatrix(const techsoft::matrix<double>& m) {
    if (m.empty()) {
        return true;
    }
    const auto [lo, hi] = std::minmax_element(m.data(), m.data() + m.size());
    return *lo == 0.0 && *hi == 0.0;
}

ComplexMatrix rowcol_swap(const ComplexMatrix& m) {
    const Quad q = Load(m);
    return Make(q.m11, q.m10, q.m01, q.m00);
}
ComplexMatrixVector rowcol_swap(const ComplexMatrixVector& ms) {
    return Map(ms, [](const ComplexMatrix& m) { return rowcol_swap(m); });
}

ComplexMatrix tparm_swapLP(const ComplexMatrix& m) {
    return rowcol_swap(m);
}
ComplexMatrixVector tparm_swapLP(const ComplexMatrixVector& ms) {
    return rowcol_swap(ms);
}

ComplexMatrix tparm_mod(const ComplexMatrix& m) {
    const Quad q = Load(m);
    return Make(q.m00, -q.m10, -q.m01, q.m11);
}
ComplexMatrixVector tparm_mod(const ComplexMatrixVector& ms) {
    return Map(ms, [](const ComplexMatrix& m) { return tparm_mod(m); });
}

ComplexMatrix tparm_swapL(const ComplexMatrix& m) {
    ComplexMatrix inv = m;
    if (!inv.inv()) {
        inv.assign_zero(m.rows(), m.cols());
    }
    return inv;
}
ComplexMatrixVector tparm_swapL(const ComplexMatrixVector& ms) {
    return Map(ms, [](const ComplexMatrix& m) { return tparm_swapL(m); });
}

ComplexMatrix tparm_swapP(const ComplexMatrix& m) {
    const Quad q = Load(m);
    const Wide r = GuardedReciprocalWide(LuDeterminant(q));
    return Make(Mul(q.m00, r), -Mul(q.m10, r), -Mul(q.m01, r), Mul(q.m11, r));
}
ComplexMatrixVector tparm_swapP(const ComplexMatrixVector& ms) {
    return Map(ms, [](const ComplexMatrix& m) { return tparm_swapP(m); });
}

ComplexMatrix S2T(const TsComplex& s11, const TsComplex& s12, const TsComplex& s21,
                  const TsComplex& s22) {
    const Wide a = W(s11), b = W(s12), c = W(s21), d = W(s22);
    const Wide t21 = Div(a, c);
    return Make(GuardedReciprocalWide(c), -Div(d, c), t21, b - Mul(t21, d));
}
ComplexMatrix S2T(const ComplexMatrix& s) {
    const Quad q = Load(s);
    return S2T(F(q.m00), F(q.m01), F(q.m10), F(q.m11));
}

ComplexMatrix T2S(const TsComplex& t11, const TsComplex& t12, const TsComplex& t21,
                  const TsComplex& t22) {
    const Wide a = W(t11), b = W(t12), c = W(t21), d = W(t22);
    const Wide s11 = Div(c, a);
    return Make(s11, d - Mul(b, s11), GuardedReciprocalWide(a), -Div(b, a));
}
ComplexMatrix T2S(const ComplexMatrix& t) {
    const Quad q = Load(t);
    return T2S(F(q.m00), F(q.m01), F(q.m10), F(q.m11));
}
ComplexMatrixVector T2S(const ComplexMatrixVector& ts) {
    return Map(ts, [](const ComplexMatrix& t) { return T2S(t); });
}

ComplexMatrix DMT2T(bool reversed, const TsComplex& a, const TsComplex& b, const TsComplex& c,
                    bool raw) {
    const Wide wa = W(a), wb = W(b), wc = W(c);
    const Wide t11 = wc - Mul(wa, wb);
    if (!reversed) {
        return Make(Wide(1), -wb, wa, t11);
    }
    if (raw) {
        return Make(Wide(1), -wa, wb, t11);
    }
    const Wide r = GuardedReciprocalWide(wc);
    return Make(r, -Mul(wa, r), Mul(wb, r), Mul(t11, r));
}

ComplexMatrixVector makeMatrix(const std::vector<TsComplex>& a, const std::vector<TsComplex>& b,
                               const std::vector<TsComplex>& c, const std::vector<TsComplex>& d) {
    const size_t n = std::min({a.size(), b.size(), c.size(), d.size()});
    ComplexMatrixVector out;
    out.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        out.push_back(ComplexMatrix(2, 2, {a[i], b[i], c[i], d[i]}));
    }
    return out;
}

ComplexMatrixVector invert(const ComplexMatrixVector& ms) {
    return tparm_swapL(ms);
}

ComplexMatrixVector multiply(const ComplexMatrixVector& as, const ComplexMatrixVector& bs) {
    const size_t n = std::min(as.size(), bs.size());
    ComplexMatrixVector out;
    out.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        out.push_back(as[i] * bs[i]);
    }
    return out;
}

}  // namespace Tessel
