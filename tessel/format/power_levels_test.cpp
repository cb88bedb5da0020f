// SPDX-License-Identifier: Apache-2.0
#include "tessel/format/power_levels.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "tessel/core/status.h"
#include "tessel/format/internal/format_test_util.h"

namespace {

using namespace Tessel;

// The sample's power |z|²/1000 W across R gives V = sqrt(P·R), signed by the real part (zero
// counts as negative); dB forms take 20·log10 of the level in mV or mA, and a zero level the
// zero value. With the raw flag the real part is the level itself.
TEST(PowerLevels, MatchClosedFormsAcrossTheImpedanceAndTheRawFlag) {
    auto z = testutil::Random<TsComplex>(200, -3, 3);
    z[0] = TsComplex(0.0f, 3.0f);
    z[1] = TsComplex(0.0f, 0.0f);
    using Form = long (*)(const TsComplex*, float*, int, double, bool);
    const Form forms[] = {FormatLogMag_V, FormatLogMag_A, FormatLogMag_dBmV, FormatLogMag_dBmA};
    for (const double r : {50.0, 75.0}) {
        for (int f = 0; f < 4; ++f) {
            for (const bool raw : {false, true}) {
                std::vector<float> out(z.size());
                ASSERT_EQ(forms[f](z.data(), out.data(), int(z.size()), r, raw), kOk);
                for (std::size_t i = 0; i < z.size(); ++i) {
                    const double volts = std::sqrt(z[i].MagSquared() / 1000 * r);
                    const double level = raw ? double(z[i].re) : (f % 2 ? volts / r : volts);
                    const double sign = raw || z[i].re > 0 ? 1.0 : -1.0;
                    const double want = f < 2        ? sign * level
                                        : level == 0 ? -200.0
                                                     : 20 * std::log10(level * (raw ? 1 : 1000));
                    if (f < 2 || level >= 0) {
                        EXPECT_FLOAT_EQ(out[i], float(want)) << "form " << f << " point " << i;
                    }
                }
            }
        }
    }
    EXPECT_EQ(FormatLogMag_V(nullptr, nullptr, 1, 50.0, false), kInvalidArg);
}

TEST(NoiseDensity, VoltageDensityOfANoiseTemperature) {
    // 290 K across 50 Ω: sqrt(k·T·R) volts per root hertz, of the real part's magnitude.
    const TsComplex z[3] = {TsComplex(290.0f, 4.0f), TsComplex(-290.0f, 0.0f), TsComplex()};
    float out[3];
    ASSERT_EQ(FormatNoiseDensity_dBmV(z, out, 3, 50.0), kOk);
    EXPECT_FLOAT_EQ(out[0], float(20 * std::log10(std::sqrt(1.3806504e-23 * 290 * 50) * 1000)));
    EXPECT_TRUE(out[1] == out[0] && out[2] == -200.0f);
}

}  // namespace
