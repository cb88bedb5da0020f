// SPDX-License-Identifier: Apache-2.0
// NAUnit: the display unit of a formatted array or readout, and its unit strings.
//
// The values are fixed: they are stored in saved records and exchanged with the host.
#pragma once

#include "tessel/core/export.h"

namespace Tessel {

enum NAUnit : int {
    UnitHz = 0,
    UnitSeconds = 1,
    UnitMinutes = 2,
    UnitHours = 3,
    UnitDays = 4,
    UnitDB = 5,
    UnitDBm = 6,
    UnitDBmV = 7,
    UnitWatts = 8,
    UnitFarads = 9,
    UnitHenries = 10,
    UnitOhms = 11,
    UnitMho = 12,
    UnitSiemens = 13,
    UnitVolts = 14,
    UnitDegrees = 15,
    UnitRadians = 16,
    UnitMeters = 17,
    UnitUnits = 18,
    UnitNone = 19,
    UnitLinear = 20,  // a linear ratio (noise factor) that temperature conversion turns into kelvin
    UnitK = 21,
    UnitKelvin = 22,  // the kelvin conversion target
    UnitCelsius = 23,
    UnitFahrenheit = 24,
    UnitFeet = 25,
    UnitInches = 26,
    UnitDBmA = 27,
    UnitAmperes = 28,
    UnitVoltsLinear = 29,
};

// Number of NAUnit values (0 .. kNAUnitCount - 1).
inline constexpr int kNAUnitCount = 30;

// The unit strings, indexed by NAUnit value.
extern TESSEL_EXPORT const wchar_t* const NAUnitString[kNAUnitCount];

// The string of a unit: NAUnitString[unit]. A unit outside 0..29 gives the empty string.
TESSEL_EXPORT const wchar_t* GetUnitString(NAUnit unit);
// As GetUnitString, except that UnitNone gives "U".
TESSEL_EXPORT const wchar_t* GetUnitStringNoNone(NAUnit unit);

}  // namespace Tessel
