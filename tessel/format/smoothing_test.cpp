#include "tessel/format/smoothing.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "tessel/core/status.h"

namespace {

using namespace Tessel;

constexpr double kPi = 3.141592653589793;

template <class T>
std::vector<T> RandomTrace(int n, double lo, double hi) {
    std::mt19937 rng(::testing::UnitTest::GetInstance()->random_seed());
    std::uniform_real_distribution<double> u(lo, hi);
    std::vector<T> v(n);
    for (auto& x : v) {
        x = static_cast<T>(u(rng));
    }
    return v;
}

// Mean over the window i - h .. i + h of a whole trace, edges repeated, summed directly.
template <class T>
double DirectMean(const std::vector<T>& v, int i, int aperture) {
    const int h = aperture / 2, last = int(v.size()) - 1;
    long double sum = 0;
    for (int j = i - h; j <= i + h; ++j) {
        sum += v[std::clamp(j, 0, last)];
    }
    return double(sum / aperture);
}

TEST(SmoothAverage, WorkedExamplesRepeatTheEdgesAndWaitForWholeWindows) {
    std::vector<float> out;
    int processed = -1;
    ASSERT_EQ(Smooth(std::vector<float>{1, 2, 3, 4}, out, 0, 4, 3, &processed, false), kOk);
    EXPECT_EQ(processed, 4);
    const float want[] = {4.0f / 3, 2.0f, 3.0f, 11.0f / 3};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(out[i], want[i]) << i;
    }
    // The first 4 of 10 points with aperture 5: only points 0 and 1 have whole windows.
    const auto in = RandomTrace<float>(10, 0, 1);
    out.assign(10, -7.0f);
    ASSERT_EQ(Smooth(in.data(), out.data(), 10, 0, 4, 5, &processed, false), kOk);
    EXPECT_EQ(processed, 2);
    EXPECT_FLOAT_EQ(out[1], float((in[0] * 2.0 + in[1] + in[2] + in[3]) / 5));
    EXPECT_EQ(out[2], -7.0f);
    // Too little data for even the first window: nothing computed, still a success.
    ASSERT_EQ(Smooth(in.data(), out.data(), 10, 3, 5, 5, &processed, false), kOk);
    EXPECT_EQ(processed, 0);
    EXPECT_EQ(out[3], -7.0f);
}

TEST(SmoothAverage, MatchesDirectWindowMeansForManyApertures) {
    const auto f = RandomTrace<float>(300, -5, 5);
    const auto d = RandomTrace<double>(300, -5, 5);
    for (int aperture = 3; aperture <= 299; aperture += 16) {
        std::vector<float> outF;
        std::vector<double> outD;
        ASSERT_EQ(Smooth(f, outF, 0, 300, aperture, nullptr, false), kOk);
        ASSERT_EQ(Smooth(d, outD, 0, 300, aperture, nullptr, false), kOk);
        for (int i = 0; i < 300; ++i) {
            EXPECT_NEAR(outF[i], DirectMean(f, i, aperture), 2e-6) << aperture << " " << i;
            EXPECT_NEAR(outD[i], DirectMean(d, i, aperture), 1e-13) << aperture << " " << i;
        }
    }
}

TEST(SmoothIncremental, RunsOverSeveralCallsEqualOneWholeRun) {
    const int n = 500;
    const auto in = RandomTrace<float>(n, -kPi, kPi);
    for (const bool phase : {false, true}) {
        for (const int aperture : {3, 9, 51}) {
            std::vector<float> whole(n), pieces(n);
            ASSERT_EQ(Smooth(in.data(), whole.data(), n, 0, n, aperture, nullptr, phase), kOk);
            // A sweep delivers its points in chunks; each call continues from the processed count.
            int next = 0;
            for (const int received : {1, 7, 8, 40, 41, 200, 333, 499, 500}) {
                int processed = -1;
                ASSERT_EQ(Smooth(in.data(), pieces.data(), n, next, received, aperture, &processed,
                                 phase),
                          kOk);
                next += processed;
            }
            EXPECT_EQ(next, n);
            for (int i = 0; i < n; ++i) {
                ASSERT_NEAR(pieces[i], whole[i], 1e-6) << aperture << " " << phase << " " << i;
            }
        }
    }
}

