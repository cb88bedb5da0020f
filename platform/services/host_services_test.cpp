// SPDX-License-Identifier: Apache-2.0
#include "platform/services/host_services.h"

#include <cwchar>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tessel/core/services.h"
#include "tessel/core/status.h"

namespace {

using Tessel::GetService;

// Applies `change` to the current configuration.
template <class F>
void Configure(F change) {
    auto config = HostServices::CurrentConfiguration();
    change(config);
    HostServices::SetConfiguration(config);
}

// GetSlotMap's result and its two outputs.
std::tuple<bool, int, int> SlotMap(int slot, bool eightChannel) {
    int test = 7, reference = 7;
    const bool ok = GetService<ITestSet>()->GetSlotMap(slot, eightChannel, test, reference);
    return {ok, test, reference};
}

TEST(StandInTestSet, SlotMapsOfBothModesAndTheirBounds) {
    HostServices::ScopedReset reset;
    EXPECT_EQ(GetService<ITestSet>()->GetIFMuxSlotCount(), 6);
    EXPECT_EQ(SlotMap(5, false), std::tuple(true, -1, 100001));  // the shared R slot
    for (int slot = 0; slot < 8; ++slot) {
        const int port = slot % 4 + 1;
        EXPECT_EQ(SlotMap(slot, true),
                  slot < 4 ? std::tuple(true, port, -1) : std::tuple(true, -1, port));
    }
    for (const auto& [slot, eightChannel] : {std::pair{6, false}, {-1, true}, {8, true}})
        EXPECT_EQ(SlotMap(slot, eightChannel), std::tuple(false, -1, -1)) << slot;
}

TEST(StandInTestSet, SlotNumbersFollowTheSlotMap) {
    HostServices::ScopedReset reset;
    const ITestSet* ts = GetService<ITestSet>();
    const std::vector<std::pair<const wchar_t*, int>> expected = {
        {L"b1", 1},   {L"A", 1},  {L"a1", 1}, {L"R1", 1}, {L"b2", 2}, {L"B", 2},
        {L"b3", 3},   {L"C", 3},  {L"b4", 4}, {L"D", 4},  {L"a2", 5}, {L"R2", 5},
        {L"R", 6},    {L"a3", 6}, {L"R3", 6}, {L"a4", 6}, {L"R4", 6}, {L"b2,1", 2},
        {L"a4_3", 6}, {L"b5", 0}, {L"B2", 0}, {L"r", 0},  {L"", 0},   {L"E", 0}};
    for (const auto& [name, slot] : expected)
        EXPECT_EQ(ts->GetSlotNumber(name), slot) << std::string(name, name + wcslen(name));

    // A plain shared R slot knows only R; a slot with test and reference port knows both.
    Configure([](auto& c) { c.testSet.slotMap = {{2, 3}, {-1, 100000}}; });
    EXPECT_EQ(ts->GetIFMuxSlotCount(), 2);
    EXPECT_EQ(ts->GetSlotNumber(L"B"), 1);
    EXPECT_EQ(ts->GetSlotNumber(L"R3"), 1);
    EXPECT_EQ(ts->GetSlotNumber(L"R"), 2);
    EXPECT_EQ(ts->GetSlotNumber(L"a1"), 0);
}

TEST(StandInHardwareCaps, BandsOfBothBreakListsAndRatings) {
    HostServices::ScopedReset reset;
    const INAHardwareCaps* hw = GetService<INAHardwareCaps>();
    ASSERT_EQ(hw->GetBandBreakCount(), 5);
    EXPECT_EQ(hw->GetBandBreak(4), 6.4e9);
    EXPECT_EQ(hw->GetBandBreak(-1), 0.0);
    EXPECT_EQ(hw->GetBandBreak(5), 0.0);
    // A break belongs to the band below it; the additional breaks continue the numbering.
    const std::vector<std::pair<double, int>> bands = {
        {1e6, 0}, {10e6, 0}, {10e6 + 1, 1}, {1e9, 2}, {6.4e9, 4}, {7e9, 5}, {15e9, 6}, {25e9, 7}};
    for (const auto& [f, band] : bands)
        EXPECT_EQ(hw->GetBandNumber(f), band) << f;
    const std::vector<std::pair<double, int>> ratings = {
        {1e9, 1}, {13.5e9, 1}, {14e9, 2}, {21e9, 3}};
    for (const auto& [f, rating] : ratings)
        EXPECT_EQ(hw->GetFrequencyRating(f, -1), rating) << f;
}

TEST(StandInHardwareCaps, ConfiguredOffsetsAndUnsortedBreaks) {
    HostServices::ScopedReset reset;
    const INAHardwareCaps* hw = GetService<INAHardwareCaps>();
    EXPECT_EQ(hw->GetFrequencyOffset(1e9), 0.0);
    Configure([](auto& c) {
        c.hardware.bandBreaks = {0.0, 2e9, 0.0, 1e9};  // zero entries delimit no band
        c.hardware.additionalBandBreaks = {};
        c.hardware.bandOffsets = {{1, 5e6}, {2, 0.0}};
        c.hardware.ratingSteps = {3e9, 1e9};
    });
    EXPECT_EQ(hw->GetFrequencyRating(2e9, 0), 2);
    EXPECT_EQ(hw->GetBandBreakCount(), 4);
    EXPECT_EQ(hw->GetBandNumber(0.5e9), 0);
    EXPECT_EQ(hw->GetBandNumber(1.5e9), 1);
    EXPECT_EQ(hw->GetBandNumber(3e9), 2);
    EXPECT_FALSE(hw->BandHasFrequencyOffset(0));
    EXPECT_TRUE(hw->BandHasFrequencyOffset(1));
    EXPECT_TRUE(hw->BandHasFrequencyOffset(2));
    EXPECT_EQ(hw->GetFrequencyOffset(1.5e9), 5e6);
    EXPECT_EQ(hw->GetFrequencyOffset(3e9), 0.0);
}

TEST(StandInSpurs, ValuesChangeAtConfiguredSpursOnlyWhenAvoiding) {
    HostServices::ScopedReset reset;
    const IHWSpurs* spurs = GetService<IHWSpurs>();
    const std::vector<double> f = {1.05e9, 1.15e9, 1.25e9, 1.35e9, 1.45e9}, settings(5, 1.0);
    std::vector<double> found, values;
    Configure([](auto& c) { c.spurFrequencies = {5e9, 1.3e9, 1.1e9}; });
    EXPECT_EQ(spurs->ComputeSpurs(f, {}, found, 0, 0.0, {}, 0, true, values), Tessel::kOk);
    EXPECT_EQ(found, (std::vector<double>{1.1e9, 1.3e9}));
    EXPECT_EQ(values, (std::vector<double>{0, 1, 1, 2, 2}));
    EXPECT_EQ(spurs->ComputeSpurs(f, settings, found, 0, 0.0, {}, 0, false, values), Tessel::kOk);
    EXPECT_EQ(values, std::vector<double>(5, 0.0));
    // Settings of another length are refused, with both outputs cleared.
    EXPECT_EQ(spurs->ComputeSpurs(f, {1.0}, found, 0, 0.0, {}, 0, true, values),
              Tessel::kInvalidArg);
    EXPECT_TRUE(found.empty() && values.empty());
}

TEST(StandInAuxReceivers, NoneByDefaultAndConfiguredByExactName) {
    HostServices::ScopedReset reset;
    const Interface::IAuxReceiverManager* aux = GetService<Interface::IAuxReceiverManager>();
    int property = -3;
    std::wstring catalogue = L"x";
    bool ordered = false;
    EXPECT_EQ(aux->GetReceiverCount(), 0);
    EXPECT_FALSE(aux->FindReceiver(L"IFIn1", property));

    Configure([](auto& c) {
        c.auxReceivers = {{L"IFIn1", 1, L"", false}, {L"PwrSensor", 2, L"PM1", true}};
    });
    EXPECT_EQ(aux->GetReceiverCount(), 2);
    EXPECT_FALSE(aux->FindReceiver(L"ifin1", property));
    EXPECT_EQ(property, -3);  // a miss leaves the result
    EXPECT_TRUE(aux->FindReceiver(L"IFIn1", property));
    EXPECT_EQ(property, 1);
    EXPECT_FALSE(aux->FindCatalogueReceiver(L"IFIn1", catalogue, ordered));
    EXPECT_EQ(catalogue, L"x");
    EXPECT_TRUE(aux->FindCatalogueReceiver(L"PwrSensor", catalogue, ordered));
    EXPECT_EQ(catalogue, L"PM1");
    EXPECT_TRUE(ordered);
}

TEST(HostServicesConfiguration, KeptServicesSeeEveryChangeAndTheReset) {
    const ITestSet* kept = nullptr;
    {
        HostServices::ScopedReset reset;
        kept = GetService<QuorApp::IQuorCore>()->GetTestSet();
        Configure([](auto& c) { c.testSet.portCount = 0; });
        EXPECT_EQ(kept->GetPortCount(), 0);
        auto* report = GetService<QuorApp::IReportErrorInternal>();
        EXPECT_EQ(report->ReportError(Tessel::kArchiveError, L" first"), Tessel::kOk);
        report->ReportError(-1, L"second");
        const auto& errors = HostServices::ReportedErrors();
        ASSERT_EQ(errors.size(), 2u);
        EXPECT_EQ(errors[0].code, -402126718L);
        EXPECT_EQ(errors[0].message, L" first");
        EXPECT_EQ(errors[1].code, -1);
    }
    EXPECT_EQ(kept->GetPortCount(), 4);
    EXPECT_TRUE(HostServices::ReportedErrors().empty());
}

}  // namespace
