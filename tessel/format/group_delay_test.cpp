// SPDX-License-Identifier: Apache-2.0
#include "tessel/format/group_delay.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tessel/core/status.h"
#include "tessel/format/format.h"
#include "tessel/format/internal/format_test_util.h"

namespace {

using namespace Tessel;
using QuorUtility::InputArray;
using QuorUtility::Segment;
using testutil::kPi;

// The response of a pure delay tau: z = exp(-j·2π·f·tau), phase taken modulo 2π in double.
std::vector<TsComplex> PureDelay(const InputArray& f, double tau) {
    std::vector<TsComplex> z(f.size());
    for (std::size_t i = 0; i < f.size(); ++i) {
        z[i] = TsComplex::FromMagPhase(1.0, -std::fmod(2 * kPi * f.at(i) * tau, 2 * kPi));
    }
    return z;
}

TEST(GroupDelay, PureDelayGivesItsDelayThroughPhaseWrapsOnAMixedAxisAtEveryPoint) {
    InputArray f(Segment::Linear(1e9, 1.1e9, 101));  // linear, logarithmic, then loose points
    f.push_back(Segment::Log(1.102e9, 1.3e9, 60));
    for (int k = 1; k <= 20; ++k) {
        f.push_back(Segment::Fixed(1.3e9 + k * 1.5e6, 1));
    }
    // 2π·Δf·tau stays below π for the widest step (3.7 MHz), so every wrap is followed.
    const double tau = 1.2e-7;
    const auto z = PureDelay(f, tau);
    std::vector<float> out;
    ASSERT_EQ(FormatDataDelay(z, f, out), kOk);
    ASSERT_EQ(out.size(), f.size());
    for (std::size_t i = 0; i < out.size(); ++i) {
        EXPECT_NEAR(out[i], tau, 1e-4 * tau) << i;
    }
    // A run that starts inside a later segment reads the same stimulus points.
    std::vector<float> part(out.size(), 0.0f);
    ASSERT_EQ(FormatDataDelay(z.data(), f, part.data(), 120, 170), kOk);
    EXPECT_TRUE(std::equal(part.begin() + 120, part.begin() + 170, out.begin() + 120));
    // The two-point delay at a point steps from the point before it; point 0 takes point 1.
    EXPECT_EQ(Format::Delay(z, f, 0), Format::Delay(z, f, 1));
    EXPECT_NEAR(Format::Delay(z, f, 180), tau, 1e-4 * tau);
    EXPECT_EQ(Format::Delay(z, f, 181) + Format::Delay(z, f, -1), 0.0);
}

// Point 0 repeats point 1 (or is 0 alone); a later run steps from the point before it and
// leaves that point alone. Equal stimulus points give 0; descending ones keep the sign.
TEST(GroupDelay, EdgesSpacingAndBadRanges) {
    const InputArray f(Segment::Linear(1e6, 2e6, 11));
    std::vector<TsComplex> z(11);
    for (int i = 0; i < 11; ++i) {
        z[i] = TsComplex::FromMagPhase(1.0 + i, 0.1 * i * i);  // rising phase: negative delay
    }
    const auto delay = [](int i) { return float(0.1 * (1 - 2 * i) / (2 * kPi * 1e5)); };
    std::vector<float> out(11, 7.0f);
    ASSERT_EQ(FormatDataDelay(z.data(), f, out.data(), 0, 1), kOk);
    EXPECT_TRUE(out[0] == 0.0f && out[1] == 7.0f);
    ASSERT_EQ(FormatDataDelay(z.data(), f, out.data(), 4, 6), kOk);
    EXPECT_TRUE(out[3] == 7.0f && out[6] == 7.0f);
    EXPECT_FLOAT_EQ(out[4], delay(4));
    ASSERT_EQ(FormatDataDelay(z.data(), f, out.data(), 0, 11), kOk);
    for (int i = 0; i < 11; ++i) {
        EXPECT_FLOAT_EQ(out[i], delay(std::max(i, 1))) << i;
    }

    const InputArray g(std::vector<double>{3e6, 2e6, 2e6, 1e6});
    const auto y = PureDelay(g, 1e-7);
    ASSERT_EQ(FormatDataDelay(y, g, out), kOk);
    EXPECT_NEAR(out[1], 1e-7, 1e-11);        // the step and the spacing both change sign
    EXPECT_EQ(out[2], 0.0f);                 // no spacing, no division
    EXPECT_EQ(Format::Delay(y, g, 1), 0.0);  // the two-point delay refuses descending spacing
    const auto untouched = out;
    for (const auto& [first, last] : {std::pair{3, 2}, {-1, 2}, {2, 5}}) {
        EXPECT_EQ(FormatDataDelay(y.data(), g, out.data(), first, last), kInvalidArg);
    }
    EXPECT_EQ(FormatDataDelay(y.data(), g, nullptr, 1, 3), kInvalidArg);
    EXPECT_EQ(FormatDataDelay(y.data(), g, out.data(), 3, 3), kOk);
    const std::vector<TsComplex> shorter(y.begin(), y.end() - 1);
    EXPECT_EQ(FormatDataDelay(shorter, g, out) & Format::Delay(shorter, g, out), kInvalidArg);
    EXPECT_EQ(out, untouched);
}

}  // namespace
