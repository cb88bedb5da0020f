#include "platform/measutil/interpolation.h"

#include <cfloat>
#include <cmath>
#include <random>

#include <gtest/gtest.h>

namespace {

using QuorUtility::FindNearestIndex;
using QuorUtility::InputArray;
using QuorUtility::LinearInterpolate;
using QuorUtility::Segment;
using QuorUtility::ValueSearch;

TEST(LinearInterpolateAxis, PointsExactFractionsLinearEndsClamped) {
    InputArray a(Segment::Log(1e6, 1e9, 4));  // 1e6, 1e7, 1e8, 1e9
    a.push_back(Segment::Fixed(2e9, 2));
    EXPECT_EQ(LinearInterpolate(a, 2.0), a.at(2));
    EXPECT_NEAR(LinearInterpolate(a, 0.5), 5.5e6, 1e-3);
    EXPECT_NEAR(LinearInterpolate(a, 3.25), 1e9 + 0.25e9, 1e-3);  // across segments
    EXPECT_EQ(LinearInterpolate(a, -3.0), 1e6);
    EXPECT_EQ(LinearInterpolate(a, 99.0), 2e9);
    EXPECT_EQ(LinearInterpolate(a, std::nan("")), 1e6);
    EXPECT_EQ(LinearInterpolate(InputArray(), 1.0), 0.0);
    const std::vector<float> f = {1.0f, 3.0f, -1.0f};
    EXPECT_DOUBLE_EQ(LinearInterpolate(f, 1.75), 0.0);
    EXPECT_EQ(LinearInterpolate(f, 7.0), -1.0);
    EXPECT_EQ(LinearInterpolate(std::vector<float>{4.0f}, 0.5), 4.0);
    EXPECT_EQ(LinearInterpolate(std::vector<float>{}, 0.5), 0.0);
}

TEST(FindNearestIndexAxis, InvertsInterpolationOnRisingAndFallingAxes) {
    std::mt19937 rng(::testing::UnitTest::GetInstance()->random_seed());
    InputArray rising(Segment::Linear(10e6, 3e9, 101));
    rising.push_back(Segment::Log(3.2e9, 26.5e9, 57));
    InputArray falling(Segment::Log(26.5e9, 1e9, 40));
    falling.push_back(Segment::Linear(0.9e9, 10e6, 31));
    for (const InputArray* a : {&rising, &falling}) {
        std::uniform_real_distribution<double> u(0.0, double(a->size() - 1));
        for (int k = 0; k < 500; ++k) {
            const double x = u(rng);
            const double v = LinearInterpolate(*a, x);
            EXPECT_NEAR(FindNearestIndex(*a, 0.0, v), x, 1e-7) << x;
        }
        for (std::size_t i = 0; i < a->size(); ++i)
            EXPECT_EQ(FindNearestIndex(*a, 5, a->at(i)), i);
    }
}

TEST(FindNearestIndexAxis, ValuesOutsideTheSpanClampToTheNearEnd) {
    const InputArray up(Segment::Linear(100.0, 200.0, 11));
    EXPECT_EQ(FindNearestIndex(up, 5.0, 50.0), 0.0);
    EXPECT_EQ(FindNearestIndex(up, 5.0, 250.0), 10.0);
    const InputArray down(Segment::Linear(200.0, 100.0, 11));
    EXPECT_EQ(FindNearestIndex(down, 5.0, 250.0), 0.0);
    EXPECT_EQ(FindNearestIndex(down, 5.0, 50.0), 10.0);
    EXPECT_DOUBLE_EQ(FindNearestIndex(down, 0.0, 125.0), 7.5);
    EXPECT_EQ(FindNearestIndex(InputArray(), 3.0, 1.0), 0.0);
}

TEST(FindNearestIndexAxis, TurningAndFlatAxesPickTheSolutionNearestTheStart) {
    InputArray a(Segment::Linear(0.0, 10.0, 11));  // 0..10 at 0..10
    a.push_back(Segment::Linear(9.0, 0.0, 10));    // 9..0 at 11..20
    EXPECT_DOUBLE_EQ(FindNearestIndex(a, 0.0, 5.0), 5.0);
    EXPECT_DOUBLE_EQ(FindNearestIndex(a, 16.0, 5.0), 15.0);
    EXPECT_DOUBLE_EQ(FindNearestIndex(a, 10.0, 9.5), 10.5);  // 9.5 and 10.5: the right one
    InputArray flat(Segment::Fixed(5.0, 10));
    flat.push_back(Segment::Linear(6.0, 10.0, 5));
    EXPECT_EQ(FindNearestIndex(flat, 3.0, 5.0), 3.0);
    EXPECT_EQ(FindNearestIndex(flat, 12.0, 5.0), 9.0);
    EXPECT_DOUBLE_EQ(FindNearestIndex(flat, 0.0, 5.5), 9.5);  // between the segments
    // Rounding plateaus of a linear segment (about 250 equal points each) are flat runs too.
    const InputArray fine(Segment::Linear(1.0, 1.0 + 4 * DBL_EPSILON, 1001));
    EXPECT_EQ(FindNearestIndex(fine, 40.0, 1.0), 40.0);
    EXPECT_EQ(FindNearestIndex(fine, 900.0, 1.0 + 4 * DBL_EPSILON), 900.0);
}

TEST(ValueSearchTrace, CrossingsTouchesRunsWindowsAndMisses) {
    const std::vector<float> wave = {0, 2, 0, 2, 0}, ramp = {0, 1, 2, 3}, one = {4},
                             plateau = {0, 1, 1, 1, 0};
    const double kMiss = -7;  // a miss leaves the result as it was
    // In order: rising and falling crossings both ways, the crossing at the start skipped; a
    // window that starts after two crossings; a touching point; runs at the target (their end
    // nearest the start, or the start inside them); lastIndex limited to the data; one point, on
    // and off the target; misses (never reached, behind the start, an empty window, a NaN target).
    const struct {
        const std::vector<float>& data;
        double start;
        int lastIndex;
        double lo, hi;
        bool right;
        double target, position;
    } cases[] = {
        {wave, 0.0, 4, 0, 4, true, 1.0, 0.5},      {wave, 0.5 + 1e-10, 4, 0, 4, true, 1.0, 1.5},
        {wave, 4.0, 4, 0, 4, false, 1.0, 3.5},     {wave, 3.5 - 1e-10, 4, 0, 4, false, 1.0, 2.5},
        {wave, 0.0, 4, 1.6, 4, true, 1.0, 2.5},    {wave, 2.0, 4, 0, 4, true, 2.0, 3.0},
        {plateau, 0.0, 4, 0, 4, true, 1.0, 1.0},   {plateau, 2.5, 4, 0, 4, true, 1.0, 2.5},
        {plateau, 4.0, 4, 0, 4, false, 1.0, 3.0},  {ramp, 99.0, 99, 0, 99, false, 3.0, 3.0},
        {one, 0.0, 0, 0, 0, false, 4.0, 0.0},      {one, 0.0, 0, 0, 0, true, 5.0, kMiss},
        {ramp, 0.0, 3, 0, 3, true, 5.0, kMiss},    {ramp, 2.5, 3, 0, 3, true, 1.0, kMiss},
        {ramp, 0.5, 3, 0, 3, false, 1.0, kMiss},   {ramp, 0.0, 3, 2, 1, true, 1.5, kMiss},
        {ramp, 0.0, 3, 0, 3, true, NAN, kMiss},    {ramp, 0.0, 3, NAN, 3, true, 1.5, kMiss},
        {ramp, 3.0, 3, 0, NAN, false, 1.5, kMiss},
    };
    for (const auto& c : cases) {
        double x = kMiss;
        EXPECT_EQ(ValueSearch(c.start, c.data, c.lastIndex, c.lo, c.hi, c.right, c.target, x),
                  c.position != kMiss);
        EXPECT_DOUBLE_EQ(x, c.position)
            << c.start << (c.right ? " right to " : " left to ") << c.target;
    }
    double x = kMiss;
    EXPECT_FALSE(ValueSearch(0.0, nullptr, 3, 0, 3, true, 1.0, x));
    EXPECT_EQ(x, kMiss);
}

// On random traces, a found position lies on the target and no data point strictly between
// the start and it crosses or touches the target; a miss means the window never reaches it.
TEST(ValueSearchTrace, RandomTracesAgreeWithTheCrossingDefinition) {
    std::mt19937 rng(::testing::UnitTest::GetInstance()->random_seed());
    std::uniform_real_distribution<float> u(-1.0f, 1.0f);
    for (int round = 0; round < 300; ++round) {
        std::vector<float> d(40);
        for (float& v : d)
            v = u(rng);
        const double target = u(rng) * 0.5, start = 39.0 * (u(rng) + 1) / 2;
        const bool right = round % 2 == 0;
        double x = -1;
        const bool found = ValueSearch(start, d, 39, 0, 39, right, target, x);
        const double a = right ? start : 0.0, b = right ? 39.0 : start;
        const double end = found ? x : (right ? b : a);
        ASSERT_GE(end, a);
        ASSERT_LE(end, b);
        if (found) {
            EXPECT_NEAR(LinearInterpolate(d, x), target, 1e-6);
        }
        // Signs of (value - target) at the start and at every whole point before `end`.
        const double from = right ? start : end, to = right ? end : start;
        const double g0 = LinearInterpolate(d, right ? from : to) - target;
        for (int j = int(std::ceil(from)); j <= int(std::floor(to)); ++j) {
            if (j == from || j == to)
                continue;
            EXPECT_GT((d[j] - target) * g0, 0.0) << "earlier crossing near " << j;
        }
    }
}

}  // namespace