TEST(SmoothAverage, RunningSumDoesNotDriftOverAMillionPoints) {
    // Values near 1 with a huge spike every 1000 points: each spike that enters and leaves the
    // window costs a plain running double sum about 1e-4 of error, which then stays.
    const int n = 1000000, aperture = 101;
    auto in = RandomTrace<double>(n, -1, 1);
    for (int i = 500; i < n; i += 1000) {
        in[i] = 1e12;
    }
    std::vector<double> out;
    ASSERT_EQ(Smooth(in, out, 0, n, aperture, nullptr, false), kOk);
    int checked = 0;
    for (int i = 0; i < n; i += (i > n - 2000 ? 1 : 37)) {
        if (std::abs(i % 1000 - 500) <= aperture / 2) {
            continue;  // window holds a spike: the direct sum itself is only good to 1e-4
        }
        ASSERT_NEAR(out[i], DirectMean(in, i, aperture), 1e-12) << "point " << i;
        ++checked;
    }
    EXPECT_GT(checked, 20000);

    const auto f = RandomTrace<float>(n, 1000, 1001);
    std::vector<float> outF;
    ASSERT_EQ(Smooth(f, outF, 0, n, 1001, nullptr, false), kOk);
    for (int i = n - 3000; i < n; ++i) {
        ASSERT_NEAR(outF[i], DirectMean(f, i, 1001), 1e-4) << "point " << i;
    }
}

// Wraps into -π..π.
double Wrap(double x) {
    return x - 2 * kPi * std::floor((x + kPi) / (2 * kPi));
}

TEST(SmoothPhase, AveragesTheUnwrappedWindowAndWrapsTheMean) {
    const std::vector<float> in = {3.1f, -3.1f, 3.1f};
    std::vector<float> out;
    ASSERT_EQ(Smooth(in, out, 0, 3, 3, nullptr, true), kOk);
    // Unwrapped window of the middle point: 3.1, 2π - 3.1, 3.1.
    EXPECT_NEAR(out[1], (6.2 + 2 * kPi - 3.1) / 3, 1e-6);

    // A linear phase ramp wrapped into -π..π: the mean of a symmetric window of a line is the
    // line, and at the edges the line's clamped values repeat. Slopes of ±2.5 make wrap steps
    // of ∓3.78, just beyond π.
    const int n = 400, aperture = 21;
    for (const double slope : {0.37, -1.9, 2.5, -2.5}) {
        std::vector<float> ramp(n);
        std::vector<double> line(n);
        for (int i = 0; i < n; ++i) {
            line[i] = slope * i + 1.0;
            ramp[i] = float(Wrap(line[i]));
        }
        ASSERT_EQ(Smooth(ramp, out, 0, n, aperture, nullptr, true), kOk);
        for (int i = 0; i < n; ++i) {
            ASSERT_GE(out[i], -kPi - 1e-6);
            ASSERT_LE(out[i], kPi + 1e-6);
            EXPECT_NEAR(std::remainder(out[i] - Wrap(DirectMean(line, i, aperture)), 2 * kPi), 0.0,
                        2e-5)
                << slope << " " << i;
        }
    }
}

TEST(SmoothSpan, ApertureIsTheFractionOfTheTraceRoundedHalfUpAndOddOnly) {
    const auto in = RandomTrace<float>(6, 0, 1);
    std::vector<float> bySpan(6), byCount(6);
    // 5 points: 2 + 1 = 3; 4 points: 2.5 rounds half up to 3.
    for (const int n : {5, 4}) {
        ASSERT_EQ(Smooth(in.data(), bySpan.data(), n, 0, n, 0.5, nullptr, false), kOk);
        ASSERT_EQ(Smooth(in.data(), byCount.data(), n, 0, n, 3, nullptr, false), kOk);
        EXPECT_EQ(bySpan, byCount) << n;
    }
    // 6 points: 3.5 rounds to 4, which is even and rejected, not rounded to odd.
    EXPECT_EQ(Smooth(in.data(), bySpan.data(), 6, 0, 6, 0.5, nullptr, false), kInvalidArg);
    EXPECT_EQ(Smooth(in.data(), bySpan.data(), 6, 0.5, false), kInvalidArg);

    ASSERT_EQ(Smooth(in.data(), bySpan.data(), 5, 0.5, true), kOk);  // the whole-trace form
    ASSERT_EQ(Smooth(in.data(), byCount.data(), 5, 0, 5, 3, nullptr, true), kOk);
    EXPECT_EQ(bySpan, byCount);
    EXPECT_EQ(Smooth(nullptr, nullptr, 0, 0.5, false), kOk);
}

