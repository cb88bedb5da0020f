#include "tessel/format/group_delay.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "tessel/core/status.h"
#include "tessel/format/format.h"

namespace {

using namespace Tessel;
using QuorUtility::InputArray;
using QuorUtility::Segment;

constexpr double kPi = 3.141592653589793;

// The response of a pure delay tau: z = exp(-j·2π·f·tau), phase taken modulo 2π in double.
std::vector<TsComplex> PureDelay(const InputArray& f, double tau) {
    std::vector<TsComplex> z(f.size());
    for (std::size_t i = 0; i < f.size(); ++i) {
        z[i] = TsComplex::FromMagPhase(1.0, -std::fmod(2 * kPi * f.at(i) * tau, 2 * kPi));
    }
    return z;
}

TEST(GroupDelay, PureDelayGivesItsDelayThroughPhaseWrapsOnAMixedAxisAtEveryPoint) {
    // Linear, logarithmic, then loose points.
    InputArray f(Segment::Linear(1e9, 1.1e9, 101));
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
    EXPECT_EQ(std::vector<float>(part.begin() + 120, part.begin() + 170),
              std::vector<float>(out.begin() + 120, out.begin() + 170));
    // The delay at one point steps from the point before it; point 0 takes point 1.
    EXPECT_NEAR(Format::Delay(z, f, 0), tau, 1e-4 * tau);
    EXPECT_EQ(Format::Delay(z, f, 0), Format::Delay(z, f, 1));
    EXPECT_NEAR(Format::Delay(z, f, 180), tau, 1e-4 * tau);
    EXPECT_EQ(Format::Delay(z, f, 181), 0.0);
    EXPECT_EQ(Format::Delay(z, f, -1), 0.0);
    EXPECT_EQ(Format::Delay(std::vector<TsComplex>(1), InputArray(Segment::Fixed(1.0, 1)), 0), 0.0);
}

TEST(GroupDelay, FirstPointRepeatsTheSecondOrIsZeroAlone) {
    const InputArray f(Segment::Linear(1e6, 2e6, 11));
    std::vector<TsComplex> z(11);
    for (int i = 0; i < 11; ++i) {
        z[i] = TsComplex::FromMagPhase(1.0 + i, 0.1 * i * i);  // delay changes per point
    }
    std::vector<float> out(11, 7.0f);
    ASSERT_EQ(FormatDataDelay(z.data(), f, out.data(), 0, 1), kOk);
    EXPECT_TRUE(out[0] == 0.0f && out[1] == 7.0f);
    ASSERT_EQ(FormatDataDelay(z.data(), f, out.data(), 0, 11), kOk);
    EXPECT_EQ(out[0], out[1]);
    EXPECT_FLOAT_EQ(out[1], float(-0.1 / (2 * kPi * 1e5)));  // rising phase: negative delay
    EXPECT_FLOAT_EQ(out[10], float((0.1 * 81 - 0.1 * 100) / (2 * kPi * 1e5)));
    // A run that starts later steps from the point before it and leaves that point alone.
    out.assign(11, 7.0f);
    ASSERT_EQ(FormatDataDelay(z.data(), f, out.data(), 4, 6), kOk);
    EXPECT_TRUE(out[3] == 7.0f && out[6] == 7.0f);
    EXPECT_FLOAT_EQ(out[4], float((0.9 - 1.6) / (2 * kPi * 1e5)));
}

// Equal points give 0 and descending ones keep the sign; bad runs leave the output untouched.
TEST(GroupDelay, EqualAndDescendingSpacingAndBadRanges) {
    const InputArray f(std::vector<double>{3e6, 2e6, 2e6, 1e6});
    const double tau = 1e-7;
    const auto z = PureDelay(f, tau);
    std::vector<float> out;
    ASSERT_EQ(FormatDataDelay(z, f, out), kOk);
    // Descending: the phase step and the spacing both change sign, so the delay is tau.
    EXPECT_NEAR(out[1], tau, 1e-4 * tau);
    EXPECT_EQ(out[2], 0.0f);  // no spacing, no division
    EXPECT_NEAR(out[3], tau, 1e-4 * tau);
    EXPECT_EQ(Format::Delay(z, f, 1), 0.0);  // the two-point delay refuses descending spacing

    const auto untouched = out;
    for (const auto& [first, last] : {std::pair{3, 2}, {-1, 2}, {2, 5}}) {
        EXPECT_EQ(FormatDataDelay(z.data(), f, out.data(), first, last), kInvalidArg);
    }
    EXPECT_EQ(FormatDataDelay(z.data(), f, nullptr, 1, 3), kInvalidArg);
    EXPECT_EQ(FormatDataDelay(z.data(), f, out.data(), 3, 3), kOk);
    const std::vector<TsComplex> shorter(z.begin(), z.end() - 1);
    EXPECT_EQ(FormatDataDelay(shorter, f, out), kInvalidArg);
    EXPECT_EQ(Format::Delay(shorter, f, out), kInvalidArg);
    EXPECT_EQ(out, untouched);
    std::vector<float> empty(2, 1.0f);
    EXPECT_EQ(FormatDataDelay({}, InputArray(), empty), kOk);
    EXPECT_TRUE(empty.empty());
}

}  // namespace
