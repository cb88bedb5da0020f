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

// A sweep of three segments: 11 linear points 1..2 GHz, 4 CW points, 5 log points down.
InputArray ThreeSegments() {
    InputArray a;
    a.push_back(Segment::Linear(1e9, 2e9, 11));
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

void ExpectValuesNear(const InputArray& a, const std::vector<double>& v) {
    ASSERT_EQ(a.size(), v.size());
    for (std::size_t i = 0; i < v.size(); ++i)
        EXPECT_NEAR(a.at(i), v[i], 1e-12 * v[i]) << i;
}

TEST(InputArrayAxis, PointsAcrossSegments) {
    const InputArray a = ThreeSegments();
    ExpectValuesNear(a, ThreeSegmentValues());
    EXPECT_EQ(a.NumSegments(), 3u);
    EXPECT_EQ(a.SegmentStart(2), 15u);
    EXPECT_EQ(a.SegmentIndexOf(14), 1u);
    EXPECT_EQ(a.front(), 1e9);
    EXPECT_EQ(a.back(), 8e5);
    EXPECT_EQ(a.min_element(), 8e5);
    EXPECT_FALSE(a.IsConstant());
    EXPECT_THROW(a.at(20), std::out_of_range);
    EXPECT_THROW(a.GetSegment(3), std::out_of_range);
    const InputArray empty;
    EXPECT_EQ(empty.min_element(), std::numeric_limits<double>::infinity());
    EXPECT_TRUE(empty.IsConstant());
    EXPECT_EQ(empty.front(), 0.0);
    EXPECT_TRUE(InputArray(Segment::Fixed(3.0, 9)).IsConstant());
}

TEST(InputArrayAxis, ShiftMovesEveryPointAndEqualityComparesValues) {
    InputArray a = ThreeSegments();
    const std::vector<double> before = a.GetArray();
    a += -200.0;
    for (std::size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(a.at(i), before[i] - 200.0);
    EXPECT_NE(a, ThreeSegments());
    // Same points under a different segmentation are equal; one changed point is not.
    InputArray plain(ThreeSegments().GetArray());
    EXPECT_EQ(plain.NumSegments(), 20u);
    EXPECT_EQ(plain, ThreeSegments());
    std::vector<double> v = ThreeSegments().GetArray();
    v[7] += 1.0;
    EXPECT_NE(InputArray(v), ThreeSegments());
    v.pop_back();
    EXPECT_NE(InputArray(v), ThreeSegments());
}

TEST(InputArrayAxis, SharedArrayIsCachedUntilTheAxisChanges) {
    InputArray a = ThreeSegments();
    const auto p1 = a.GetArrayPtr();
    EXPECT_EQ(a.GetArrayPtr(), p1);
    EXPECT_EQ(*p1, a.GetArray());
    InputArray copy = a;
    copy += 1.0;
    EXPECT_NE(copy.GetArrayPtr(), p1);
    EXPECT_EQ(copy.GetArrayPtr()->at(0), 1e9 + 1.0);
    EXPECT_EQ(a.GetArrayPtr(), p1);
    a.push_back(Segment::Fixed(1.0, 1));
    EXPECT_EQ(a.GetArrayPtr()->size(), 21u);
    EXPECT_EQ(p1->size(), 20u);  // handed-out vectors never change
}

TEST(InputArrayAxis, PointAccessOnPlainAxesFollowsEveryChange) {
    InputArray a(ThreeSegmentValues());  // 20 single-point segments: `at` reads the cache
    EXPECT_EQ(a.at(3), 1.3e9);
    a += 5.0;
    EXPECT_EQ(a.at(3), 1.3e9 + 5.0);
    a.push_back(Segment::Fixed(-1.0, 2));
    EXPECT_EQ(a.at(21), -1.0);
    a.OptimizeRepresentation();
    EXPECT_EQ(a.at(21), -1.0);
    EXPECT_NEAR(a.at(3), 1.3e9 + 5.0, 1e-6);
    a.SetArray(std::vector<double>(12, 4.0));
    EXPECT_EQ(a.at(11), 4.0);
    EXPECT_THROW(a.at(12), std::out_of_range);
    a.SetArray(nullptr, 5);  // refused: the axis stays
    EXPECT_EQ(a.size(), 12u);
    // Axes of long segments answer from the segments and never build the point vector.
    InputArray runs;
    for (int k = 0; k < 9; ++k)
        runs.push_back(Segment::Linear(k, k + 0.5, 1000));
    EXPECT_EQ(runs.at(8999), 8.5);
    EXPECT_FALSE(runs.PointsCached());
}

TEST(InputArrayRepresentation, FindsLinearLogAndFixedRunsInPlainValues) {
    InputArray a(ThreeSegmentValues());
    a.OptimizeRepresentation();
    ASSERT_EQ(a.NumSegments(), 3u);
    EXPECT_TRUE(a.GetSegment(0).IsLinear());
    EXPECT_EQ(a.GetSegment(1).Type(), SegmentType::kFixed);
    EXPECT_TRUE(a.GetSegment(2).IsLog());
    ExpectValuesNear(a, ThreeSegmentValues());
}

TEST(InputArrayRepresentation, RecoversPiecesOfALawAroundInsertedPoints) {
    // The points of a linear sweep with 40 settling copies and an edge point inserted after
    // point 100, as the band-break handling builds them.
    const Segment sweep = Segment::Linear(10e6, 26.5e9, 401);
    std::vector<double> v;
    for (std::size_t k = 0; k < 401; ++k) {
        v.push_back(sweep[k]);
        if (k == 100) {
            v.push_back(sweep[100] + 3.0);
            v.insert(v.end(), 40, sweep[101]);
        }
    }
    InputArray a(v);
    a.OptimizeRepresentation();
    EXPECT_LE(a.NumSegments(), 5u);
    for (std::size_t i = 0; i < v.size(); ++i)
        ASSERT_NEAR(a.at(i), v[i], 64 * 2.3e-16 * 26.5e9) << i;
    a.OptimizeRepresentation();  // stable
    EXPECT_LE(a.NumSegments(), 5u);
}

TEST(InputArrayRepresentation, IrregularValuesStayExact) {
    std::mt19937 rng(::testing::UnitTest::GetInstance()->random_seed());
    std::uniform_real_distribution<double> u(1e6, 1e9);
    std::vector<double> v(300);
    std::generate(v.begin(), v.end(), [&] { return u(rng); });
    // Nearly linear runs off by more than 64 ulp, and steps that overflow, are no runs.
    for (const std::vector<double>& w :
         {v, {1e9, 2e9, 3e9 + 1}, {1e308, -1e308, 1e308}, {-1e308, 0, 1e308, 0}}) {
        InputArray a(w);
        a.OptimizeRepresentation();
        EXPECT_EQ(a.GetArray(), w);
    }
}

TEST(InputArrayRepresentation, OnlyFixedJoinsEqualRunsAndNothingElse) {
    const std::vector<double> v = {1, 1, 1, 2, 3, 4, 4};
    InputArray a(v);
    a.OptimizeRepresentationOnlyFixed();
    ASSERT_EQ(a.NumSegments(), 4u);
    EXPECT_EQ(a.GetSegment(0), Segment::Fixed(1, 3));
    EXPECT_EQ(a.GetSegment(1), Segment::Fixed(2, 1));
    EXPECT_EQ(a.GetSegment(3), Segment::Fixed(4, 2));
    EXPECT_EQ(a.GetArray(), v);
}

TEST(InputArrayRecord, GoldenBytesOfOneSegment) {
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
}

TEST(InputArrayRecord, RoundTripKeepsSegmentsAndRejectsDamage) {
    InputArray a = ThreeSegments();
    a.push_back(Segment::Log(1e6, 1e9, 50).Sub(10, 20));  // a window inside its law
    a += 12.5;
    std::vector<std::uint8_t> bytes = {0xAA};
    a.Serialize(bytes);
    InputArray b;
    std::size_t used = 0;
    ASSERT_TRUE(b.Deserialize(bytes.data() + 1, bytes.size() - 1, &used));
    EXPECT_EQ(used, bytes.size() - 1);
    EXPECT_EQ(b.GetSegments(), a.GetSegments());
    const InputArray keep = ThreeSegments();
    for (std::size_t n = 0; n + 1 < bytes.size(); ++n) {
        InputArray c = keep;
        EXPECT_FALSE(c.Deserialize(bytes.data() + 1, n)) << n;
        EXPECT_EQ(c.GetSegments(), keep.GetSegments());
    }
    std::vector<std::uint8_t> bad(bytes.begin() + 1, bytes.end());
    bad[0] = 2;  // unknown version
    EXPECT_FALSE(b.Deserialize(bad.data(), bad.size()));
    bad[0] = 1;
    bad[8] = 9;  // unknown law
    EXPECT_FALSE(b.Deserialize(bad.data(), bad.size()));
    EXPECT_FALSE(b.Deserialize(nullptr, 40));
    // A law of more points than an axis may hold (2^31) is refused even when viewed in part.
    bad.assign(bytes.begin() + 1, bytes.begin() + 1 + 8 + 37);
    bad[4] = 1;
    bad[25] = 0;
    bad[28] = 0x80;  // span 2^31
    EXPECT_FALSE(b.Deserialize(bad.data(), bad.size()));
    bad[28] = 0x7F;
    EXPECT_TRUE(b.Deserialize(bad.data(), bad.size()));
}

TEST(InputArrayRecord, ArbitraryBytesNeverCrash) {
    std::mt19937 rng(::testing::UnitTest::GetInstance()->random_seed());
    std::vector<std::uint8_t> bytes;
    InputArray(Segment::Log(1, 10, 5)).Serialize(bytes);
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::uint8_t> b = bytes;
        for (int flips = 1 + rng() % 4; flips > 0; --flips)
            b[rng() % b.size()] = rng() & 0xFF;
        InputArray a;
        if (a.Deserialize(b.data(), b.size()) && !a.empty()) {
            // Accepted records may describe huge axes; touch both ends and the middle.
            for (std::size_t i : {std::size_t{0}, a.size() / 2, a.size() - 1})
                (void)a.at(i);
            (void)a.min_element();
        }
    }
}

TEST(InputArrayConform, CutsEveryAxisAtTheUnionOfBoundaries) {
    InputArray a(Segment::Linear(0.0, 10.0, 11));
    InputArray b(Segment::Fixed(5.0, 4));
    b.push_back(Segment::Log(1.0, 1e6, 7));
    InputArray c(Segment::Linear(1.0, 6.0, 6));
    c.push_back(Segment::Fixed(2.0, 5));
    const std::vector<InputArray> before = {a, b, c};
    std::vector<InputArray> all = {a, b, c, InputArray()};
    ConformSegments(all);
    for (std::size_t k = 0; k < 3; ++k) {
        ASSERT_EQ(all[k].NumSegments(), 3u);
        EXPECT_EQ(all[k].SegmentStart(1), 4u);
        EXPECT_EQ(all[k].SegmentStart(2), 6u);
        EXPECT_EQ(all[k].GetArray(), before[k].GetArray());
    }
    EXPECT_TRUE(all[3].empty());
    all[0].OptimizeRepresentation();
    EXPECT_EQ(all[0].GetSegments(), a.GetSegments());  // the pieces rejoin exactly
}

}  // namespace
