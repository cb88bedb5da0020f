#include "tessel/format/power_levels.h"

#include <cmath>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "tessel/core/status.h"

namespace {

using namespace Tessel;

TEST(PowerLevels, MatchClosedFormsAcrossTheImpedance) {
    std::mt19937 rng(::testing::UnitTest::GetInstance()->random_seed());
    std::uniform_real_distribution<float> u(-3.0f, 3.0f);
    std::vector<TsComplex> z(200);
    for (auto& s : z) {
        s = TsComplex(u(rng), u(rng));
    }
    const int n = int(z.size());
    for (const double r : {50.0, 75.0}) {
        std::vector<float> v(n), a(n), dbmv(n), dbma(n);
        ASSERT_EQ(FormatLogMag_V(z.data(), v.data(), n, r, false), kOk);
        ASSERT_EQ(FormatLogMag_A(z.data(), a.data(), n, r, false), kOk);
        ASSERT_EQ(FormatLogMag_dBmV(z.data(), dbmv.data(), n, r, false), kOk);
        ASSERT_EQ(FormatLogMag_dBmA(z.data(), dbma.data(), n, r, false), kOk);
        for (int i = 0; i < n; ++i) {
            const double watts = (double(z[i].re) * z[i].re + double(z[i].im) * z[i].im) / 1000;
            const double volts = std::sqrt(watts * r);  // P = V²/R
            const double sign = z[i].re > 0 ? 1.0 : -1.0;
            EXPECT_FLOAT_EQ(v[i], float(sign * volts));
            EXPECT_FLOAT_EQ(a[i], float(sign * volts / r));
            EXPECT_FLOAT_EQ(dbmv[i], float(20 * std::log10(volts * 1000)));
            EXPECT_FLOAT_EQ(dbma[i], float(20 * std::log10(volts / r * 1000)));
        }
    }
}

TEST(PowerLevels, ZeroRealPartIsNegativeAndTheRawFlagTakesTheRealPartAsTheLevel) {
    const TsComplex z[3] = {TsComplex(0.0f, 3.0f), TsComplex(100.0f, -1.0f),
                            TsComplex(-0.25f, 9.0f)};
    float out[3];
    FormatLogMag_V(z, out, 1, 50.0, false);
    EXPECT_FLOAT_EQ(out[0], -float(std::sqrt(9e-3 * 50.0)));
    FormatLogMag_A(z, out, 1, 50.0, false);
    EXPECT_FLOAT_EQ(out[0], -float(std::sqrt(9e-3 * 50.0) / 50.0));

    FormatLogMag_V(z, out, 3, 50.0, true);
    EXPECT_EQ(out[2], -0.25f);
    FormatLogMag_A(z, out, 3, 50.0, true);
    EXPECT_EQ(out[1], 100.0f);
    for (auto* dbForm : {FormatLogMag_dBmV, FormatLogMag_dBmA}) {
        dbForm(z, out, 3, 50.0, true);
        EXPECT_FLOAT_EQ(out[1], 40.0f);
        EXPECT_EQ(out[0], -200.0f);  // a zero level, not -∞
    }
}

TEST(NoiseDensity, VoltageDensityOfANoiseTemperature) {
    // 290 K across 50 Ω: sqrt(k·T·R) volts per root hertz.
    const TsComplex z[3] = {TsComplex(290.0f, 4.0f), TsComplex(-290.0f, 0.0f), TsComplex()};
    float out[3];
    ASSERT_EQ(FormatNoiseDensity_dBmV(z, out, 3, 50.0), kOk);
    const double volts = std::sqrt(1.3806504e-23 * 290.0 * 50.0);
    EXPECT_FLOAT_EQ(out[0], float(20 * std::log10(volts * 1000)));
    EXPECT_EQ(out[1], out[0]);
    EXPECT_EQ(out[2], -200.0f);
    FormatLogMag_dBmA(z + 2, out, 1, 50.0, false);
    EXPECT_EQ(out[0], -200.0f);
    EXPECT_EQ(FormatLogMag_V(nullptr, out, 1, 50.0, false), kInvalidArg);
}

}  // namespace
