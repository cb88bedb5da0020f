// SPDX-License-Identifier: Apache-2.0
#include "platform/measutil/ts_complex.h"

#include <cmath>
#include <complex>
#include <cstring>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

namespace {

using QuorUtility::TsComplex;
using Cd = std::complex<double>;

void ExpectNear(const TsComplex& got, const Cd& want, double tolerance) {
    EXPECT_NEAR(got.re, want.real(), tolerance);
    EXPECT_NEAR(got.im, want.imag(), tolerance);
}

TEST(TsComplexArithmetic, InterleavedLayoutAndDoubleComplexResults) {
    const TsComplex pair[2] = {{1.0f, 2.0f}, {3.0f, 4.0f}};
    std::vector<float> f(4);
    std::memcpy(f.data(), pair, sizeof pair);
    EXPECT_EQ(f, (std::vector<float>{1.0f, 2.0f, 3.0f, 4.0f}));
    EXPECT_EQ(TsComplex(), TsComplex(0.0f, 0.0f));
    ExpectNear(TsComplex(1.0f, 2.0f) *= TsComplex(3.0f, -4.0f), Cd(11.0, 2.0), 1e-6);
    ExpectNear(TsComplex(11.0f, 2.0f) /= TsComplex(3.0f, -4.0f), Cd(1.0, 2.0), 1e-6);
    // |c|² of 1e30 overflows float but not the double intermediate.
    EXPECT_EQ(TsComplex(2e30f, 2e30f) / TsComplex(1e30f, 1e30f), TsComplex(2.0f, 0.0f));
    EXPECT_EQ(TsComplex(1e-30f, 0.0f) / TsComplex(1e-30f, 0.0f), TsComplex(1.0f, 0.0f));
}

TEST(TsComplexScalars, PhaseLogMagSwrAndLoads) {
    EXPECT_DOUBLE_EQ(TsComplex(0.0f, 1.0f).Phase(), M_PI / 2);
    EXPECT_DOUBLE_EQ(TsComplex(-1.0f, 0.0f).Phase(), M_PI);
    EXPECT_DOUBLE_EQ(TsComplex(0.0f, 0.0f).Phase(), 0.0);
    EXPECT_NEAR(TsComplex(0.1f, 0.0f).LogMag(), -20.0, 1e-6);
    EXPECT_NEAR(TsComplex(3.0f, 4.0f).LogMag(), 20 * std::log10(5.0), 1e-12);
    EXPECT_EQ(TsComplex(0.0f, -0.0f).LogMag(), TsComplex::m_logMagZeroValue);
    EXPECT_NEAR(TsComplex::m_minus200dB.LogMag(), -200.0, 1e-5);
    const TsComplex z = TsComplex::FromMagPhase(2.0, -2.5);
    EXPECT_NEAR(z.Mag(), 2.0, 1e-6);
    EXPECT_NEAR(z.Phase(), -2.5, 1e-6);
    // SWR is finite for every reflection: total or active ones give the maximum.
    EXPECT_DOUBLE_EQ(TsComplex(0.0f, 0.0f).SWR(), 1.0);
    EXPECT_NEAR(TsComplex(0.0f, 0.5f).SWR(), 3.0, 1e-12);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const TsComplex& total : {TsComplex(1.0f, 0.0f), TsComplex(0.0f, -2.0f), TsComplex(nan)})
        EXPECT_EQ(total.SWR(), TsComplex::m_maxSWR);
    // Γ = (Z - Z0)/(Z + Z0) for Z = 100 + j50 on 50 Ω; Γ = -1 is a short.
    const TsComplex z0(50.0f, 0.0f);
    const Cd zl(100.0, 50.0), g = (zl - 50.0) / (zl + 50.0);
    const TsComplex gamma(float(g.real()), float(g.imag()));
    ExpectNear(gamma.Impedance(z0), zl, 1e-4);
    ExpectNear(gamma.Admittance(z0), 1.0 / zl, 1e-8);
    EXPECT_EQ(TsComplex(-1.0f, 0.0f).Impedance(z0), TsComplex(0.0f, 0.0f));
}

}  // namespace
