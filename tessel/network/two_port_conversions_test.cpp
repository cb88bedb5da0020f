#include "tessel/network/two_port_conversions.h"

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

Cd D(const TsComplex& z) {
    return {z.re, z.im};
}
TsComplex F(const Cd& z) {
    return TsComplex(float(z.real()), float(z.imag()));
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
    ComplexMatrix RandomS() {
        return ComplexMatrix(
            2, 2, {F(Polar(0.0, 0.5)), F(Polar(0.2, 1.0)), F(Polar(0.2, 1.0)), F(Polar(0.0, 0.5))});
    }
};

// max |a − b| over the elements, in double.
double Distance(const ComplexMatrix& a, const ComplexMatrix& b) {
    double worst = 0.0;
    for (size_t r = 0; r < a.rows(); ++r)
        for (size_t c = 0; c < a.cols(); ++c)
            worst = std::max(worst, std::abs(D(a(r, c)) - D(b(r, c))));
    return worst;
}

bool AllFinite(const ComplexMatrix& m) {
    for (size_t k = 0; k < m.size(); ++k)
        if (!std::isfinite(m.data()[k].re) || !std::isfinite(m.data()[k].im))
            return false;
    return true;
}

TEST(GuardedReciprocal, IsExactForOrdinaryValuesAndNeverInfinite) {
    EXPECT_NEAR(std::abs(D(GuardedReciprocal(TsComplex(3, 4))) - 1.0 / Cd(3, 4)), 0, 1e-7);
    EXPECT_NEAR(D(GuardedReciprocal(TsComplex(1e30f, 0))).real(), 1e-30, 1e-36);
    // Zero has a zero numerator: the guarded quotient is 0, not infinite.
    EXPECT_EQ(D(GuardedReciprocal(TsComplex(0, 0))), Cd(0.0));
    for (double mag = 1e-45; mag < 3e38; mag *= 7.3) {
        for (const TsComplex z : {TsComplex(float(mag), 0), TsComplex(0, float(-mag)),
                                  TsComplex(float(mag), float(mag))}) {
            const TsComplex r = GuardedReciprocal(z);
            EXPECT_TRUE(std::isfinite(r.re) && std::isfinite(r.im)) << mag;
        }
    }
    // Tiny values give very large results of the right sign.
    EXPECT_GT(GuardedReciprocal(TsComplex(1e-40f, 0)).re, 1e38f);
    EXPECT_LT(GuardedReciprocal(TsComplex(0, 1e-40f)).im, -1e38f);
}

TEST_F(TwoPortTest, Invert2By2MatrixInvertsAndRefusesSingularInput) {
    for (int k = 0; k < 50; ++k) {
        const ComplexMatrix m = RandomS();
        ComplexMatrix inv = m;
        ASSERT_EQ(Invert2By2Matrix(inv), kOk);
        EXPECT_LT(Distance(m * inv, ComplexMatrix::identity(2)), 1e-5);
    }
    ComplexMatrix nearSingular(2, 2, {TsComplex(1), TsComplex(0), TsComplex(0), TsComplex(1e-16f)});
    const ComplexMatrix before = nearSingular;
    EXPECT_EQ(Invert2By2Matrix(nearSingular), kFail);
    EXPECT_EQ(nearSingular, before);
    ComplexMatrix wrongShape(3, 3);
    EXPECT_EQ(Invert2By2Matrix(wrongShape), kFail);
}

TEST(NullMatrix, EmptyAndZeroAreNullAnythingElseIsNot) {
    EXPECT_TRUE(isNullMatrix(ComplexMatrix()));
    EXPECT_TRUE(isNullMatrix(techsoft::matrix<double>()));
    EXPECT_TRUE(isNullMatrix(ComplexMatrix(3, 2)));
    EXPECT_TRUE(isNullMatrix(techsoft::matrix<double>(2, 2)));
    EXPECT_FALSE(isNullMatrix(ComplexMatrix(2, 2, {TsComplex(0), TsComplex(0, 1e-30f)})));
    EXPECT_FALSE(isNullMatrix(techsoft::matrix<double>(2, 2, {0, -1, 0, 0})));
    EXPECT_FALSE(isNullMatrix(techsoft::matrix<double>(2, 2, {0, 0, 2, 0})));
}

