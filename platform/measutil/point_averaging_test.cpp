// SPDX-License-Identifier: Apache-2.0
#include "platform/measutil/point_averaging.h"

#include <gtest/gtest.h>

namespace {

TEST(PointAveragingRecords, ReceiverSlotWordsAndParameterRatioFromTheDenominator) {
    EXPECT_FALSE(PAReceiver().HasSlot());
    const PAReceiver r(0, false);  // slot 0 is a slot: the second word is positive
    EXPECT_EQ(std::make_tuple(r.slotId, r.Slot(), r.IsEightChannel()),
              std::make_tuple(1, 0, false));
    EXPECT_EQ(PAReceiver(true, 5), PAReceiver(5, true));  // both argument orders
    EXPECT_TRUE(PAReceiver(5, true).IsEightChannel());
    EXPECT_NE(PAReceiver(5, true), PAReceiver(5, false));
    EXPECT_EQ(std::make_pair(PAReceiver(-1, false).slotId, PAReceiver(-2, true).Slot()),
              std::make_pair(0, -1));

    EXPECT_EQ(PAParameter(), PAParameter(PAReceiver(), PAReceiver(), -1));
    const PAParameter one(3), ratio(2, 0, 7);
    EXPECT_EQ(std::make_tuple(one.numerator, one.ratioed, one.denominator.HasSlot(), one.initValue),
              std::make_tuple(PAReceiver(3, false), false, false, -1));
    EXPECT_EQ(std::make_tuple(ratio.denominator, ratio.ratioed, ratio.initValue),
              std::make_tuple(PAReceiver(0, false), true, 7));  // d >= 0
    EXPECT_FALSE(PAParameter(2, -1, 7).ratioed);
    EXPECT_TRUE(PAParameter(PAReceiver(1, true), PAReceiver(0, true), 4).ratioed);
    EXPECT_FALSE(PAParameter(PAReceiver(1, true), PAReceiver(), 4).ratioed);
    // Six words: slot and mode of each receiver, the init value, the ratio flag.
    EXPECT_EQ(PAParameter(4, true, 1, false, 9, true),
              PAParameter(PAReceiver(4, true), PAReceiver(1, false), 9));
    EXPECT_FALSE(PAParameter(4, true, 1, false, 9, false).ratioed);
}

TEST(PAComponentRecord, SetPhaseStitchRecordsSlotsAndClampsCounts) {
    PAComponent c;
    PAParameter pa(PAReceiver(6, false), PAReceiver(), 0), other(2), noSlot;
    c.SetPhaseStitch(pa, {100, 240}, 40, 800, true);
    const StitchPhase& s = c.GetStitchPhase();
    EXPECT_EQ(std::make_tuple(s.receiverSlotId, s.enabled, s.edgePoints, s.settlingPoints,
                              s.leadInPoints),
              std::make_tuple(7, true, true, 40, 800));
    EXPECT_EQ(s.stitchIndices, (std::vector<int>{100, 240}));
    c.SetPhaseStitch(other, {5}, -1, -3, false);
    EXPECT_EQ(s.settlingPoints + s.leadInPoints, 0);  // negative counts stored as 0
    c.SetPhaseStitch(pa, {5}, 40, 40, false);
    EXPECT_EQ(c.GetStitchedSlots(), (std::set<int>{2, 6}));
    EXPECT_EQ(c.GetStitchedParameters(), (std::vector<PAParameter>{pa, other}));
    c.SetPhaseStitch(noSlot, {}, 0, 0, false);
    EXPECT_EQ(s.receiverSlotId, 0);
    EXPECT_EQ(c.GetStitchedSlots().size(), 2u);
}

}  // namespace
