// SPDX-License-Identifier: Apache-2.0
#include "tessel/format/smoothing.h"

#include <climits>
#include <cmath>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tessel/core/status.h"
#include "tessel/format/internal/format_test_util.h"

namespace {

using namespace Tessel;
using testutil::ExpectWindowMeans;
using testutil::kPi;
using testutil::Random;
using testutil::WindowMean;

// A NaN or infinite sample spoils the windows that hold it and no others (+∞ and -∞ together
// give NaN); the edge samples repeat into the windows beyond the trace.
TEST(SmoothKernels, MatchDirectWindowMeansAlsoAroundNonFiniteSamples) {
    auto f = Random<float>(300, -5, 5);
    auto d = Random<double>(300, -5, 5);
    const std::vector<float> d32(d.begin(), d.end());
    const std::pair<int, double> spoilers[] = {{0, INFINITY},    {40, NAN},        {100, INFINITY},
                                               {104, -INFINITY}, {150, -INFINITY}, {299, NAN}};
    for (const auto& [i, x] : spoilers) {
        f[i] = float(x);
    }
    for (const int aperture : {3, 7, 21, 99, 299}) {
        std::vector<float> outF;
        std::vector<double> outD;
        ASSERT_EQ(Smooth(f, outF, 0, 300, aperture, nullptr, false), kOk);
        ASSERT_EQ(Smooth(d, outD, 0, 300, aperture, nullptr, false), kOk);
        ExpectWindowMeans(f, outF, aperture, 2e-6);
        ExpectWindowMeans(d, outD, aperture, 1e-13);
    }
    // A fractional group-delay aperture weighs the interpolated edge values by the fraction.
    for (const double a : {2.0, 3.0, 4.5, 7.25}) {
        std::vector<float> outG(300);
        ASSERT_EQ(SmoothGroupDelay(d32, outG, 300, 0, 300, a, nullptr), kOk);
        ExpectWindowMeans(d32, outG, a, 1e-6);
    }
}

TEST(SmoothAverage, RunningSumDoesNotDriftOverAMillionPoints) {
    // Values near 1 with a huge spike every 1000 points: each spike that enters and leaves the
    // window costs a plain running double sum about 1e-4 of error, which then stays.
    const int n = 1000000, aperture = 101;
    auto in = Random<double>(n, -1, 1);
    for (int i = 500; i < n; i += 1000) {
        in[i] = 1e12;
    }
    std::vector<double> out;
    ASSERT_EQ(Smooth(in, out, 0, n, aperture, nullptr, false), kOk);
    for (int i = n - 2000; i < n; ++i) {  // far from the start, in windows free of spikes
        if (std::abs(i % 1000 - 500) > aperture / 2) {
            ASSERT_NEAR(out[i], WindowMean(in, i, aperture), 1e-12) << "point " << i;
        }
    }
}

// A sweep delivers its points in chunks; each call continues from the processed count and the
// pieces equal one whole run. A group-delay point needs its window up to i + (A - 1)/2.
TEST(SmoothIncremental, RunsOverSeveralCallsEqualOneWholeRun) {
    const int n = 500;
    const auto in = Random<float>(n, -kPi, kPi);
    for (const int kind : {0, 1, 2}) {  // average, phase, group delay with A = 6.5
        for (const int aperture : {3, 9, 51}) {
            const auto run = [&](std::vector<float>& out, int first, int last, int* processed) {
                return kind == 2
                           ? SmoothGroupDelay(in, out, n, first, last, aperture + 3.5, processed)
                           : Smooth(in.data(), out.data(), n, first, last, aperture, processed,
                                    kind == 1);
            };
            std::vector<float> whole(n), pieces(n);
            ASSERT_EQ(run(whole, 0, n, nullptr), kOk);
            int next = 0;
            for (const int received : {1, 7, 8, 40, 41, 200, 333, 499, 500}) {
                int processed = -1;
                ASSERT_EQ(run(pieces, next, received, &processed), kOk);
                const int reach = kind == 2 ? int(aperture / 2 + 2.25) : aperture / 2;
                EXPECT_EQ(next + processed, received == n ? n : std::max(next, received - reach));
                next += processed;
            }
            ExpectWindowMeans(pieces, whole, 1, 1e-6);  // aperture 1: the values themselves
        }
    }
}

TEST(SmoothPhase, AveragesTheUnwrappedWindowAndWrapsTheMean) {
    // A linear phase ramp wrapped into -π..π: the mean of a symmetric window of a line is the
    // line, and at the edges the line's clamped values repeat. Slopes of ±2.5 make wrap steps
    // of ∓3.78, just beyond π.
    const int n = 400, aperture = 21;
    for (const double slope : {0.37, -1.9, 2.5, -2.5}) {
        std::vector<float> ramp(n), out;
        std::vector<double> line(n);
        for (int i = 0; i < n; ++i) {
            line[i] = slope * i + 1.0;
            ramp[i] = float(std::remainder(line[i], 2 * kPi));
        }
        ASSERT_EQ(Smooth(ramp, out, 0, n, aperture, nullptr, true), kOk);
        for (int i = 0; i < n; ++i) {
            ASSERT_LE(std::fabs(out[i]), kPi + 1e-6);
            EXPECT_NEAR(std::remainder(out[i] - WindowMean(line, i, aperture), 2 * kPi), 0, 2e-5)
                << slope << " " << i;
        }
    }
}

// The span aperture is (n - 1)·span + 1 rounded half up: 3 for 5 points and 2.5 → 3 for 4; an
// even result (3.5 → 4 for 6 points) is refused, not made odd; INT_MIN points are refused.
TEST(SmoothSpan, ApertureIsTheFractionOfTheTraceRoundedHalfUpAndOddOnly) {
    const auto in = Random<float>(6, 0, 1);
    std::vector<float> bySpan(6), byCount(6);
    for (const int n : {5, 4}) {
        const bool whole = n == 4;  // the whole-trace form, on phase data
        ASSERT_EQ(whole ? Smooth(in.data(), bySpan.data(), n, 0.5, true)
                        : Smooth(in.data(), bySpan.data(), n, 0, n, 0.5, nullptr, false),
                  kOk);
        ASSERT_EQ(Smooth(in.data(), byCount.data(), n, 0, n, 3, nullptr, whole), kOk);
        EXPECT_EQ(bySpan, byCount) << n;
    }
    for (const int n : {6, INT_MIN}) {
        EXPECT_EQ(Smooth(in.data(), bySpan.data(), n, 0, 1, 0.5, nullptr, false), kInvalidArg);
        EXPECT_EQ(Smooth(in.data(), bySpan.data(), n, 0.5, false), kInvalidArg);
    }
    EXPECT_EQ(Smooth(nullptr, nullptr, 0, 0.5, false), kOk);
}

TEST(SmoothValidation, InvalidAperturesAndRangesLeaveOutputUntouched) {
    const auto in = Random<float>(10, 0, 1);
    std::vector<float> out(10, -3.0f);
    int processed = 99;
    struct Call {
        int kind, n, first, last;  // kind: 0 whole aperture, 1 span, 2 group delay
        double aperture;
    };
    const Call bad[] = {{0, 10, 0, 10, 11},  {0, 10, 0, 10, 4},    {0, 10, 0, 10, 1},
                        {0, 10, 0, 10, -3},  {0, 10, -1, 5, 3},    {0, 10, 6, 5, 3},
                        {0, 10, 0, -2, 3},   {0, 10, 0, 11, 3},    {0, 10, 4, 4, 11},
                        {1, 10, 0, 10, 0.1}, {1, 10, 0, 10, 1.5},  {1, 10, 0, 10, NAN},
                        {2, 10, 0, 10, 1.9}, {2, 10, 0, 10, 10.5}, {2, 10, 5, 4, 3},
                        {2, 10, -1, 4, 3},   {2, 11, 0, 11, 3}};
    for (const Call& c : bad) {
        const float* i = in.data();
        float* o = out.data();
        EXPECT_EQ(
            c.kind == 0   ? Smooth(i, o, c.n, c.first, c.last, int(c.aperture), &processed, false)
            : c.kind == 1 ? Smooth(i, o, c.n, c.first, c.last, c.aperture, &processed, false)
                          : SmoothGroupDelay(in, out, c.n, c.first, c.last, c.aperture, &processed),
            kInvalidArg)
            << c.kind << ": " << c.first << " " << c.last << " " << c.aperture;
    }
    // first == last succeeds before the parity check and writes nothing, processed included.
    EXPECT_EQ(Smooth(in.data(), out.data(), 10, 4, 4, 4, &processed, false), kOk);
    EXPECT_EQ(Smooth(in, out, 4, 4, 3, &processed, true), kOk);
    EXPECT_EQ(SmoothGroupDelay(in, out, 10, 7, 7, 3.0, &processed), kOk);
    EXPECT_EQ(out, std::vector<float>(10, -3.0f));
    EXPECT_EQ(processed, 99);
    std::vector<float> resized, shortOut(5, 2.0f);
    EXPECT_EQ(Smooth(in, resized, 0, 10, -1, nullptr, false), kInvalidArg);
    EXPECT_EQ(resized.size(), 10u);
    EXPECT_EQ(SmoothGroupDelay(in, shortOut, 10, 0, 8, 3.0, nullptr), kInvalidArg);
}

}  // namespace
