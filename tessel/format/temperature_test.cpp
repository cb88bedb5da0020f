// SPDX-License-Identifier: Apache-2.0
#include "tessel/format/temperature.h"

#include <gtest/gtest.h>

#include "tessel/core/status.h"

namespace {

using namespace Tessel;

// out = in·scale + offset for every pair, as the scalar function of the pair gives it; a noise
// factor (UnitLinear, real part) becomes (F - 1)·290 K first.
TEST(ConvertTemperature, EveryPairFollowsItsScaleAsTheScalarFunctionsDo) {
    const float in[3] = {1.0f, 290.0f, -40.0f};
    const TsComplex z[3] = {TsComplex(1.0f, 7.0f), TsComplex(290.0f, 0.0f), TsComplex(-40.0f, 1)};
    struct Case {
        NAUnit from, to;
        double scale, offset;
        float (*scalar)(float);
    };
    const Case cases[] = {{UnitKelvin, UnitCelsius, 1.0, -273.15, Kelvin_to_C},
                          {UnitK, UnitFahrenheit, 1.8, -459.67, Kelvin_to_F},
                          {UnitCelsius, UnitKelvin, 1.0, 273.15, C_to_Kelvin},
                          {UnitCelsius, UnitFahrenheit, 1.8, 32.0, C_to_F},
                          {UnitFahrenheit, UnitKelvin, 5.0 / 9, 459.67 * 5 / 9, F_to_Kelvin},
                          {UnitFahrenheit, UnitCelsius, 5.0 / 9, -32.0 * 5 / 9, F_to_C},
                          {UnitKelvin, UnitKelvin, 1.0, 0.0, nullptr},
                          {UnitCelsius, UnitK, 1.0, 0.0, nullptr},
                          {UnitFahrenheit, UnitHz, 1.0, 0.0, nullptr},
                          {UnitLinear, UnitKelvin, 290.0, -290.0, nullptr},
                          {UnitLinear, UnitCelsius, 290.0, -290.0 - 273.15, nullptr},
                          {UnitLinear, UnitK, 290.0, -290.0, nullptr}};  // UnitK is no target
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "from " << c.from << " to " << c.to);
        float out[3] = {5.0f, 5.0f, 5.0f};
        ASSERT_EQ(ConvertTemperature(z, out, 0, c.from, c.to), kOk);
        EXPECT_EQ(out[0], 5.0f);  // an empty count writes nothing
        ASSERT_EQ(c.from == UnitLinear ? ConvertTemperature(z, out, 3, c.from, c.to)
                                       : ConvertTemperature(in, out, 3, c.from, c.to),
                  kOk);
        for (int i = 0; i < 3; ++i) {
            const float want = float(in[i] * c.scale + c.offset);
            EXPECT_FLOAT_EQ(out[i], want);
            if (c.scalar != nullptr) {
                EXPECT_FLOAT_EQ(c.scalar(in[i]), want);
            }
        }
    }
}

}  // namespace
