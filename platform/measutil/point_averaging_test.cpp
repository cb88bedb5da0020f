#include "platform/measutil/point_averaging.h"

#include <gtest/gtest.h>

namespace {

TEST(PAReceiverRecord, SecondWordIsPositiveExactlyForASlot) {
    EXPECT_FALSE(PAReceiver().HasSlot());
    const PAReceiver r(0, false);  // slot 0 is a slot
    EXPECT_EQ(r.slotId, 1);
    EXPECT_EQ(r.Slot(), 0);
    EXPECT_FALSE(r.IsEightChannel());
    EXPECT_EQ(PAReceiver(true, 5), PAReceiver(5, true));  // both argument orders
    EXPECT_TRUE(PAReceiver(5, true).IsEightChannel());
    EXPECT_NE(PAReceiver(5, true), PAReceiver(5, false));
    EXPECT_EQ(PAReceiver(-1, false).slotId, 0);
    EXPECT_EQ(PAReceiver(-2, true).Slot(), -1);
}

TEST(PAParameterRecord, ConstructorsDecideRatioFromTheDenominator) {
    EXPECT_EQ(PAParameter(), PAParameter(PAReceiver(), PAReceiver(), -1));
    const PAParameter one(3);
    EXPECT_EQ(one.numerator, PAReceiver(3, false));
    EXPECT_FALSE(one.ratioed || one.denominator.HasSlot());
    EXPECT_EQ(one.initValue, -1);
    const PAParameter ratio(2, 0, 7);
    EXPECT_EQ(ratio.denominator, PAReceiver(0, false));
    EXPECT_TRUE(ratio.ratioed);  // d >= 0
    EXPECT_EQ(ratio.initValue, 7);
    EXPECT_FALSE(PAParameter(2, -1, 7).ratioed);
    EXPECT_TRUE(PAParameter(PAReceiver(1, true), PAReceiver(0, true), 4).ratioed);
    EXPECT_FALSE(PAParameter(PAReceiver(1, true), PAReceiver(), 4).ratioed);
    // Six words: slot and mode of each receiver, the init value, the ratio flag.
    const PAParameter six(4, true, 1, false, 9, true);
    EXPECT_EQ(six, PAParameter(PAReceiver(4, true), PAReceiver(1, false), 9));
    EXPECT_FALSE(PAParameter(4, true, 1, false, 9, false).ratioed);
}

TEST(PAComponentRecord, SetPhaseStitchRecordsSlotsAndClampsCounts) {
    PAComponent c;
    PAParameter pa(PAReceiver(6, false), PAReceiver(), 0);
    c.SetPhaseStitch(pa, {100, 240}, 40, 800, true);
    const StitchPhase& s = c.GetStitchPhase();
    EXPECT_EQ(s.receiverSlotId, 7);
    EXPECT_TRUE(s.enabled && s.edgePoints);
    EXPECT_EQ(s.settlingPoints, 40);
    EXPECT_EQ(s.leadInPoints, 800);
    EXPECT_EQ(s.stitchIndices, (std::vector<int>{100, 240}));

    PAParameter other(2);
    c.SetPhaseStitch(other, {5}, -1, -3, false);
    EXPECT_EQ(s.settlingPoints + s.leadInPoints, 0);  // negative counts stored as 0
    c.SetPhaseStitch(pa, {5}, 40, 40, false);
    EXPECT_EQ(c.GetStitchedSlots(), (std::set<int>{2, 6}));
    EXPECT_EQ(c.GetStitchedParameters(), (std::vector<PAParameter>{pa, other}));
    PAParameter noSlot;
    c.SetPhaseStitch(noSlot, {}, 0, 0, false);
    EXPECT_EQ(s.receiverSlotId, 0);
    EXPECT_EQ(c.GetStitchedSlots().size(), 2u);
}

}  // namespace
