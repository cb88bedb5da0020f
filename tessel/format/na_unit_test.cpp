// SPDX-License-Identifier: Apache-2.0
#include "tessel/format/na_unit.h"

#include <gtest/gtest.h>

namespace {

using namespace Tessel;

TEST(UnitStrings, EveryUnitHasItsExactStringAndOnlyUnitNoneChangesInTheNoNoneForm) {
    // Ω is U+03A9, the degree sign U+00B0.
    const wchar_t* expected[kNAUnitCount] = {
        L"Hz",       L"s",  L"mins", L"hrs",    L"days", L"dB", L"dBm", L"dBmV",
        L"W",        L"F",  L"H",    L"\u03A9", L"Mho",  L"S",  L"V",   L"\u00B0",
        L"rad",      L"m",  L"U",    L"",       L"",     L"K",  L"K",   L"\u00B0 C",
        L"\u00B0 F", L"ft", L"in",   L"dBmA",   L"A",    L"V"};
    for (int u = -1; u <= kNAUnitCount; ++u) {  // units outside the table read empty
        const wchar_t* want = u < 0 || u == kNAUnitCount ? L"" : expected[u];
        EXPECT_STREQ(GetUnitString(NAUnit(u)), want) << u;
        EXPECT_STREQ(GetUnitStringNoNone(NAUnit(u)), NAUnit(u) == UnitNone ? L"U" : want) << u;
    }
}

}  // namespace
