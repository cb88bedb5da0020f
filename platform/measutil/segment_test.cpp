#include "platform/measutil/segment.h"

#include <cmath>
#include <stdexcept>

#include <gtest/gtest.h>

namespace {

using QuorUtility::Segment;
using QuorUtility::SegmentType;

TEST(SegmentLaw, LogSpacingIsExactAtEndsAndGeometricBetween) {
    for (const auto& [a, b] : {std::pair{1e6, 2.65e10}, {9e9, 3e5}, {-1e3, -1e7}}) {
        const Segment s = Segment::Log(a, b, 201);
        ASSERT_TRUE(s.IsLog());
        EXPECT_EQ(s.front(), a);
        EXPECT_EQ(s.back(), b);
        for (int k = 0; k < 201; ++k) {
            const long double expected = a * std::exp(k / 200.0L * std::log((long double)b / a));
            EXPECT_NEAR(s.at(k), (double)expected, 1e-13 * std::abs((double)expected)) << k;
        }
    }
}

TEST(SegmentLaw, LinearPointsFlatRunsAndImpossibleLogLaws) {
    const Segment lin = Segment::Linear(10e6, 20e9, 1601);
    EXPECT_EQ(lin.front(), 10e6);
    EXPECT_EQ(lin.back(), 20e9);
    for (int k = 0; k < 1601; ++k)
        EXPECT_NEAR(lin.at(k), 10e6 + (20e9 - 10e6) / 1600.0 * k, 1e-5);
    EXPECT_THROW(lin.at(1601), std::out_of_range);
    EXPECT_FALSE(lin.IsFixed());
    EXPECT_TRUE(Segment::Linear(3.0, 3.0, 4).IsFixed());
    EXPECT_TRUE(Segment::Linear(3.0, 7.0, 1).IsFixed());
    EXPECT_EQ(Segment::Fixed(1e9, 5).at(4), 1e9);
    EXPECT_TRUE(Segment::Linear(1.0, 2.0, -3).empty());
    // A log law through or from zero is built linear.
    EXPECT_FALSE(Segment::Log(-1.0, 5.0, 7).IsLog());
    EXPECT_EQ(Segment::Log(-1.0, 5.0, 7).at(3), 2.0);
    EXPECT_FALSE(Segment::Log(0.0, 5.0, 7).IsLog());
}

TEST(SegmentFind, PointsGiveWholeIndicesOnEveryLaw) {
    for (const Segment& s : {Segment::Linear(1e9, 2e9, 11), Segment::Linear(5.0, -5.0, 21),
                             Segment::Log(1e6, 1e10, 401), Segment::Log(1e10, 1e6, 33)}) {
        for (std::size_t k = 0; k < s.size(); ++k)
            EXPECT_EQ(s.Find(s[k], false), double(k));
    }
}

TEST(SegmentFind, InterpolatesBetweenNeighboursAndClampsOnlyWhenAsked) {
    const Segment up = Segment::Linear(100.0, 200.0, 11), down = Segment::Linear(200.0, 100.0, 11);
    const Segment lg = Segment::Log(1.0, 1000.0, 4);  // 1, 10, 100, 1000
    const Segment cw = Segment::Fixed(5.0, 3), none;
    // In order: inside (linear between neighbours, on log segments too); outside (-1 unless
    // clamped to the near end, NaN never clamped); a flat segment holds only its value, at 0;
    // an empty one holds nothing.
    const struct {
        const Segment& s;
        double value;
        bool clamp;
        double position;
    } cases[] = {
        {up, 125.0, false, 2.5},  {down, 125.0, false, 7.5}, {lg, 55.0, false, 1.5},
        {lg, 3.25, false, 0.25},  {up, 99.0, false, -1.0},   {up, 201.0, false, -1.0},
        {up, 99.0, true, 0.0},    {up, 201.0, true, 10.0},   {down, 250.0, true, 0.0},
        {down, 50.0, true, 10.0}, {up, NAN, true, -1.0},     {cw, 5.0, false, 0.0},
        {cw, 6.0, false, -1.0},   {none, 0.0, true, -1.0},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(c.s.Find(c.value, c.clamp), c.position) << c.value << " " << c.clamp;
}

TEST(SegmentViews, PiecesReproduceAndRejoinExactly) {
    const Segment s = Segment::Log(3e5, 2e10, 1001);
    const Segment a = s.Sub(0, 400), b = s.Sub(400, 601);
    for (std::size_t k = 0; k < 400; ++k)
        ASSERT_EQ(a[k], s[k]);
    for (std::size_t k = 0; k < 601; ++k)
        ASSERT_EQ(b[k], s[400 + k]);
    EXPECT_EQ(b.Find(s[700], false), 300.0);
    ASSERT_TRUE(a.Continues(b));
    EXPECT_FALSE(b.Continues(a));
    EXPECT_EQ(a.Joined(b), s);
    EXPECT_EQ(s.Sub(990, 50).size(), 11u);
    EXPECT_TRUE(Segment::Fixed(2.0, 3).Continues(Segment::Fixed(2.0, 9)));
    EXPECT_EQ(Segment::Fixed(2.0, 3).Joined(Segment::Fixed(2.0, 9)), Segment::Fixed(2.0, 12));
}

TEST(SegmentDefinition, RejectsInconsistentParts) {
    Segment out = Segment::Fixed(9.0, 1);
    EXPECT_FALSE(Segment::FromDefinition(SegmentType::kLinear, 0, 1, 10, 5, 6, 0, out));
    EXPECT_FALSE(Segment::FromDefinition(SegmentType::kLinear, 0, 1, 10, 0, 0, 0, out));
    EXPECT_FALSE(Segment::FromDefinition(SegmentType::kLog, -1, 1, 10, 0, 10, 0, out));
    EXPECT_FALSE(Segment::FromDefinition(SegmentType::kFixed, 1, 2, 10, 0, 10, 0, out));
    EXPECT_FALSE(Segment::FromDefinition(static_cast<SegmentType>(7), 0, 1, 2, 0, 2, 0, out));
    EXPECT_FALSE(Segment::FromDefinition(SegmentType::kLinear, INFINITY, 1, 2, 0, 2, 0, out));
    EXPECT_EQ(out, Segment::Fixed(9.0, 1));
    ASSERT_TRUE(Segment::FromDefinition(SegmentType::kLinear, 0, 10, 11, 3, 4, 0.5, out));
    EXPECT_EQ(out.front(), 3.5);
    EXPECT_EQ(out.back(), 6.5);
}

}  // namespace
