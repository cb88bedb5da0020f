// SPDX-License-Identifier: Apache-2.0
// DataFormat: the scalar format of a formatted array.
//
// Values 3 and 8..17 lie in the range of the type; data vectors store and return them
// unchanged, and no formatting operation produces or interprets them.
#pragma once

namespace Tessel {

enum DataFormat : int {
    FormatLinMag = 0,
    FormatLogMag = 1,
    FormatPhase = 2,
    FormatDelay = 4,  // group delay, seconds
    FormatReal = 5,
    FormatImag = 6,
    FormatSWR = 7,
    FormatKelvin = 18,  // temperature in kelvin, from the real part of the samples
    FormatFahrenheit = 19,
    FormatCelsius = 20,
    FormatNone = 21,  // no single scalar format (complex readouts)
};

}  // namespace Tessel
