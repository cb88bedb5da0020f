// SPDX-License-Identifier: Apache-2.0
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
    EXPECT_NEAR(LinearInterpolate(a, 3.25), 1.25e9, 1e-3);  // across segments
    for (const auto& [index, value] : {std::pair{-3.0, 1e6}, {99.0, 2e9}, {NAN, 1e6}})
        EXPECT_EQ(LinearInterpolate(a, index), value);
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
            EXPECT_NEAR(FindNearestIndex(*a, 0.0, LinearInterpolate(*a, x)), x, 1e-7) << x;
        }
        for (std::size_t i = 0; i < a->size(); ++i)
            EXPECT_EQ(FindNearestIndex(*a, 5, a->at(i)), i);
    }
}

TEST(FindNearestIndexAxis, OutsideClampsAndSeveralSolutionsGiveTheOneNearestTheStart) {
    const InputArray up(Segment::Linear(100.0, 200.0, 11)), down(Segment::Linear(200.0, 100.0, 11));
    InputArray turn(Segment::Linear(0.0, 10.0, 11));  // 0..10 at 0..10
    turn.push_back(Segment::Linear(9.0, 0.0, 10));    // 9..0 at 11..20
    InputArray flat(Segment::Fixed(5.0, 10));
    flat.push_back(Segment::Linear(6.0, 10.0, 5));
    // Rounding plateaus of a linear segment (about 250 equal points each) are flat runs too.
    const InputArray fine(Segment::Linear(1.0, 1.0 + 4 * DBL_EPSILON, 1001));
    const struct {
        const InputArray& a;
        double start, value, index;
    } cases[] = {
        {up, 5, 50, 0},
        {up, 5, 250, 10},
        {down, 5, 250, 0},
        {down, 5, 50, 10},
        {down, 0, 125, 7.5},
        {turn, 0, 5, 5},
        {turn, 16, 5, 15},
        {turn, 10, 9.5, 10.5},
        {flat, 3, 5, 3},
        {flat, 12, 5, 9},
        {flat, 0, 5.5, 9.5},
        {fine, 40, 1, 40},
        {fine, 900, 1 + 4 * DBL_EPSILON, 900},
        {InputArray(), 3, 1, 0},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(FindNearestIndex(c.a, c.start, c.value), c.index) << c.value;
}

TEST(ValueSearchTrace, CrossingsTouchesRunsWindowsAndMisses) {
    const std::vector<float> wave = {0, 2, 0, 2, 0}, ramp = {0, 1, 2, 3}, one = {4},
                             plateau = {0, 1, 1, 1, 0};
    const double kMiss = -7;  // a miss leaves the result as it was
    // In order: rising and falling crossings both ways, the crossing at the start skipped; a
    // window that starts after two crossings, or going left ends inside an interval; a touching
    // point; runs at the target (their end nearest the start, or the start inside them); lastIndex
    // limited to the data; one point, on and off the target; misses (never reached, behind the
    // start, an empty window, a NaN target or window bound).
    const struct {
        const std::vector<float>& data;
        double start;
        int lastIndex;
        double lo, hi;
        bool right;
        double target, position;
    } cases[] = {
        {wave, 0.0, 4, 0, 4, true, 1.0, 0.5},     {wave, 0.5 + 1e-10, 4, 0, 4, true, 1.0, 1.5},
        {wave, 4.0, 4, 0, 4, false, 1.0, 3.5},    {wave, 3.5 - 1e-10, 4, 0, 4, false, 1.0, 2.5},
        {wave, 0.0, 4, 1.6, 4, true, 1.0, 2.5},   {ramp, 3.0, 3, 1.6, 3, false, 1.8, 1.8},
        {wave, 2.0, 4, 0, 4, true, 2.0, 3.0},     {plateau, 0.0, 4, 0, 4, true, 1.0, 1.0},
        {plateau, 2.5, 4, 0, 4, true, 1.0, 2.5},  {plateau, 4.0, 4, 0, 4, false, 1.0, 3.0},
        {ramp, 99.0, 99, 0, 99, false, 3.0, 3.0}, {one, 0.0, 0, 0, 0, false, 4.0, 0.0},
        {one, 0.0, 0, 0, 0, true, 5.0, kMiss},    {ramp, 0.0, 3, 0, 3, true, 5.0, kMiss},
        {ramp, 2.5, 3, 0, 3, true, 1.0, kMiss},   {ramp, 0.5, 3, 0, 3, false, 1.0, kMiss},
        {ramp, 0.0, 3, 2, 1, true, 1.5, kMiss},   {ramp, 0.0, 3, 0, 3, true, NAN, kMiss},
        {ramp, 0.0, 3, NAN, 3, true, 1.5, kMiss}, {ramp, 3.0, 3, 0, NAN, false, 1.5, kMiss},
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
}

}  // namespace
