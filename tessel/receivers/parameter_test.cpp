// SPDX-License-Identifier: Apache-2.0
#include "tessel/receivers/parameter.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/services/host_services.h"

namespace {

using K = ParameterKind;

// A receiver as the table expects it (a literal type, so the tables are constant).
struct R {
    const wchar_t* name;
    int port;
    bool isReference;
};

struct Expected {
    const wchar_t* text;
    K kind;
    int source;
    R numerator, denominator;
    const wchar_t* name;  // null: the text itself
    bool valid;           // on the default four-port test set
};

void ExpectParsed(const Parameter& p, const Expected& e) {
    SCOPED_TRACE(testing::Message() << "text " << e.text);
    EXPECT_EQ(p.GetKind(), e.kind);
    EXPECT_EQ(p.GetSourcePort(), e.source);
    for (const auto& [got, want] : {std::make_pair(p.GetNumerator(), e.numerator),
                                    std::make_pair(p.GetDenominator(), e.denominator)}) {
        EXPECT_EQ(got.name, std::wstring(want.name));
        EXPECT_EQ(got.port, want.port);
        EXPECT_EQ(got.isReference, want.isReference);
    }
    EXPECT_EQ(p.GetName(), e.name != nullptr ? e.name : e.text);
    EXPECT_EQ(p.IsValid(), e.valid);
}

constexpr R kNone{L"", 0, false};
constexpr R kCleared{L"", 1, false};

// Every pattern family: case rules, separators, ports above 9, logical and physical names.
constexpr Expected kTable[] = {
    {L"S21", K::SParameter, 1, {L"b2", 2, false}, {L"a1", 1, true}, L"S21", true},
    {L"s21", K::SParameter, 1, {L"b2", 2, false}, {L"a1", 1, true}, L"S21", true},
    {L"S2_1", K::SParameter, 1, {L"b2", 2, false}, {L"a1", 1, true}, L"S21", true},
    {L"S2.1", K::SParameter, 1, {L"b2", 2, false}, {L"a1", 1, true}, L"S21", true},
    {L"S10_2", K::SParameter, 2, {L"b10", 10, false}, {L"a2", 2, true}, L"S10_2", false},
    {L"S1.12", K::SParameter, 12, {L"b1", 1, false}, {L"a12", 12, true}, L"S1_12", false},
    {L"S04", K::SParameter, 4, {L"b0", 0, false}, {L"a4", 4, true}, L"S0_4", false},
    {L"a3,1", K::Receiver, 1, {L"a3", 3, true}, kNone, nullptr, true},
    {L"B3_1", K::Receiver, 1, {L"b3", 3, false}, kNone, nullptr, true},
    {L"b12,2", K::Receiver, 2, {L"b12", 12, false}, kNone, nullptr, false},
    {L"R,2", K::Receiver, 2, {L"R", 2, true}, kNone, nullptr, true},
    {L"R1,2", K::Receiver, 2, {L"R1", 1, true}, kNone, nullptr, true},
    {L"D_3", K::Receiver, 3, {L"D", 4, false}, kNone, nullptr, true},
    {L"E,3", K::Receiver, 3, {L"E", 3, false}, kNone, nullptr, true},   // unknown letter
    {L"A,5", K::Receiver, 5, {L"A", 1, false}, kNone, nullptr, false},  // 4 sources
    {L"A/R1,1", K::Ratio, 1, {L"A", 1, false}, {L"R1", 1, true}, nullptr, true},
    {L"AR1,1", K::Ratio, 1, {L"A", 1, false}, {L"R1", 1, true}, nullptr, true},
    {L"BR_3", K::Ratio, 3, {L"B", 2, false}, {L"R", 3, true}, nullptr, true},
    {L"b2/A1,2", K::Ratio, 2, {L"b2", 2, false}, {L"a1", 1, true}, nullptr, true},
    {L"B12a10_3", K::Ratio, 3, {L"b12", 12, false}, {L"a10", 10, true}, nullptr, false},
    // Custom names: shaped as S11, keeping their text as name.
    {L"S123", K::Custom, 1, {L"b1", 1, false}, {L"a1", 1, true}, nullptr, true},
    {L"a,1", K::Custom, 1, {L"b1", 1, false}, {L"a1", 1, true}, nullptr, true},
    {L"b2/R1,1", K::Custom, 1, {L"b1", 1, false}, {L"a1", 1, true}, nullptr, true},
    {L"S2\u0131", K::Custom, 1, {L"b1", 1, false}, {L"a1", 1, true}, nullptr, true},
    {L"", K::SParameter, 0, kCleared, kCleared, nullptr, false},
};

class ParameterTest : public testing::Test {
  protected:
    HostServices::ScopedReset reset_;

