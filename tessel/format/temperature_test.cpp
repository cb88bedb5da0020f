#include "tessel/format/temperature.h"

#include <vector>

#include <gtest/gtest.h>

#include "tessel/core/status.h"

namespace {

using namespace Tessel;

TEST(TemperatureScalars, ConvertBetweenTheThreeScales) {
    EXPECT_FLOAT_EQ(C_to_F(100.0f), 212.0f);
    EXPECT_FLOAT_EQ(C_to_F(-40.0f), -40.0f);
    EXPECT_NEAR(C_to_Kelvin(-273.15f), 0.0f, 1e-4);  // input rounded to float
    EXPECT_FLOAT_EQ(F_to_C(212.0f), 100.0f);
    EXPECT_NEAR(F_to_Kelvin(-459.67f), 0.0f, 1e-4);
    EXPECT_FLOAT_EQ(F_to_Kelvin(32.0f), 273.15f);
    EXPECT_FLOAT_EQ(Kelvin_to_C(290.0f), 16.85f);
    EXPECT_FLOAT_EQ(Kelvin_to_F(290.0f), 62.33f);
}

TEST(ConvertTemperature, EveryPairFollowsItsScale) {
    const float in[3] = {0.0f, 290.0f, -40.0f};
    struct Case {
        NAUnit from, to;
        double scale, offset;  // out = in·scale + offset
    };
    const Case cases[] = {{UnitKelvin, UnitCelsius, 1.0, -273.15},
                          {UnitK, UnitFahrenheit, 1.8, -459.67},
                          {UnitCelsius, UnitKelvin, 1.0, 273.15},
                          {UnitCelsius, UnitFahrenheit, 1.8, 32.0},
                          {UnitFahrenheit, UnitKelvin, 5.0 / 9, 459.67 * 5 / 9},
                          {UnitFahrenheit, UnitCelsius, 5.0 / 9, -32.0 * 5 / 9},
                          {UnitKelvin, UnitKelvin, 1.0, 0.0},
                          {UnitCelsius, UnitK, 1.0, 0.0},
                          {UnitDB, UnitCelsius, 1.0, 0.0},
                          {UnitFahrenheit, UnitHz, 1.0, 0.0}};
    for (const Case& c : cases) {
        float out[3];
        ASSERT_EQ(ConvertTemperature(in, out, 3, c.from, c.to), kOk);
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(out[i], in[i] * c.scale + c.offset, 1e-4)
                << "from " << c.from << " to " << c.to;
        }
    }
}

TEST(ConvertTemperature, LinearNoiseFactorBecomesKelvinFirst) {
    const TsComplex z[2] = {TsComplex(1.0f, 7.0f), TsComplex(2.0f, 0.0f)};
    float out[2];
    ConvertTemperature(z, out, 2, UnitLinear, UnitKelvin);
    EXPECT_EQ(out[0], 0.0f);
    EXPECT_EQ(out[1], 290.0f);
    ConvertTemperature(z, out, 2, UnitLinear, UnitCelsius);
    EXPECT_FLOAT_EQ(out[0], -273.15f);
    // A target of UnitK is no conversion target: the noise temperature stays in kelvin.
    ConvertTemperature(z, out, 2, UnitLinear, UnitK);
    EXPECT_EQ(out[1], 290.0f);
}

TEST(ConvertTemperature, EmptyCountWritesNothingAndInPlaceWorks) {
    std::vector<float> v = {100.0f, 0.0f};
    EXPECT_EQ(ConvertTemperature(v.data(), v.data(), 0, UnitCelsius, UnitFahrenheit), kOk);
    EXPECT_EQ(v[0], 100.0f);
    EXPECT_EQ(ConvertTemperature(v.data(), v.data(), 2, UnitCelsius, UnitFahrenheit), kOk);
    EXPECT_FLOAT_EQ(v[0], 212.0f);
    EXPECT_FLOAT_EQ(v[1], 32.0f);
}

}  // namespace
