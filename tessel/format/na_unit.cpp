// SPDX-License-Identifier: Apache-2.0
#include "tessel/format/na_unit.h"

namespace Tessel {

const wchar_t* const NAUnitString[kNAUnitCount] = {
    L"Hz", L"s",      L"mins", L"hrs",      L"days",     L"dB",     L"dBm", L"dBmV", L"W", L"F",
    L"H",  L"\u03A9", L"Mho",  L"S",        L"V",        L"\u00B0", L"rad", L"m",    L"U", L"",
    L"",   L"K",      L"K",    L"\u00B0 C", L"\u00B0 F", L"ft",     L"in",  L"dBmA", L"A", L"V",
};

const wchar_t* GetUnitString(NAUnit unit) {
    const int u = static_cast<int>(unit);
    // Units outside the table read as no unit rather than reading past it.
    return (u >= 0 && u < kNAUnitCount) ? NAUnitString[u] : L"";
}

const wchar_t* GetUnitStringNoNone(NAUnit unit) {
    return unit == UnitNone ? L"U" : GetUnitString(unit);
}

}  // namespace Tessel