TEST(SmoothValidation, InvalidAperturesAndRangesLeaveOutputUntouched) {
    const auto in = RandomTrace<float>(10, 0, 1);
    std::vector<float> out(10, -3.0f);
    int processed = 99;
    struct Call {
        int first, last, aperture;
    };
    const Call bad[] = {{0, 10, 11}, {0, 10, 4}, {0, 10, 1}, {0, 10, -3}, {-1, 5, 3},
                        {6, 5, 3},   {3, 0, 3},  {0, -2, 3}, {0, 11, 3},  {5, 4, 3}};
    for (const Call& c : bad) {
        EXPECT_EQ(Smooth(in.data(), out.data(), 10, c.first, c.last, c.aperture, &processed, false),
                  kInvalidArg)
            << c.first << " " << c.last << " " << c.aperture;
    }
    for (const double span : {0.1, 1.5, -1.0, std::nan("")}) {
        EXPECT_EQ(Smooth(in.data(), out.data(), 10, 0, 10, span, &processed, false), kInvalidArg);
    }
    EXPECT_EQ(out, std::vector<float>(10, -3.0f));
    EXPECT_EQ(processed, 99);
    // first == last succeeds before the parity check; the aperture's upper bound comes first.
    EXPECT_EQ(Smooth(in.data(), out.data(), 10, 4, 4, 4, &processed, false), kOk);
    EXPECT_EQ(processed, 0);
    EXPECT_EQ(Smooth(in.data(), out.data(), 10, 4, 4, 11, &processed, false), kInvalidArg);
    std::vector<float> resized;
    EXPECT_EQ(Smooth(in, resized, 0, 10, -1, nullptr, false), kInvalidArg);
    EXPECT_EQ(resized.size(), 10u);
}

// Value at fractional index x of a trace, linear between points.
double At(const std::vector<float>& v, double x) {
    const int i = int(std::floor(x));
    const double t = x - i;
    return t == 0 ? v[i] : v[i] + (double(v[i + 1]) - v[i]) * t;
}

TEST(SmoothGroupDelay, FractionalApertureWeighsTheEdgePointsByTheFraction) {
    // Aperture 3.0 is the plain average of three points; 2.0 weighs the half-way values by 0.5.
    const int n = 60;
    const auto in = RandomTrace<float>(n, -1e-9, 1e-9);
    std::vector<float> out(n);
    for (const double a : {2.0, 3.0, 4.5, 7.25}) {
        int processed = -1;
        ASSERT_EQ(SmoothGroupDelay(in, out, n, 0, n, a, &processed), kOk);
        EXPECT_EQ(processed, n);
        const double w = (a - 1) / 2;
        const int w0 = int(w);
        for (int i = 0; i < n; ++i) {
            double sum =
                (w - w0) * (At(in, std::max(i - w, 0.0)) + At(in, std::min(i + w, n - 1.0)));
            for (int j = i - w0; j <= i + w0; ++j) {
                sum += in[std::clamp(j, 0, n - 1)];
            }
            EXPECT_NEAR(out[i], sum / a, 1e-15) << a << " " << i;
        }
    }
}

TEST(SmoothGroupDelay, IncrementalRunsAndValidation) {
    const int n = 80;
    const auto in = RandomTrace<float>(n, 0, 1);
    std::vector<float> whole(n), pieces(n, -1.0f);
    ASSERT_EQ(SmoothGroupDelay(in, whole, n, 0, n, 6.5, nullptr), kOk);
    int next = 0;
    for (const int received : {3, 5, 20, 21, 60, 80}) {
        int processed = -1;
        ASSERT_EQ(SmoothGroupDelay(in, pieces, n, next, received, 6.5, &processed), kOk);
        // A point needs its window up to i + 2.75 to have arrived.
        EXPECT_EQ(next + processed, received == n ? n : std::max(next, received - 3));
        next += processed;
    }
    for (int i = 0; i < n; ++i) {
        EXPECT_NEAR(pieces[i], whole[i], 1e-6);
    }
    std::vector<float> untouched(n, 2.0f);
    EXPECT_EQ(SmoothGroupDelay(in, untouched, n, 0, n, 1.9, nullptr), kInvalidArg);
    EXPECT_EQ(SmoothGroupDelay(in, untouched, n, 0, n, n + 0.5, nullptr), kInvalidArg);
    EXPECT_EQ(SmoothGroupDelay(in, untouched, n, 5, 4, 3.0, nullptr), kInvalidArg);
    EXPECT_EQ(SmoothGroupDelay(in, untouched, n, -1, 4, 3.0, nullptr), kInvalidArg);
    EXPECT_EQ(SmoothGroupDelay(in, untouched, n + 1, 0, n + 1, 3.0, nullptr), kInvalidArg);
    std::vector<float> shortOut(10, 2.0f);
    EXPECT_EQ(SmoothGroupDelay(in, shortOut, n, 0, 20, 3.0, nullptr), kInvalidArg);
    EXPECT_EQ(untouched, std::vector<float>(n, 2.0f));
    EXPECT_EQ(SmoothGroupDelay(in, untouched, n, 7, 7, 3.0, nullptr), kOk);
}

}  // namespace
