// SPDX-License-Identifier: Apache-2.0
#include "platform/measutil/statistics.h"

#include <cmath>
#include <tuple>

#include <gtest/gtest.h>

namespace {

using QuorUtility::ComputeStats;

// s1 mean, s2 population deviation, s3 minimum, s4 maximum, s5 root mean square.
TEST(ComputeStatsRun, KnownValuesEmptyRunsAndNan) {
    const float v[] = {2, 4, 4, 4, 5, 5, 7, 9};  // mean 5, deviation 2
    float s1, s2, s3, s4, s5, keep = 42;
    ASSERT_TRUE(ComputeStats(v, v + 8, s1, s2, s3, s4, s5));
    EXPECT_EQ(std::make_tuple(s1, s2, s3, s4), std::make_tuple(5.0f, 2.0f, 2.0f, 9.0f));
    EXPECT_FLOAT_EQ(s5, std::sqrt(29.0f));
    ASSERT_TRUE(ComputeStats(v + 7, v + 8, s1, s2, s3, s4, s5));
    EXPECT_EQ(std::make_tuple(s1, s2, s3, s4, s5), std::make_tuple(9.0f, 0.0f, 9.0f, 9.0f, 9.0f));
    EXPECT_FALSE(ComputeStats(v, v, keep, keep, keep, keep, keep));
    EXPECT_FALSE(ComputeStats(nullptr, nullptr, keep, keep, keep, keep, keep));
    EXPECT_EQ(keep, 42);
    const float withNan[] = {NAN, 1, 3};  // NaN spoils the sums but not the extremes
    ASSERT_TRUE(ComputeStats(withNan, withNan + 3, s1, s2, s3, s4, s5));
    EXPECT_TRUE(std::isnan(s1));
    EXPECT_EQ(std::make_pair(s3, s4), std::make_pair(1.0f, 3.0f));
}

}  // namespace
