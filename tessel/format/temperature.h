// SPDX-License-Identifier: Apache-2.0
// Temperature conversion between kelvin, degrees Celsius and degrees Fahrenheit.
//
// The scalar conversions compute in double and round to float. ConvertTemperature converts
// whole arrays between NAUnit units; a source of UnitLinear holds a noise factor F, which is
// first turned into the noise temperature (F - 1)·290 K.
#pragma once

#include "tessel/core/export.h"
#include "tessel/core/types.h"
#include "tessel/format/na_unit.h"

namespace Tessel {

TESSEL_EXPORT float C_to_F(float celsius);          // C·1.8 + 32
TESSEL_EXPORT float C_to_Kelvin(float celsius);     // C + 273.15
TESSEL_EXPORT float F_to_C(float fahrenheit);       // (F - 32)·5/9
TESSEL_EXPORT float F_to_Kelvin(float fahrenheit);  // (F + 459.67)·5/9
TESSEL_EXPORT float Kelvin_to_C(float kelvin);      // K - 273.15
TESSEL_EXPORT float Kelvin_to_F(float kelvin);      // K·1.8 - 459.67

// Converts n values from unit `from` to unit `to`. Sources UnitK, UnitKelvin, UnitCelsius and
// UnitFahrenheit (and UnitLinear, as kelvin) convert to the targets UnitKelvin, UnitCelsius and
// UnitFahrenheit; any other pair, a target of UnitK included, copies the values unchanged.
// n < 1 writes nothing. Returns 0, or kInvalidArg (writing nothing) for a null pointer with
// n >= 1. `in` and `out` may be the same array.
TESSEL_EXPORT long ConvertTemperature(const float* in, float* out, int n, NAUnit from, NAUnit to);
// The same, reading the real part of each sample.
TESSEL_EXPORT long ConvertTemperature(const TsComplex* in, float* out, int n, NAUnit from,
                                      NAUnit to);

}  // namespace Tessel
