// SPDX-License-Identifier: Apache-2.0
#include "tessel/receivers/if_mux_setting.h"

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <type_traits>

#include "platform/services/host_services.h"

namespace {

using Tessel::IFMuxSetting;
using Tessel::ReceiverSlot;
using Names = std::vector<std::wstring>;

// Both argument orders exist, so a call with two ints names neither; the library passes bools.
static_assert(!std::is_constructible_v<PAReceiver, int, int>, "PAReceiver(3, 0) is ambiguous");

class IFMuxSettingTest : public testing::Test {
  protected:
    HostServices::ScopedReset reset_;

    void SetInternalPorts(int count) {
        auto config = HostServices::CurrentConfiguration();
        config.testSet.internalPortCount = count;
        HostServices::SetConfiguration(config);
    }
};

std::set<Parameter> Request(std::initializer_list<const wchar_t*> texts) {
    std::set<Parameter> set;
    for (const wchar_t* text : texts) {
        set.insert(Parameter(text));
    }
    return set;
}

TEST_F(IFMuxSettingTest, SlotsFollowTheSlotMap) {
    // Default map: b1|a1, b2, b3, b4, a2, shared R marked 100001.
    const IFMuxSetting setting(1, 0, 0, false);
    struct Row {
        bool flippable, sharedR;
        Names test, reference;
        int currentIndex;
    } rows[] = {{true, false, {L"b1", L"A"}, {L"a1", L"R1"}, 0},
                {false, false, {L"b2", L"B"}, {}, 1},
                {false, false, {L"b3", L"C"}, {}, 2},
                {false, false, {L"b4", L"D"}, {}, 3},
                {false, false, {}, {L"a2", L"R2"}, 1},
                {false, true, {}, {L"R"}, 0}};
    ASSERT_EQ(setting.GetSlots().size(), 6u);
    for (int i = 0; i < 6; ++i) {
        const ReceiverSlot& slot = setting.GetSlots()[i];
        EXPECT_EQ(slot.IsFlippable(), rows[i].flippable) << i;
        EXPECT_EQ(slot.IsSharedR(), rows[i].sharedR) << i;
        EXPECT_EQ(slot.GetTestNames(), rows[i].test) << i;
        EXPECT_EQ(slot.GetReferenceNames(), rows[i].reference) << i;
        EXPECT_EQ(slot.GetCurrentPortIndex(), rows[i].currentIndex) << i;
        EXPECT_EQ(slot.GetReceiver(), PAReceiver(i, false));
    }
    EXPECT_TRUE(setting.IsRChannelSwitchable());
    EXPECT_EQ(setting.GetSlot(L"C"), 2);
    EXPECT_EQ(setting.GetSlot(L"a1"), -1);  // slot 0 carries b1
    EXPECT_EQ(setting.GetSlot(L"R2"), 4);
    // Before the R channel is pointed, the 100001 slot knows the reference receivers 1 to 4.
    const ReceiverSlot r(nullptr, 5);
    EXPECT_EQ(r.GetReferenceNames(),
              (Names{L"R", L"a1", L"R1", L"a2", L"R2", L"a3", L"R3", L"a4", L"R4"}));
    EXPECT_EQ(r.GetReferencePortIndex(), 0);
}

TEST_F(IFMuxSettingTest, RChannelIndexIsClampedOrLeftUnassigned) {
    EXPECT_EQ(IFMuxSetting(1, 0, 7, false).GetRChannelPortIndex(), 0);  // not below 4 ports
    const IFMuxSetting unassigned(1, 0, -1, false);
    EXPECT_EQ(unassigned.GetRChannelPortIndex(), -1);
    // An unassigned R channel is known as R alone, not by every reference receiver.
    EXPECT_EQ(unassigned.GetSlots()[5].GetReferenceNames(), Names{L"R"});
    EXPECT_EQ(unassigned.GetSlot(L"a3"), -1);
    SetInternalPorts(3);
    const IFMuxSetting three(1, 0, 3, false);  // at the internal port count: stored as 0
    EXPECT_EQ(three.GetRChannelPortIndex(), 0);
    EXPECT_EQ(three.GetSlots()[5].GetReferencePortIndex(), 3);  // the slot gets it unclamped
}

TEST_F(IFMuxSettingTest, AssignsSlotsForRequests) {
    struct Row {
        std::set<Parameter> request;
        int rIndex, internalPorts;
        bool keepRatios, result, eightChannel;
        std::set<int> flipped, used;
        int rAfter;
    } rows[] = {
        {Request({L"S11", L"S21"}), 0, 4, false, true, false, {}, {0, 1}, 0},
        {Request({L"S31", L"S33"}), -1, 4, false, true, false, {0}, {0, 2, 5}, 2},
        {Request({L"S33", L"S44"}), 0, 4, false, false, true, {}, {}, 2},  // a4 finds no slot
        {Request({L"a1/a2,1"}), 0, 4, false, true, false, {0, 1, 2, 3, 4}, {}, 1},
        {Request({L"a1/a2,1"}), 0, 4, true, true, false, {0, 4}, {0, 4}, 0},
        {Request({}), -1, 4, false, true, false, {}, {}, 0},  // port 1 drives
        {Request({L"b2,2", L"S33", L"S44"}), 0, 2, false, true, false, {}, {}, 1},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Row& row = rows[i];
        SCOPED_TRACE(testing::Message() << "row " << i);
        SetInternalPorts(row.internalPorts);
        IFMuxSetting setting(2, 5, row.rIndex, false);
        EXPECT_EQ(setting.RequestParameters(row.request, row.keepRatios), row.result);
        EXPECT_EQ(setting.IsInEightChannelMode(), row.eightChannel);
        EXPECT_EQ(setting.GetFlippedSlots(), row.flipped);
        EXPECT_EQ(setting.GetRChannelPortIndex(), row.rAfter);
        std::set<int> used;
        for (const ReceiverSlot& slot : setting.GetSlots()) {
            if (slot.IsUsed()) {
                used.insert(slot.GetSlotNumber());
            }
            EXPECT_EQ(slot.GetReceiver().IsEightChannel(), row.eightChannel);
            EXPECT_EQ(slot.GetOwner(), &setting);
            const bool flipped = row.flipped.count(slot.GetSlotNumber()) != 0;
            EXPECT_EQ(slot.CarriesTestReceiver(),
                      slot.GetTestPortIndex() >= 0 && !(flipped && slot.IsFlippable()));
        }
        EXPECT_EQ(used, row.used);
        EXPECT_EQ(setting.GetSlots().size(), row.eightChannel ? 8u : 6u);
    }
}

struct Info : QuorAppBase::IParamInfo {
    int num, den;
    bool numRef, denRef;
    Info(int n, bool nr, int d, bool dr) : num(n), den(d), numRef(nr), denRef(dr) {}
    int GetNumeratorPortIndex() const override { return num; }
    bool IsNumeratorReference() const override { return numRef; }
    int GetDenominatorPortIndex() const override { return den; }
    bool IsDenominatorReference() const override { return denRef; }
    int GetInitValue() const override { return 9; }
};

TEST_F(IFMuxSettingTest, TranslatesParametersIntoSlotRecords) {
    IFMuxSetting setting(2, 5, -1, false);
    ASSERT_TRUE(setting.RequestParameters(Request({L"S31", L"S33"}), false));
    const IFMuxSetting copy = setting;  // the copy's slots belong to the copy
    EXPECT_EQ(copy.GetSlots()[0].GetOwner(), &copy);
    const std::pair<const wchar_t*, PAParameter> rows[] = {
        {L"S33", PAParameter(2, 5, 5)},  // a3 travels through the R slot
        {L"S31", PAParameter(2, 0, 5)},  // a1 on the flipped slot 0
        {L"b3,3", PAParameter(2, false, -1, false, 5, false)},
        {L"S22", PAParameter(1, 4, 5)},
        {L"S21", PAParameter(1, 0, 5)},
        {L"b9,1", PAParameter(-1, false, -1, false, 5, false)}};
    for (const auto& [text, expected] : rows) {
        EXPECT_EQ(copy.GetRatioedParameter(Parameter(text)), expected) << text;
    }
    const std::pair<Info, PAParameter> infos[] = {
        {Info(2, false, 0, true), PAParameter(2, 0, 9)},
        {Info(0, true, 0, true), PAParameter(0, false, -1, false, 9, false)},  // numerator only
        {Info(7, false, 0, true), PAParameter(-1, false, -1, false, 9, false)}};
    for (const auto& [info, expected] : infos) {
        EXPECT_EQ(copy.GetRatioedParameter(boost::make_shared<Info>(info)), expected);
    }
    EXPECT_EQ(copy.GetRatioedParameter(boost::shared_ptr<QuorAppBase::IParamInfo>()),
              PAParameter());
}

}  // namespace
