#include "tessel/format/temperature.h"

#include <gtest/gtest.h>

#include "tessel/core/status.h"

namespace {

using namespace Tessel;

TEST(ConvertTemperature, EveryPairFollowsItsScaleAsTheScalarFunctionsDo) {
    const float in[3] = {0.0f, 290.0f, -40.0f};
    struct Case {
        NAUnit from, to;
        double scale, offset;    // out = in·scale + offset
        float (*scalar)(float);  // the scalar function of the pair, if it has one
    };
    const Case cases[] = {{UnitKelvin, UnitCelsius, 1.0, -273.15, Kelvin_to_C},
                          {UnitK, UnitFahrenheit, 1.8, -459.67, Kelvin_to_F},
                          {UnitCelsius, UnitKelvin, 1.0, 273.15, C_to_Kelvin},
                          {UnitCelsius, UnitFahrenheit, 1.8, 32.0, C_to_F},
                          {UnitFahrenheit, UnitKelvin, 5.0 / 9, 459.67 * 5 / 9, F_to_Kelvin},
                          {UnitFahrenheit, UnitCelsius, 5.0 / 9, -32.0 * 5 / 9, F_to_C},
                          {UnitKelvin, UnitKelvin, 1.0, 0.0, nullptr},
                          {UnitCelsius, UnitK, 1.0, 0.0, nullptr},
                          {UnitDB, UnitCelsius, 1.0, 0.0, nullptr},
                          {UnitFahrenheit, UnitHz, 1.0, 0.0, nullptr}};
    for (const Case& c : cases) {
        float out[3];
        ASSERT_EQ(ConvertTemperature(in, out, 3, c.from, c.to), kOk);
        for (int i = 0; i < 3; ++i) {
            const float want = float(in[i] * c.scale + c.offset);
            EXPECT_FLOAT_EQ(out[i], want) << "from " << c.from << " to " << c.to;
            if (c.scalar != nullptr) {
                EXPECT_FLOAT_EQ(c.scalar(in[i]), want) << "from " << c.from << " to " << c.to;
            }
        }
    }
}

TEST(ConvertTemperature, LinearNoiseFactorOfTheRealPartBecomesKelvinFirst) {
    const TsComplex z[2] = {TsComplex(1.0f, 7.0f), TsComplex(2.0f, 0.0f)};
    float out[2] = {5.0f, 5.0f};
    EXPECT_EQ(ConvertTemperature(z, out, 0, UnitLinear, UnitKelvin), kOk);
    EXPECT_EQ(out[0], 5.0f);  // an empty count writes nothing
    ConvertTemperature(z, out, 2, UnitLinear, UnitKelvin);
    EXPECT_EQ(out[0], 0.0f);
    EXPECT_EQ(out[1], 290.0f);
    ConvertTemperature(z, out, 2, UnitLinear, UnitCelsius);
    EXPECT_FLOAT_EQ(out[0], -273.15f);
    // A target of UnitK is no conversion target: the noise temperature stays in kelvin.
    ConvertTemperature(z, out, 2, UnitLinear, UnitK);
    EXPECT_EQ(out[1], 290.0f);
}

}  // namespace
