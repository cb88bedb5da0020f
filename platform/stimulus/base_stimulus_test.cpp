// SPDX-License-Identifier: Apache-2.0
// AIBaseStimulus: sub-sweep indices, which sub-sweeps are active, and the accessor bounds.
#include "platform/stimulus/base_stimulus.h"

#include <stdexcept>

#include <gtest/gtest.h>

TEST(AIBaseStimulus, SubSweepsAreIndexedActiveByTypeOrSelectionAndBoundsChecked) {
    AIBaseStimulus s;
    const QuorUtility::InputArray a(QuorUtility::Segment::Linear(1e9, 2e9, 11));
    for (int i = 0; i < 3; ++i)  // types 0, 1, 0
        EXPECT_EQ(s.AddSubSweep(i % 2, a, {}, {float(i)}), i);
    EXPECT_EQ(s.GetSubSweepPerPoint(1), std::vector<float>{1.0f});
    const bool active[][3] = {{true, true, false}, {false, true, true}};  // selected 0, 2
    for (int selected : {0, 2}) {
        s.SetSelectedSubSweep(selected);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(s.IsSubSweepActive(i), active[selected / 2][i]) << selected << i;
    }
    for (int bad : {-1, 3})
        EXPECT_THROW(s.SetSubSweepPerPoint(bad, {}), std::out_of_range) << bad;
}
