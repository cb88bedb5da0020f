#include "platform/measutil/point_averaging.h"

#include <gtest/gtest.h>

namespace {

TEST(PAReceiverRecord, SecondWordIsPositiveExactlyForASlot) {
    EXPECT_FALSE(PAReceiver().HasSlot());
    EXPECT_EQ(PAReceiver().slotId, 0);
    const PAReceiver r(0, false);  // slot 0 is a slot
    EXPECT_GT(r.slotId, 0);
    EXPECT_EQ(r.Slot(), 0);
    EXPECT_FALSE(r.IsEightChannel());
    const PAReceiver e(true, 5);
    EXPECT_EQ(e, PAReceiver(5, true));
    EXPECT_EQ(e.Slot(), 5);
    EXPECT_TRUE(e.IsEightChannel());
    EXPECT_NE(e, PAReceiver(5, false));
    EXPECT_EQ(PAReceiver(-1, false).slotId, 0);
    EXPECT_EQ(PAReceiver(-2, true).slotId, 0);
    EXPECT_EQ(PAReceiver(-2, true).Slot(), -1);
}

TEST(PAParameterRecord, EveryConstructorSetsReceiversAndInitState) {
    const PAParameter none;
    EXPECT_EQ(none.numerator, PAReceiver());
    EXPECT_EQ(none.denominator, PAReceiver());
    EXPECT_FALSE(none.ratioed);
    EXPECT_EQ(none.initValue, -1);

    const PAParameter one(3);
    EXPECT_EQ(one.numerator, PAReceiver(3, false));
    EXPECT_EQ(one.denominator, PAReceiver());
    EXPECT_FALSE(one.ratioed);
    EXPECT_EQ(one.initValue, -1);

    const PAParameter ratio(2, 0, 7);
    EXPECT_EQ(ratio.denominator, PAReceiver(0, false));
    EXPECT_TRUE(ratio.ratioed);  // d >= 0
    EXPECT_EQ(ratio.initValue, 7);
    EXPECT_FALSE(PAParameter(2, -1, 7).ratioed);

    EXPECT_TRUE(PAParameter(PAReceiver(1, true), PAReceiver(0, true), 4).ratioed);
    const PAParameter single(PAReceiver(1, true), PAReceiver(), 4);
    EXPECT_FALSE(single.ratioed);
    EXPECT_EQ(single.numerator, PAReceiver(1, true));

    const PAParameter six(4, true, 1, false, 9, true);
    EXPECT_EQ(six.numerator, PAReceiver(true, 4));
    EXPECT_EQ(six.denominator, PAReceiver(false, 1));
    EXPECT_TRUE(six.ratioed);
    EXPECT_EQ(six.initValue, 9);

    PAParameter p;
    p = six;
    EXPECT_EQ(p, six);
    p.Init(false, 12);
    EXPECT_FALSE(p.ratioed);
    EXPECT_EQ(p.initValue, 12);
    EXPECT_EQ(p.numerator, six.numerator);
}

TEST(PAComponentRecord, SetPhaseStitchStoresItsArguments) {
    const StitchPhase zero;
    EXPECT_EQ(zero.receiverSlotId, 0);
    EXPECT_FALSE(zero.enabled || zero.edgePoints);
    EXPECT_EQ(zero.settlingPoints + zero.leadInPoints, 0);
    EXPECT_EQ(zero.phaseStepLimit, 0.0);
    EXPECT_TRUE(zero.stitchIndices.empty());
    EXPECT_EQ(zero.stepWeightBefore + zero.stepWeightAfter, 0.0f);

    PAComponent c;
    PAParameter pa(PAReceiver(6, false), PAReceiver(), 0);
    pa.Init(false, -1);
    c.SetPhaseStitch(pa, {100, 240}, 40, 800, true);
    const StitchPhase& s = c.GetStitchPhase();
    EXPECT_EQ(s.receiverSlotId, 7);
    EXPECT_TRUE(s.enabled);
    EXPECT_TRUE(s.edgePoints);
    EXPECT_EQ(s.settlingPoints, 40);
    EXPECT_EQ(s.leadInPoints, 800);
    EXPECT_EQ(s.stitchIndices, (std::vector<int>{100, 240}));

    PAParameter other(2);
    c.SetPhaseStitch(other, {5}, 40, -3, false);
    c.SetPhaseStitch(pa, {5}, 40, 40, false);
    EXPECT_EQ(c.GetStitchedSlots(), (std::set<int>{2, 6}));
    ASSERT_EQ(c.GetStitchedParameters().size(), 2u);
    EXPECT_EQ(c.GetStitchedParameters()[0], pa);

    PAComponent copy = c;  // member-wise
    EXPECT_EQ(copy.GetStitchPhase().stitchIndices, (std::vector<int>{5}));
    EXPECT_EQ(copy.GetStitchPhase().leadInPoints, 40);
    PAParameter noSlot;
    copy.SetPhaseStitch(noSlot, {}, 0, 0, false);
    EXPECT_EQ(copy.GetStitchPhase().receiverSlotId, 0);
    EXPECT_EQ(c.GetStitchPhase().receiverSlotId, 7);
}

}  // namespace