TEST_F(TwoPortTest, PortSwapsAndModAreTheirOwnInverses) {
    const ComplexMatrix m = RandomS();
    const ComplexMatrix swapped = rowcol_swap(m);
    EXPECT_EQ(swapped, ComplexMatrix(2, 2, {m(1, 1), m(1, 0), m(0, 1), m(0, 0)}));
    EXPECT_EQ(tparm_swapLP(m), swapped);
    EXPECT_EQ(rowcol_swap(swapped), m);
    const ComplexMatrix mod = tparm_mod(m);
    EXPECT_EQ(mod, ComplexMatrix(2, 2, {m(0, 0), -m(1, 0), -m(0, 1), m(1, 1)}));
    EXPECT_EQ(tparm_mod(mod), m);
}

TEST_F(TwoPortTest, SwapLInvertsAnySizeAndZeroesSingularInput) {
    EXPECT_EQ(
        tparm_swapL(ComplexMatrix(2, 2, {TsComplex(1), TsComplex(2), TsComplex(2), TsComplex(4)})),
        ComplexMatrix(2, 2));
    ComplexMatrix m3(3, 3);
    for (size_t r = 0; r < 3; ++r)
        for (size_t c = 0; c < 3; ++c)
            m3(r, c) = F(Polar(0.0, 1.0) + (r == c ? 3.0 : 0.0));
    EXPECT_LT(Distance(m3 * tparm_swapL(m3), ComplexMatrix::identity(3)), 1e-5);
    EXPECT_EQ(tparm_swapL(ComplexMatrix(2, 3)), ComplexMatrix(2, 3));
}

TEST_F(TwoPortTest, SwapPIsThePortSwappedInverse) {
    for (int k = 0; k < 50; ++k) {
        const ComplexMatrix m = RandomS();
        EXPECT_LT(Distance(tparm_swapP(m), rowcol_swap(tparm_swapL(m))), 1e-5);
    }
    // The determinant is the LU decomposition's: agreeing with techsoft::lu_factor, including
    // the row exchange, and 0 when the first pivot is below the threshold.
    for (int k = 0; k < 20; ++k) {
        const ComplexMatrix m = RandomS();
        techsoft::lu_factor<TsComplex> lu;
        ASSERT_TRUE(lu.compute(m));
        const ComplexMatrix p = tparm_swapP(m);
        const Cd expect = D(m(0, 0)) / lu.determinant();
        EXPECT_LE(std::abs(D(p(0, 0)) - expect), 1e-6 * std::abs(expect));
    }
    EXPECT_EQ(tparm_swapP(ComplexMatrix(
                  2, 2, {TsComplex(1e-13f), TsComplex(1), TsComplex(1e-13f), TsComplex(2)})),
              ComplexMatrix(2, 2));
    // Singular: the determinant is 0 and its guarded reciprocal keeps everything finite.
    EXPECT_TRUE(AllFinite(tparm_swapP(
        ComplexMatrix(2, 2, {TsComplex(1), TsComplex(2), TsComplex(2), TsComplex(4)}))));
}

// The S-parameters of two two-ports in cascade by the signal-flow formula, independent of the
// T-matrix algebra.
ComplexMatrix Cascade(const ComplexMatrix& a, const ComplexMatrix& b) {
    const Cd a11 = D(a(0, 0)), a12 = D(a(0, 1)), a21 = D(a(1, 0)), a22 = D(a(1, 1));
    const Cd b11 = D(b(0, 0)), b12 = D(b(0, 1)), b21 = D(b(1, 0)), b22 = D(b(1, 1));
    const Cd loop = 1.0 - a22 * b11;
    return ComplexMatrix(2, 2,
                         {F(a11 + a12 * a21 * b11 / loop), F(a12 * b12 / loop), F(a21 * b21 / loop),
                          F(b22 + b21 * b12 * a22 / loop)});
}

TEST_F(TwoPortTest, TMatricesRoundTripAndMultiplyInCascade) {
    for (int k = 0; k < 50; ++k) {
        const ComplexMatrix a = RandomS(), b = RandomS();
        EXPECT_LT(Distance(T2S(S2T(a)), a), 1e-5);
        EXPECT_EQ(S2T(a), S2T(a(0, 0), a(0, 1), a(1, 0), a(1, 1)));
        const ComplexMatrix t = S2T(a);
        EXPECT_EQ(T2S(t), T2S(t(0, 0), t(0, 1), t(1, 0), t(1, 1)));
        EXPECT_LT(Distance(T2S(S2T(a) * S2T(b)), Cascade(a, b)), 1e-5);
    }
}