    void SetTestSet(int ports, int sources) {
        auto config = HostServices::CurrentConfiguration();
        config.testSet.portCount = ports;
        config.testSet.sourceCount = sources;
        HostServices::SetConfiguration(config);
    }
};

TEST_F(ParameterTest, ParsesEveryPatternFamily) {
    for (const Expected& e : kTable) {
        ExpectParsed(Parameter(e.text), e);
    }
    ExpectParsed(Parameter(nullptr), {L"", K::SParameter, 0, kCleared, kCleared, nullptr, false});
    // Too long for the patterns: kept as a custom name.
    const std::wstring longName = L"R" + std::wstring(300, L'0') + L"1,1";
    EXPECT_EQ(Parameter(longName.c_str()).GetKind(), K::Custom);
}

TEST_F(ParameterTest, ValidityFollowsTheTestSet) {
    struct Row {
        const wchar_t* text;
        bool fourPorts, zeroPorts;
    } rows[] = {{L"b4,1", true, true},  {L"b5,1", false, false}, {L"S44", true, true},
                {L"S55", false, false}, {L"a0,1", false, true},  {L"b1,0", true, true}};
    for (const Row& row : rows) {
        SetTestSet(4, 4);
        EXPECT_EQ(Parameter(row.text).IsValid(), row.fourPorts) << "4 ports: " << row.text;
        SetTestSet(0, 4);
        EXPECT_EQ(Parameter(row.text).IsValid(), row.zeroPorts) << "0 ports: " << row.text;
    }
    SetTestSet(0, 1);
    EXPECT_FALSE(Parameter(L"S22").IsValid());          // source port 2 of 1
    EXPECT_EQ(Parameter(L"R,9").GetDrivingPort(), 9);   // a reference receiver's port wins
    EXPECT_EQ(Parameter(L"b2,3").GetDrivingPort(), 1);  // source port above 0 ports
}

TEST_F(ParameterTest, SetOrderIsAStrictWeakOrderingOverEquivalentTexts) {
    // Texts in one group are one set element; different groups are different elements.
    const std::vector<std::vector<const wchar_t*>> groups = {{L"S21", L"s21", L"S2_1", L"S2.1"},
                                                             {L"a1,1", L"A1_1"},
                                                             {L"A/R1,1", L"AR1,1", L"AR1_1"},
                                                             {L"b2/a1,2", L"B2A1_2"},
                                                             {L"S11", L"s1_1"},
                                                             {L"S123"},
                                                             {L"Custom"},
                                                             {L"R,1"},
                                                             {L"R1,1"},
                                                             {L"A,1"},
                                                             {L"b1,1"},
                                                             {L""},
                                                             {L"S12"},
                                                             {L"S10_2"}};
    std::vector<std::pair<Parameter, std::size_t>> all;
    for (std::size_t g = 0; g < groups.size(); ++g) {
        for (const wchar_t* text : groups[g]) {
            all.emplace_back(Parameter(text), g);
        }
    }
    for (const auto& [a, ga] : all) {
        for (const auto& [b, gb] : all) {
            const bool equivalent = !(a < b) && !(b < a);
            EXPECT_EQ(equivalent, ga == gb) << a.GetName() << " vs " << b.GetName();
            for (const auto& [c, gc] : all) {
                if (a < b && b < c) {
                    EXPECT_TRUE(a < c) << a.GetName() << " < " << c.GetName();
                }
            }
        }
    }
    std::set<Parameter> set;
    for (const auto& entry : all) {
        set.insert(entry.first);
    }
    EXPECT_EQ(set.size(), groups.size());
}

TEST_F(ParameterTest, DrivingPortAndResets) {
    const std::pair<const wchar_t*, int> driving[] = {{L"b2/a1,2", 1}, {L"b2,3", 3}, {L"S21", 1},
                                                      {L"R,2", 2},     {L"b2,7", 1}, {L"", 1},
                                                      {L"a3,1", 3}};
    for (const auto& [text, port] : driving) {
        EXPECT_EQ(Parameter(text).GetDrivingPort(), port) << text;
    }
    Parameter p(L"Custom");
    EXPECT_TRUE(p.SetSParameter(3, 2));
    ExpectParsed(p, {L"S32", K::SParameter, 2, {L"b3", 3, false}, {L"a2", 2, true}, nullptr, true});
    EXPECT_FALSE(p.SetSParameter(1, 10));
    EXPECT_EQ(p.GetName(), L"S1_10");
    p.ResetParameter();  // keeps the source port and the name
    ExpectParsed(p, {L"S1_10", K::SParameter, 10, kCleared, kCleared, nullptr, false});
}

TEST_F(ParameterTest, AuxiliaryReceiversComeFromTheHostManager) {
    auto config = HostServices::CurrentConfiguration();
    config.auxReceivers = {{L"IFR,2", 1, L"", false},
                           {L"Pwr_3", 7, L"Sensor/Ref", true},
                           {L"Aux,9", 0, L"", false},
                           {L"IFS,2", 1, L"", false}};
    HostServices::SetConfiguration(config);
    const Parameter primary(L"IFR,2"), catalogue(L"Pwr_3"), other(L"Aux,9");
    EXPECT_EQ(primary.GetKind(), K::AuxiliaryPrimary);
    EXPECT_TRUE(primary.IsValid() && primary.IsCatalogueReceiver() &&
                primary.GetCatalogueProperty());
    EXPECT_EQ(primary.GetSourcePort(), 2);
    EXPECT_EQ(primary.GetNumeratorPort(), 1);  // cleared receivers
    EXPECT_EQ(catalogue.GetKind(), K::CatalogueReceiver);
    EXPECT_EQ(catalogue.GetSourcePort(), 3);
    EXPECT_TRUE(catalogue.IsCatalogueOrdered() && catalogue.IsCatalogueRatio());
    EXPECT_EQ(catalogue.GetCatalogueReceiverName(), L"Sensor/Ref");
    EXPECT_EQ(catalogue.GetCatalogueDenominatorName(), L"Ref");
    EXPECT_EQ(other.GetKind(), K::AuxiliaryOther);
    EXPECT_FALSE(other.IsValid());  // source port 9 of 4
    // Two receivers with the same source port stay two set elements (by their text).
    EXPECT_TRUE(primary < Parameter(L"IFS,2"));
    EXPECT_EQ(Parameter(L"IFR,1").GetKind(), K::Custom);  // known only by its exact text
}

}  // namespace
