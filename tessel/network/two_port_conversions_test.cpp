// SPDX-License-Identifier: Apache-2.0
#include "tessel/network/two_port_conversions.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tessel/core/status.h"
#include "tessel/network/lu_factor.h"

namespace {

using namespace Tessel;
using Cd = std::complex<double>;
using M = ComplexMatrix;

Cd D(const TsComplex& z) {
    return {z.re, z.im};
}
TsComplex F(const Cd& z) {
    return TsComplex(float(z.real()), float(z.imag()));
}
bool Finite(const TsComplex& z) {
    return std::isfinite(z.re) && std::isfinite(z.im);
}
M Of(TsComplex a, TsComplex b, TsComplex c, TsComplex d) {
    return M(2, 2, {a, b, c, d});
}

// max |a − b| over the elements, in double.
double Distance(const M& a, const M& b) {
    double worst = 0.0;
    for (size_t k = 0; k < a.size(); ++k)
        worst = std::max(worst, std::abs(D(a.data()[k]) - D(b.data()[k])));
    return worst;
}

class TwoPortTest : public ::testing::Test {
  protected:
    const unsigned seed_ = static_cast<unsigned>(::testing::UnitTest::GetInstance()->random_seed());
    ::testing::ScopedTrace seedTrace_{__FILE__, __LINE__, "random seed " + std::to_string(seed_)};
    std::mt19937 gen_{seed_};
    Cd Polar(double lo, double hi) {
        return std::polar(std::uniform_real_distribution<double>(lo, hi)(gen_),
                          std::uniform_real_distribution<double>(-M_PI, M_PI)(gen_));
    }
    // A passive-looking two-port with a transmission path.
    M RandomS() {
        return Of(F(Polar(0.0, 0.5)), F(Polar(0.2, 1.0)), F(Polar(0.2, 1.0)), F(Polar(0.0, 0.5)));
    }
};

TEST(GuardedReciprocal, IsExactForOrdinaryValuesZeroForZeroAndNeverInfinite) {
    EXPECT_NEAR(std::abs(D(GuardedReciprocal(TsComplex(3, 4))) - 1.0 / Cd(3, 4)), 0, 1e-7);
    EXPECT_NEAR(D(GuardedReciprocal(TsComplex(1e30f, 0))).real(), 1e-30, 1e-36);
    EXPECT_EQ(D(GuardedReciprocal(TsComplex(0, 0))), Cd(0.0));  // a zero numerator
    for (double mag = 1e-45; mag < 3e38; mag *= 7.3)
        for (const TsComplex z : {TsComplex(float(mag), 0), TsComplex(float(mag), float(-mag))})
            EXPECT_TRUE(Finite(GuardedReciprocal(z))) << mag;
    // Tiny values give very large results of the right sign.
    EXPECT_GT(GuardedReciprocal(TsComplex(1e-40f, 0)).re, 1e38f);
    EXPECT_LT(GuardedReciprocal(TsComplex(0, 1e-40f)).im, -1e38f);
}

TEST_F(TwoPortTest, InversesInvertAndRefuseSingularInput) {
    for (int k = 0; k < 50; ++k) {
        const M m = RandomS();
        M inv = m;
        ASSERT_EQ(Invert2By2Matrix(inv), kOk);
        EXPECT_LT(Distance(m * inv, M::identity(2)), 1e-5);
    }
    const M m3(3, 3, {TsComplex(0, 4), 1, 0, TsComplex(1, -1), 4, 1, 0, 1, TsComplex(-4, 1)});
    EXPECT_LT(Distance(m3 * tparm_swapL(m3), M::identity(3)), 1e-5);  // any size
    const M nearSingular = Of(1, 0, 0, 1e-16f);
    M copy = nearSingular, wrongShape(3, 3);
    EXPECT_EQ(Invert2By2Matrix(copy), kFail);
    EXPECT_EQ(copy, nearSingular);
    EXPECT_EQ(Invert2By2Matrix(wrongShape), kFail);
    EXPECT_EQ(tparm_swapL(Of(1, 2, 2, 4)), M(2, 2));  // zeros for singular input
    EXPECT_EQ(tparm_swapL(M(2, 3)), M(2, 3));
    using Real = techsoft::matrix<double>;  // null: every element 0, or no element
    EXPECT_TRUE(isNullMatrix(M()) && isNullMatrix(Real()) && isNullMatrix(M(3, 2)) &&
                isNullMatrix(Real(2, 2)));
    EXPECT_FALSE(isNullMatrix(M(2, 2, {TsComplex(0), TsComplex(0, 1e-30f)})));
    EXPECT_FALSE(isNullMatrix(Real(2, 2, {0, -1, 0, 0})) || isNullMatrix(Real(2, 2, {0, 0, 2, 0})));
}

TEST_F(TwoPortTest, PortSwapsModAndSwapPAgreeWithTheirDefinitions) {
    const M m = RandomS();
    EXPECT_EQ(rowcol_swap(m), Of(m(1, 1), m(1, 0), m(0, 1), m(0, 0)));
    EXPECT_EQ(tparm_mod(m), Of(m(0, 0), -m(1, 0), -m(0, 1), m(1, 1)));
    // swapP is the port-swapped inverse, scaled by the LU decomposition's determinant
    // (including the row exchange) and 0 when the first pivot is below the threshold.
    for (int k = 0; k < 50; ++k) {
        const M s = RandomS(), p = tparm_swapP(s);
        EXPECT_LT(Distance(p, rowcol_swap(tparm_swapL(s))), 1e-5);
        techsoft::lu_factor<TsComplex> lu;
        ASSERT_TRUE(lu.compute(s));
        const Cd expect = D(s(0, 0)) / lu.determinant();
        EXPECT_LE(std::abs(D(p(0, 0)) - expect), 1e-6 * std::abs(expect));
    }
    EXPECT_EQ(tparm_swapP(Of(1e-13f, 1, 1e-13f, 2)), M(2, 2));
    EXPECT_EQ(tparm_swapP(Of(1, 2, 2, 4)), M(2, 2));  // singular: the guarded reciprocal of 0
}

// The S-parameters of two two-ports in cascade by the signal-flow formula, independent of the
// T-matrix algebra.
M Cascade(const M& a, const M& b) {
    const Cd a11 = D(a(0, 0)), a12 = D(a(0, 1)), a21 = D(a(1, 0)), a22 = D(a(1, 1));
    const Cd b11 = D(b(0, 0)), b12 = D(b(0, 1)), b21 = D(b(1, 0)), b22 = D(b(1, 1));
    const Cd loop = 1.0 - a22 * b11;
    return Of(F(a11 + a12 * a21 * b11 / loop), F(a12 * b12 / loop), F(a21 * b21 / loop),
              F(b22 + b21 * b12 * a22 / loop));
}

TEST_F(TwoPortTest, TMatricesRoundTripAndMultiplyInCascade) {
    for (int k = 0; k < 50; ++k) {
        const M a = RandomS(), b = RandomS(), t = S2T(a);
        EXPECT_LT(Distance(T2S(t), a), 1e-5);
        EXPECT_EQ(t, S2T(a(0, 0), a(0, 1), a(1, 0), a(1, 1)));
        EXPECT_EQ(T2S(t), T2S(t(0, 0), t(0, 1), t(1, 0), t(1, 1)));
        EXPECT_LT(Distance(T2S(t * S2T(b)), Cascade(a, b)), 1e-5);
    }
    // Zero transmission: T11 is the guarded reciprocal of 0, exactly 0; the plain quotients by
    // S21 are NaN in both parts, and T22 with them. T2S gives S21 = 0 back, NaN elsewhere.
    const M t = S2T(TsComplex(0.5f), TsComplex(0.1f), TsComplex(0), TsComplex(0));
    const M back = T2S(t);
    EXPECT_EQ(t(0, 0), TsComplex(0));
    EXPECT_EQ(back(1, 0), TsComplex(0));
    for (size_t k = 1; k < 4; ++k) {
        const TsComplex tk = t.data()[k], sk = back.data()[k == 2 ? 0 : k];
        EXPECT_TRUE(std::isnan(tk.re) && std::isnan(tk.im) && std::isnan(sk.re) &&
                    std::isnan(sk.im))
            << k;
    }
}

TEST_F(TwoPortTest, ErrorAdapterTMatricesReproduceTheOnePortModel) {
    // measured = ED + ER·Γ / (1 − ES·Γ), and the T-matrix maps Γ to (T10 + T11·Γ) / (T00 + T01·Γ).
    const auto measured = [](Cd ed, Cd es, Cd er, Cd g) { return ed + er * g / (1.0 - es * g); };
    const auto cascade = [](const M& t, Cd g) {
        return (D(t(1, 0)) + D(t(1, 1)) * g) / (D(t(0, 0)) + D(t(0, 1)) * g);
    };
    for (int k = 0; k < 20; ++k) {
        const Cd ed = Polar(0.0, 0.1), es = Polar(0.0, 0.2), er = Polar(0.5, 1.0);
        const Cd g = Polar(0.0, 1.0);
        const M fwd = DMT2T(false, F(ed), F(es), F(er), false);
        EXPECT_LT(std::abs(cascade(fwd, g) - measured(ed, es, er, g)), 1e-5);
        EXPECT_EQ(fwd(0, 0), TsComplex(1));
        // From the other side the roles of directivity and source match exchange.
        const M rev = DMT2T(true, F(ed), F(es), F(er), false);
        EXPECT_LT(std::abs(cascade(rev, g) - measured(es, ed, er, g)), 1e-5);
        EXPECT_LT(Distance(rev * F(er), DMT2T(true, F(ed), F(es), F(er), true)), 1e-5);
    }
}

TEST_F(TwoPortTest, VectorFormsApplyTheSingleFormsPointByPoint) {
    using Vec = ComplexMatrixVector (*)(const ComplexMatrixVector&);
    using One = M (*)(const M&);
    ComplexMatrixVector ms, bs;
    for (int k = 0; k < 5; ++k) {
        ms.push_back(RandomS());
        bs.push_back(RandomS());
    }
    for (const auto& [vec, one] : {std::pair<Vec, One>{rowcol_swap, rowcol_swap},
                                   {tparm_swapLP, rowcol_swap},
                                   {tparm_mod, tparm_mod},
                                   {tparm_swapL, tparm_swapL},
                                   {tparm_swapP, tparm_swapP},
                                   {T2S, T2S},
                                   {invert, tparm_swapL}}) {
        const ComplexMatrixVector out = vec(ms);
        ASSERT_EQ(out.size(), ms.size());
        for (size_t k = 0; k < ms.size(); ++k)
            EXPECT_EQ(out[k], one(ms[k]));
    }
    bs.resize(3);
    const ComplexMatrixVector prod = multiply(ms, bs);  // stops at the shorter vector
    ASSERT_EQ(prod.size(), 3u);
    EXPECT_EQ(prod[2], ms[2] * bs[2]);
    const std::vector<TsComplex> a = {1, 2, 3}, b = {4, 5, 6}, c = {7, 8, 9}, d = {10, 11, 12};
    const ComplexMatrixVector made = makeMatrix(a, b, c, d);
    ASSERT_EQ(made.size(), 3u);
    EXPECT_EQ(made[1], Of(2, 5, 8, 11));
    EXPECT_EQ(makeMatrix(a, b, {TsComplex(7)}, d).size(), 1u);
}

}  // namespace