TEST(TwoPortConversions, ZeroTransmissionKeepsT11Finite) {
    const ComplexMatrix t = S2T(TsComplex(0.5f), TsComplex(0.1f), TsComplex(0), TsComplex(0.2f));
    EXPECT_TRUE(std::isfinite(t(0, 0).re) && std::isfinite(t(0, 0).im));
    EXPECT_FALSE(std::isfinite(t(0, 1).re) && std::isfinite(t(0, 1).im));
    const ComplexMatrix s = T2S(TsComplex(0), TsComplex(1), TsComplex(1), TsComplex(1));
    EXPECT_TRUE(std::isfinite(s(1, 0).re) && std::isfinite(s(1, 0).im));
}

// The one-port error model: measured = e00 + e10e01·Γ / (1 − e11·Γ).
Cd OnePortMeasured(Cd directivity, Cd match, Cd tracking, Cd gamma) {
    return directivity + tracking * gamma / (1.0 - match * gamma);
}

Cd CascadeGamma(const ComplexMatrix& t, Cd g) {
    return (D(t(1, 0)) + D(t(1, 1)) * g) / (D(t(0, 0)) + D(t(0, 1)) * g);
}

TEST_F(TwoPortTest, ErrorAdapterTMatricesReproduceTheOnePortModel) {
    for (int k = 0; k < 20; ++k) {
        const Cd ed = Polar(0.0, 0.1), es = Polar(0.0, 0.2), er = Polar(0.5, 1.0);
        const Cd g = Polar(0.0, 1.0);
        const ComplexMatrix fwd = DMT2T(false, F(ed), F(es), F(er), false);
        EXPECT_LT(std::abs(CascadeGamma(fwd, g) - OnePortMeasured(ed, es, er, g)), 1e-5);
        // From the other side the roles of directivity and source match exchange.
        const ComplexMatrix rev = DMT2T(true, F(ed), F(es), F(er), false);
        const ComplexMatrix revRaw = DMT2T(true, F(ed), F(es), F(er), true);
        EXPECT_LT(std::abs(CascadeGamma(rev, g) - OnePortMeasured(es, ed, er, g)), 1e-5);
        EXPECT_LT(Distance(rev * F(er), revRaw), 1e-5);
        EXPECT_EQ(fwd(0, 0), TsComplex(1));
    }
}

TEST_F(TwoPortTest, VectorFormsApplyTheSingleFormsPointByPoint) {
    ComplexMatrixVector ms, bs;
    for (int k = 0; k < 5; ++k) {
        ms.push_back(RandomS());
        bs.push_back(RandomS());
    }
    const auto swapped = rowcol_swap(ms), lp = tparm_swapLP(ms), mod = tparm_mod(ms),
               l = tparm_swapL(ms), p = tparm_swapP(ms), s = T2S(ms), inv = invert(ms),
               prod = multiply(ms, bs);
    ASSERT_EQ(prod.size(), ms.size());
    for (size_t k = 0; k < ms.size(); ++k) {
        EXPECT_EQ(swapped[k], rowcol_swap(ms[k]));
        EXPECT_EQ(lp[k], tparm_swapLP(ms[k]));
        EXPECT_EQ(mod[k], tparm_mod(ms[k]));
        EXPECT_EQ(l[k], tparm_swapL(ms[k]));
        EXPECT_EQ(p[k], tparm_swapP(ms[k]));
        EXPECT_EQ(s[k], T2S(ms[k]));
        EXPECT_EQ(inv[k], tparm_swapL(ms[k]));
        EXPECT_EQ(prod[k], ms[k] * bs[k]);
    }
    bs.resize(3);
    EXPECT_EQ(multiply(ms, bs).size(), 3u);
}

TEST(TwoPortConversions, MakeMatrixBuildsOneMatrixPerPoint) {
    const std::vector<TsComplex> a = {1, 2, 3}, b = {4, 5, 6}, c = {7, 8, 9}, d = {10, 11, 12};
    const ComplexMatrixVector ms = makeMatrix(a, b, c, d);
    ASSERT_EQ(ms.size(), 3u);
    EXPECT_EQ(ms[1],
              ComplexMatrix(2, 2, {TsComplex(2), TsComplex(5), TsComplex(8), TsComplex(11)}));
    EXPECT_EQ(makeMatrix(a, b, {TsComplex(7)}, d).size(), 1u);
}

}  // namespace
