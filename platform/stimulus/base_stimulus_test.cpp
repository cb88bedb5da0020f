// SPDX-License-Identifier: Apache-2.0
// AIBaseStimulus: sub-sweep indices, which sub-sweeps count as active, and the bounds of the
// sub-sweep accessors.
#include "platform/stimulus/base_stimulus.h"

#include <stdexcept>

#include <gtest/gtest.h>

using QuorUtility::InputArray;
using QuorUtility::Segment;

TEST(AIBaseStimulus, SubSweepsAreIndexedActiveByTypeOrSelectionAndBoundsChecked) {
    AIBaseStimulus s;
    const InputArray a(Segment::Linear(1e9, 2e9, 11)), b(Segment::Linear(3e9, 4e9, 5));
    EXPECT_EQ(s.AddSubSweep(0, a), 0);
    EXPECT_EQ(s.AddSubSweep(1, b, a, {1.0f, 2.0f}), 1);
    EXPECT_EQ(s.AddSubSweep(0, b), 2);
    EXPECT_EQ(s.GetSubSweepCount(), 3);
    EXPECT_EQ(s.GetSubSweepStimulus(1), b);
    EXPECT_EQ(s.GetSubSweepSecondAxis(1), a);
    EXPECT_EQ(s.GetSubSweepPerPoint(1), (std::vector<float>{1.0f, 2.0f}));
    // Type 1 is always active; type 0 only when selected.
    const bool want[][3] = {{false, true, true}, {true, true, false}};
    for (int selected : {2, 0}) {
        s.SetSelectedSubSweep(selected);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(s.IsSubSweepActive(i), want[selected == 0][i]) << selected << " " << i;
    }
    s.SetSubSweepStimulus(2, a);
    EXPECT_EQ(s.GetSubSweepStimulus(2), a);
    EXPECT_EQ(s.GetSubSweepStimulus(0), a);  // the others untouched
    for (int bad : {-1, 3}) {
        EXPECT_THROW(s.GetSubSweepType(bad), std::out_of_range) << bad;
        EXPECT_THROW(s.SetSubSweepPerPoint(bad, {}), std::out_of_range) << bad;
        EXPECT_THROW(s.IsSubSweepActive(bad), std::out_of_range) << bad;
    }
}
