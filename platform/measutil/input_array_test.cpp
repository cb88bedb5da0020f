// SPDX-License-Identifier: Apache-2.0
#include "platform/measutil/input_array.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <stdexcept>

#include <gtest/gtest.h>

namespace {

using QuorUtility::InputArray;
using QuorUtility::Segment;
using QuorUtility::SegmentType;

// A sweep of three segments: 11 linear points 1..2 GHz, 4 CW points, 5 log points down; and
// its values computed directly.
InputArray ThreeSegments() {
    InputArray a(Segment::Linear(1e9, 2e9, 11));
    a.push_back(Segment::Fixed(5e9, 4));
    a.push_back(Segment::Log(8e9, 8e5, 5));
    return a;
}
std::vector<double> ThreeSegmentValues() {
    std::vector<double> v(20, 5e9);
    for (int k = 0; k <= 10; ++k)
        v[k] = 1e9 + 1e8 * k;
    for (int k = 0; k < 5; ++k)
        v[15 + k] = 8e9 / std::pow(10.0, k);
    return v;
}

TEST(InputArrayAxis, PointsAccessorsShiftAndValueEquality) {
    InputArray a = ThreeSegments();
    const std::vector<double> v = ThreeSegmentValues();
    for (std::size_t i = 0; i < v.size(); ++i)
        EXPECT_NEAR(a.at(i), v[i], 1e-12 * v[i]) << i;
    EXPECT_EQ(std::make_tuple(a.NumSegments(), a.SegmentStart(2), a.SegmentIndexOf(14)),
              std::make_tuple(3u, 15u, 1u));
    EXPECT_EQ(std::make_tuple(a.front(), a.back(), a.min_element()),
              std::make_tuple(1e9, 8e5, 8e5));
    EXPECT_FALSE(a.IsConstant());
    EXPECT_THROW(a.at(20), std::out_of_range);
    const InputArray empty;
    EXPECT_EQ(empty.min_element(), std::numeric_limits<double>::infinity());
    EXPECT_TRUE(empty.IsConstant() && InputArray(Segment::Fixed(3.0, 9)).IsConstant());
    EXPECT_EQ(empty.front(), 0.0);
    // Equality compares values, whatever the segmentation; a shift moves every point.
    std::vector<double> w = a.GetArray();
    EXPECT_EQ(InputArray(w), a);
    w[7] += 1.0;
    EXPECT_NE(InputArray(w), a);
    w.pop_back();
    EXPECT_NE(InputArray(w), a);
    const std::vector<double> before = a.GetArray();
    a += -200.0;
    for (std::size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(a.at(i), before[i] - 200.0);
}

TEST(InputArrayAxis, PointVectorIsSharedAndFollowsEveryChange) {
    InputArray a = ThreeSegments();
    const auto p1 = a.GetArrayPtr();
    EXPECT_EQ(a.GetArrayPtr(), p1);
    EXPECT_EQ(*p1, a.GetArray());
    InputArray copy = a;
    copy += 1.0;
    EXPECT_EQ(copy.GetArrayPtr()->at(0), 1e9 + 1.0);
    EXPECT_EQ(a.GetArrayPtr(), p1);
    a.push_back(Segment::Fixed(1.0, 1));
    EXPECT_EQ(a.GetArrayPtr()->size(), 21u);
    EXPECT_EQ(p1->size(), 20u);  // handed-out vectors never change
    // A plain axis (20 single points) reads points from the vector: it must follow changes.
    InputArray plain(ThreeSegmentValues());
    plain += 5.0;
    EXPECT_EQ(plain.at(3), 1.3e9 + 5.0);
    plain.push_back(Segment::Fixed(-1.0, 2));
    EXPECT_EQ(plain.at(21), -1.0);
    plain.SetArray(std::vector<double>(12, 4.0));
    EXPECT_EQ(plain.at(11), 4.0);
    plain.SetArray(nullptr, 5);  // refused: the axis stays
    EXPECT_EQ(plain.size(), 12u);
    // Axes of long segments answer from the segments and never build the point vector.
    InputArray runs;
    for (int k = 0; k < 9; ++k)
        runs.push_back(Segment::Linear(k, k + 0.5, 1000));
    EXPECT_EQ(runs.at(8999), 8.5);
    EXPECT_FALSE(runs.PointsCached());
}

TEST(InputArrayRepresentation, FindsRunsWithin64UlpAndKeepsEverythingElseExact) {
    InputArray a(ThreeSegmentValues());
    a.OptimizeRepresentation();
    ASSERT_EQ(a.NumSegments(), 3u);
    EXPECT_TRUE(a.GetSegment(0).IsLinear() && a.GetSegment(2).IsLog());
    EXPECT_EQ(a.GetSegment(1).Type(), SegmentType::kFixed);
    EXPECT_EQ(a, InputArray(ThreeSegmentValues()));
    // Random values, nearly linear runs off by more than 64 ulp, overflowing steps: no runs.
    std::mt19937 rng(::testing::UnitTest::GetInstance()->random_seed());
    std::uniform_real_distribution<double> u(1e6, 1e9);
    std::vector<double> r(300);
    std::generate(r.begin(), r.end(), [&] { return u(rng); });
    for (const std::vector<double>& w :
         {r, {1e9, 2e9, 3e9 + 1}, {1e308, -1e308, 1e308}, {-1e308, 0, 1e308, 0}}) {
        InputArray c(w);
        c.OptimizeRepresentation();
        EXPECT_EQ(c.GetArray(), w);
    }
    // Only-fixed joins equal neighbours and nothing else.
    const std::vector<double> f = {1, 1, 1, 2, 3, 4, 4};
    InputArray d(f);
    d.OptimizeRepresentationOnlyFixed();
    EXPECT_EQ(d.GetSegments(), (std::vector<Segment>{Segment::Fixed(1, 3), Segment::Fixed(2, 1),
                                                     Segment::Fixed(3, 1), Segment::Fixed(4, 2)}));
}

TEST(InputArrayRecord, GoldenBytesRoundTripAndDamage) {
    std::vector<std::uint8_t> bytes;
    InputArray(Segment::Linear(1.0, 2.0, 3)).Serialize(bytes);
    // clang-format off
    const std::vector<std::uint8_t> golden = {
        1, 0, 0, 0, 1, 0, 0, 0,              // version 1, one segment
        0,                                   // linear
        0, 0, 0, 0, 0, 0, 0xF0, 0x3F,        // start 1.0
        0, 0, 0, 0, 0, 0, 0, 0x40,           // stop 2.0
        3, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0,  // span 3, first 0, count 3
        0, 0, 0, 0, 0, 0, 0, 0};             // offset 0.0
    // clang-format on
    EXPECT_EQ(bytes, golden);

    InputArray a = ThreeSegments();
    a.push_back(Segment::Log(1e6, 1e9, 50).Sub(10, 20));  // a window inside its law
    a += 12.5;
    bytes = {0xAA};
    a.Serialize(bytes);
    InputArray b;
    std::size_t used = 0;
    ASSERT_TRUE(b.Deserialize(bytes.data() + 1, bytes.size() - 1, &used));
    EXPECT_EQ(used, bytes.size() - 1);
    EXPECT_EQ(b.GetSegments(), a.GetSegments());
    for (std::size_t n = 0; n + 1 < bytes.size(); ++n) {  // truncations change nothing
        InputArray c = ThreeSegments();
        EXPECT_FALSE(c.Deserialize(bytes.data() + 1, n)) << n;
        EXPECT_EQ(c.GetSegments(), ThreeSegments().GetSegments());
    }
    std::vector<std::uint8_t> bad(golden);
    // In order: an unknown version, an unknown law, a law of 2^31 points (more than an axis
    // may hold, even viewed in part), and the same law one point below that (accepted).
    for (const auto& [at, value, ok] :
         {std::tuple{0, 2, false}, {8, 9, false}, {28, 0x80, false}, {28, 0x7F, true}}) {
        bad = golden;
        bad[at] = static_cast<std::uint8_t>(value);
        EXPECT_EQ(b.Deserialize(bad.data(), bad.size()), ok) << at;
    }
    EXPECT_FALSE(b.Deserialize(nullptr, 40));
    InputArray huge;  // 1.2e9 points in a 341-byte record: point queries stay cheap
    for (int k = 0; k < 9; ++k)
        huge.push_back(Segment::Linear(k, k + 1, 133333333));
    bad.clear();
    huge.Serialize(bad);
    ASSERT_TRUE(bad.size() == 341 && b.Deserialize(bad.data(), bad.size()));
    EXPECT_EQ(b.at(0) + b.at(b.size() - 1), 9.0);
    EXPECT_FALSE(b.PointsCached());
    std::mt19937 rng(::testing::UnitTest::GetInstance()->random_seed());
    for (int round = 0; round < 2000; ++round) {  // random damage never crashes
        bad = golden;
        for (int flips = 1 + rng() % 4; flips > 0; --flips)
            bad[rng() % bad.size()] = rng() & 0xFF;
        if (b.Deserialize(bad.data(), bad.size()) && !b.empty())
            (void)(b.at(0) + b.at(b.size() / 2) + b.at(b.size() - 1));  // may be huge axes
    }
}

TEST(InputArrayConform, CutsEveryAxisAtTheUnionOfBoundaries) {
    InputArray a(Segment::Linear(0.0, 10.0, 11)), b(Segment::Fixed(5.0, 4));
    b.push_back(Segment::Log(1.0, 1e6, 7));
    InputArray c(Segment::Linear(1.0, 6.0, 6));
    c.push_back(Segment::Fixed(2.0, 5));
    const std::vector<InputArray> before = {a, b, c};
    std::vector<InputArray> all = {a, b, c, InputArray()};
    ConformSegments(all);
    for (std::size_t k = 0; k < 3; ++k) {
        ASSERT_EQ(all[k].NumSegments(), 3u);
        EXPECT_EQ(all[k].SegmentStart(1) * 10 + all[k].SegmentStart(2), 46u);  // cuts at 4, 6
        EXPECT_EQ(all[k].GetArray(), before[k].GetArray());
    }
    EXPECT_TRUE(all[3].empty());
    all[0].OptimizeRepresentation();
    EXPECT_EQ(all[0].GetSegments(), a.GetSegments());  // the pieces rejoin exactly
}

}  // namespace
