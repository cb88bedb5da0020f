#include "tessel/format/power_levels.h"

#include <cmath>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "tessel/core/status.h"

namespace {

using namespace Tessel;

using Form = long (*)(const TsComplex*, float*, int, double, bool);

// Each level form against its closed form: the sample's power |z|²/1000 W across R gives
// V = sqrt(P·R), signed by the real part (a zero real part counts as negative); dB forms take
// 20·log10 of the level in mV or mA. With the raw flag the real part is the level itself.
TEST(PowerLevels, MatchClosedFormsAcrossTheImpedanceAndTheRawFlag) {
    std::mt19937 rng(::testing::UnitTest::GetInstance()->random_seed());
    std::uniform_real_distribution<float> u(-3.0f, 3.0f);
    std::vector<TsComplex> z = {TsComplex(0.0f, 3.0f), TsComplex(100.0f, -1.0f)};
    for (int i = 0; i < 200; ++i) {
        z.emplace_back(u(rng), u(rng));
    }
    const int n = int(z.size());
    const Form forms[] = {FormatLogMag_V, FormatLogMag_A, FormatLogMag_dBmV, FormatLogMag_dBmA};
    for (const double r : {50.0, 75.0}) {
        for (int f = 0; f < 4; ++f) {
            for (const bool raw : {false, true}) {
                std::vector<float> out(n);
                ASSERT_EQ(forms[f](z.data(), out.data(), n, r, raw), kOk);
                for (int i = 0; i < n; ++i) {
                    const double volts = std::sqrt(z[i].MagSquared() / 1000 * r);
                    const double level = raw ? double(z[i].re) : (f % 2 ? volts / r : volts);
                    const double sign = z[i].re > 0 ? 1.0 : -1.0;
                    const double want = f < 2        ? (raw ? level : sign * level)
                                        : level == 0 ? -200.0
                                                     : 20 * std::log10(level * (raw ? 1 : 1000));
                    if (f < 2 || level > 0) {
                        EXPECT_FLOAT_EQ(out[i], float(want)) << "form " << f << " point " << i;
                    }
                }
            }
        }
    }
    float out[1];
    FormatLogMag_dBmA(z.data(), out, 1, 50.0, true);
    EXPECT_EQ(out[0], -200.0f);  // a zero level, not -∞
    EXPECT_EQ(FormatLogMag_V(nullptr, out, 1, 50.0, false), kInvalidArg);
}

TEST(NoiseDensity, VoltageDensityOfANoiseTemperature) {
    // 290 K across 50 Ω: sqrt(k·T·R) volts per root hertz.
    const TsComplex z[3] = {TsComplex(290.0f, 4.0f), TsComplex(-290.0f, 0.0f), TsComplex()};
    float out[3];
    ASSERT_EQ(FormatNoiseDensity_dBmV(z, out, 3, 50.0), kOk);
    const double volts = std::sqrt(1.3806504e-23 * 290.0 * 50.0);
    EXPECT_FLOAT_EQ(out[0], float(20 * std::log10(volts * 1000)));
    EXPECT_TRUE(out[1] == out[0] && out[2] == -200.0f);
}

}  // namespace
