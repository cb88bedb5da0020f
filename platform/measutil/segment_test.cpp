// SPDX-License-Identifier: Apache-2.0
#include "platform/measutil/segment.h"

#include <cfloat>
#include <cmath>
#include <stdexcept>

#include <gtest/gtest.h>

namespace {

using QuorUtility::Segment;
using QuorUtility::SegmentType;

// Every point of linear and log laws against the closed form in long double; each point is
// found back at its whole index.
TEST(SegmentLaw, PointsFollowTheLawExactEndsAndAreFoundAtTheirIndex) {
    for (const auto& [a, b, log] : {std::tuple{1e6, 2.65e10, true},
                                    {9e9, 3e5, true},
                                    {-1e3, -1e7, true},
                                    {10e6, 20e9, false},
                                    {5.0, -5.0, false}}) {
        const Segment s = log ? Segment::Log(a, b, 201) : Segment::Linear(a, b, 201);
        ASSERT_EQ(s.IsLog(), log);
        EXPECT_EQ(std::make_pair(s.front(), s.back()), std::make_pair(a, b));
        for (int k = 0; k < 201; ++k) {
            const long double t = k / 200.0L;
            const long double x =
                log ? a * std::exp(t * std::log((long double)b / a)) : a + (b - (long double)a) * t;
            EXPECT_NEAR(s.at(k), (double)x, 1e-13 * std::abs((double)x) + 1e-9) << k;
            EXPECT_EQ(s.Find(s[k], false), double(k));
        }
        EXPECT_THROW(s.at(201), std::out_of_range);
        EXPECT_FALSE(s.IsFixed());
    }
    EXPECT_TRUE(Segment::Linear(3.0, 3.0, 4).IsFixed() && Segment::Linear(3.0, 7.0, 1).IsFixed());
    EXPECT_EQ(Segment::Fixed(1e9, 5).at(4), 1e9);
    EXPECT_TRUE(Segment::Linear(1.0, 2.0, -3).empty());
    EXPECT_FALSE(Segment::Log(-1.0, 5.0, 7).IsLog() || Segment::Log(0.0, 5.0, 7).IsLog());
    EXPECT_EQ(Segment::Log(-1.0, 5.0, 7).at(3), 2.0);  // built linear
}

TEST(SegmentFind, InterpolatesClampsOnlyWhenAskedAndTakesThePlateauPointNearest) {
    const Segment up = Segment::Linear(100.0, 200.0, 11), down = Segment::Linear(200.0, 100.0, 11);
    const Segment lg = Segment::Log(1.0, 1000.0, 4);  // 1, 10, 100, 1000
    const Segment cw = Segment::Fixed(5.0, 3), none;
    // About 250 equal points per rounding plateau: 1 at 0..125, 1 + 2 eps around 500.
    const Segment fine = Segment::Linear(1.0, 1.0 + 4 * DBL_EPSILON, 1001);
    // In order: inside (linear between neighbours, on log segments too); outside (-1 unless
    // clamped to the near end, NaN never clamped); a flat segment or plateau holds its value
    // at the position nearest `near`; an empty segment holds nothing.
    const struct {
        const Segment& s;
        double value;
        bool clamp;
        double near, position;
    } cases[] = {
        {up, 125.0, false, 0, 2.5},   {down, 125.0, false, 0, 7.5},
        {lg, 55.0, false, 0, 1.5},    {lg, 3.25, false, 0, 0.25},
        {up, 99.0, false, 0, -1.0},   {up, 201.0, false, 0, -1.0},
        {up, 99.0, true, 0, 0.0},     {up, 201.0, true, 0, 10.0},
        {down, 250.0, true, 0, 0.0},  {down, 50.0, true, 0, 10.0},
        {up, NAN, true, 0, -1.0},     {cw, 5.0, false, 1, 1.0},
        {cw, 6.0, false, 0, -1.0},    {none, 0.0, true, 0, -1.0},
        {fine, 1.0, false, 40, 40.0}, {fine, 1.0, false, 900, 125.0},
        {fine, 1.0, false, NAN, 0.0}, {fine, 1.0 + 2 * DBL_EPSILON, false, 500, 500.0},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(c.s.Find(c.value, c.clamp, c.near), c.position)
            << c.value << " " << c.clamp << " near " << c.near;
    }
}

// Exact cutting and joining are covered through ConformSegments and OptimizeRepresentation.
TEST(SegmentDefinition, ViewsClipAndInconsistentDefinitionsAreRejected) {
    const Segment s = Segment::Log(3e5, 2e10, 1001), b = s.Sub(400, 601);
    EXPECT_EQ(std::make_pair(b.Find(s[700], false), s.Sub(990, 50).size()),
              std::make_pair(300.0, std::size_t{11}));
    EXPECT_EQ(Segment::Fixed(2.0, 3).Joined(Segment::Fixed(2.0, 9)), Segment::Fixed(2.0, 12));
    Segment out = Segment::Fixed(9.0, 1);
    using T = SegmentType;
    for (const auto& [type, start, stop, span, first, count] :
         {std::tuple{T::kLinear, 0.0, 1.0, 10, 5, 6},
          {T::kLinear, 0.0, 1.0, 10, 0, 0},
          {T::kLog, -1.0, 1.0, 10, 0, 10},
          {T::kFixed, 1.0, 2.0, 10, 0, 10},
          {static_cast<T>(7), 0.0, 1.0, 2, 0, 2},
          {T::kLinear, INFINITY, 1.0, 2, 0, 2}})
        EXPECT_FALSE(Segment::FromDefinition(type, start, stop, span, first, count, 0, out));
    EXPECT_EQ(out, Segment::Fixed(9.0, 1));
    ASSERT_TRUE(Segment::FromDefinition(SegmentType::kLinear, 0, 10, 11, 3, 4, 0.5, out));
    EXPECT_EQ(std::make_pair(out.front(), out.back()), std::make_pair(3.5, 6.5));
}

}  // namespace
