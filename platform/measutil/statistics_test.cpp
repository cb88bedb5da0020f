#include "platform/measutil/statistics.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include <gtest/gtest.h>

namespace {

using QuorUtility::ComputeStats;

// s1 mean, s2 population deviation, s3 minimum, s4 maximum, s5 root mean square: against
// direct sums in long double, and a known run (mean 5, deviation 2).
TEST(ComputeStatsRun, MatchesDirectSumsKnownValuesAndRefusesEmptyRuns) {
    std::mt19937 rng(::testing::UnitTest::GetInstance()->random_seed());
    std::normal_distribution<float> noise(-40.0f, 3.0f);
    float s1, s2, s3, s4, s5, keep = 42;
    for (int n : {1, 2, 7, 1601}) {
        std::vector<float> v(n);
        for (float& x : v)
            x = noise(rng);
        long double sum = 0, sq = 0, dev = 0;
        for (float x : v)
            sum += x, sq += (long double)x * x;
        for (float x : v)
            dev += (x - sum / n) * (x - sum / n);
        ASSERT_TRUE(ComputeStats(v.data(), v.data() + n, s1, s2, s3, s4, s5));
        EXPECT_FLOAT_EQ(s1, float(sum / n));
        EXPECT_NEAR(s2, float(std::sqrt(dev / n)), 1e-5);
        EXPECT_EQ(std::make_pair(s3, s4), std::make_pair(*std::min_element(v.begin(), v.end()),
                                                         *std::max_element(v.begin(), v.end())));
        EXPECT_FLOAT_EQ(s5, float(std::sqrt(sq / n)));
    }
    const float v[] = {2, 4, 4, 4, 5, 5, 7, 9};
    ASSERT_TRUE(ComputeStats(v, v + 8, s1, s2, s3, s4, s5));
    EXPECT_EQ(std::make_tuple(s1, s2, s4 - s3), std::make_tuple(5.0f, 2.0f, 7.0f));
    EXPECT_FLOAT_EQ(s5, std::sqrt(29.0f));
    EXPECT_FALSE(ComputeStats(v, v, keep, keep, keep, keep, keep));
    EXPECT_FALSE(ComputeStats(nullptr, nullptr, keep, keep, keep, keep, keep));
    EXPECT_EQ(keep, 42);
    const float withNan[] = {NAN, 1, 3};  // NaN spoils the sums but not the extremes
    ASSERT_TRUE(ComputeStats(withNan, withNan + 3, s1, s2, s3, s4, s5));
    EXPECT_TRUE(std::isnan(s1));
    EXPECT_EQ(std::make_pair(s3, s4), std::make_pair(1.0f, 3.0f));
}

}  // namespace
