#include "tessel/format/na_unit.h"

#include <gtest/gtest.h>

namespace {

using namespace Tessel;

TEST(UnitStrings, TableGivesEveryUnitItsExactString) {
    // Special characters by code point: Ω is U+03A9, the degree sign U+00B0.
    const wchar_t* expected[kNAUnitCount] = {
        L"Hz",       L"s",  L"mins", L"hrs",    L"days", L"dB", L"dBm", L"dBmV",
        L"W",        L"F",  L"H",    L"\u03A9", L"Mho",  L"S",  L"V",   L"\u00B0",
        L"rad",      L"m",  L"U",    L"",       L"",     L"K",  L"K",   L"\u00B0 C",
        L"\u00B0 F", L"ft", L"in",   L"dBmA",   L"A",    L"V"};
    for (int u = 0; u < kNAUnitCount; ++u) {
        EXPECT_EQ(GetUnitString(NAUnit(u)), NAUnitString[u]) << "unit " << u;
        EXPECT_STREQ(GetUnitString(NAUnit(u)), expected[u]) << "unit " << u;
    }
}

TEST(UnitStrings, NoNoneVariantNamesUnitNoneOnlyAndUnknownUnitsReadEmpty) {
    EXPECT_STREQ(GetUnitString(UnitNone), L"");
    EXPECT_STREQ(GetUnitStringNoNone(UnitNone), L"U");
    EXPECT_STREQ(GetUnitStringNoNone(UnitLinear), L"");
    EXPECT_STREQ(GetUnitStringNoNone(UnitHz), L"Hz");
    EXPECT_STREQ(GetUnitString(NAUnit(-1)), L"");
    EXPECT_STREQ(GetUnitString(NAUnit(kNAUnitCount)), L"");
}

}  // namespace
