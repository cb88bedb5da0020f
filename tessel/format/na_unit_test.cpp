#include "tessel/format/na_unit.h"

#include <cwchar>
#include <string>

#include <gtest/gtest.h>

namespace {

using namespace Tessel;

TEST(UnitStrings, SpecialCharactersAreTheExactCodePoints) {
    EXPECT_EQ(std::wstring(GetUnitString(UnitOhms)), std::wstring(1, wchar_t(0x03A9)));
    EXPECT_EQ(std::wstring(GetUnitString(UnitDegrees)), std::wstring(1, wchar_t(0x00B0)));
    const std::wstring celsius = {wchar_t(0x00B0), L' ', L'C'};
    const std::wstring fahrenheit = {wchar_t(0x00B0), L' ', L'F'};
    EXPECT_EQ(std::wstring(GetUnitString(UnitCelsius)), celsius);
    EXPECT_EQ(std::wstring(GetUnitString(UnitFahrenheit)), fahrenheit);
}

TEST(UnitStrings, TableMatchesEveryUnit) {
    const wchar_t* expected[kNAUnitCount] = {
        L"Hz", L"s",    L"mins", L"hrs",  L"days", L"dB",   L"dBm", L"dBmV", L"W", L"F",
        L"H",  nullptr, L"Mho",  L"S",    L"V",    nullptr, L"rad", L"m",    L"U", L"",
        L"",   L"K",    L"K",    nullptr, nullptr, L"ft",   L"in",  L"dBmA", L"A", L"V"};
    for (int u = 0; u < kNAUnitCount; ++u) {
        EXPECT_EQ(GetUnitString(NAUnit(u)), NAUnitString[u]) << "unit " << u;
        if (expected[u] != nullptr) {
            EXPECT_STREQ(GetUnitString(NAUnit(u)), expected[u]) << "unit " << u;
        }
    }
}

TEST(UnitStrings, NoNoneVariantNamesUnitNoneOnly) {
    EXPECT_STREQ(GetUnitString(UnitNone), L"");
    EXPECT_STREQ(GetUnitStringNoNone(UnitNone), L"U");
    EXPECT_STREQ(GetUnitStringNoNone(UnitLinear), L"");
    EXPECT_STREQ(GetUnitStringNoNone(UnitHz), L"Hz");
}

TEST(UnitStrings, OutOfRangeUnitReadsAsEmpty) {
    EXPECT_STREQ(GetUnitString(NAUnit(-1)), L"");
    EXPECT_STREQ(GetUnitString(NAUnit(kNAUnitCount)), L"");
}

}  // namespace
