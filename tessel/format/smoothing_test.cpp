#include "tessel/format/smoothing.h"

#include <algorithm>
#include <climits>
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

// Mean over the window i - h .. i + h of a whole trace, edges repeated, summed directly (a
// window holding NaN gives NaN, one holding infinities of one sign that infinity).
template <class T>
double DirectMean(const std::vector<T>& v, int i, int aperture) {
    const int h = aperture / 2, last = int(v.size()) - 1;
    long double sum = 0;
    for (int j = i - h; j <= i + h; ++j) {
        sum += v[std::clamp(j, 0, last)];
    }
    return double(sum / aperture);
}

template <class T>
void ExpectDirectMeans(const std::vector<T>& in, const std::vector<T>& out, int aperture,
                       double tolerance, int step = 1) {
    for (int i = 0; i < int(in.size()); i += step) {
        const double want = DirectMean(in, i, aperture);
        if (std::isfinite(want)) {
            ASSERT_NEAR(out[i], want, tolerance) << "aperture " << aperture << " point " << i;
        } else {
            ASSERT_EQ(std::isnan(out[i]), std::isnan(want)) << "point " << i;
            ASSERT_TRUE(std::isnan(want) || out[i] == want) << "point " << i;
        }
    }
}

TEST(SmoothAverage, WorkedExamplesRepeatTheEdgesAndWaitForWholeWindows) {
    std::vector<float> out;
    int processed = -1;
    ASSERT_EQ(Smooth(std::vector<float>{1, 2, 3, 4}, out, 0, 4, 3, &processed, false), kOk);
    EXPECT_EQ(processed, 4);
    EXPECT_EQ(out, (std::vector<float>{4.0f / 3, 2.0f, 3.0f, 11.0f / 3}));
    // The first 4 of 10 points with aperture 5: only points 0 and 1 have whole windows.
    out.assign(10, -7.0f);
    ASSERT_EQ(
        Smooth(std::vector<float>(10, 1.0f).data(), out.data(), 10, 0, 4, 5, &processed, false),
        kOk);
    EXPECT_TRUE(processed == 2 && out[1] == 1.0f && out[2] == -7.0f);
}

TEST(SmoothAverage, MatchesDirectWindowMeansForManyApertures) {
    const auto f = RandomTrace<float>(300, -5, 5);
    const auto d = RandomTrace<double>(300, -5, 5);
    for (int aperture = 3; aperture <= 299; aperture += 16) {
        std::vector<float> outF;
        std::vector<double> outD;
        ASSERT_EQ(Smooth(f, outF, 0, 300, aperture, nullptr, false), kOk);
        ASSERT_EQ(Smooth(d, outD, 0, 300, aperture, nullptr, false), kOk);
        ExpectDirectMeans(f, outF, aperture, 2e-6);
        ExpectDirectMeans(d, outD, aperture, 1e-13);
    }
}

// A NaN or infinite sample spoils the windows that hold it and no others; +∞ and -∞ in one
// window give NaN.
TEST(SmoothAverage, NonFiniteSamplesAffectOnlyTheirOwnWindows) {
    auto in = RandomTrace<float>(200, -1, 1);
    in[0] = INFINITY;  // at the edge: repeated into the windows before the trace
    in[40] = NAN;
    in[100] = INFINITY;
    in[104] = -INFINITY;
    in[150] = -INFINITY;
    in[199] = NAN;
    for (const int aperture : {3, 7, 21}) {
        std::vector<float> out;
        ASSERT_EQ(Smooth(in, out, 0, 200, aperture, nullptr, false), kOk);
        ExpectDirectMeans(in, out, aperture, 2e-6);
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
    for (int i = n - 2000; i < n; ++i) {  // far from the start, in windows free of spikes
        if (std::abs(i % 1000 - 500) > aperture / 2) {
            ASSERT_NEAR(out[i], DirectMean(in, i, aperture), 1e-12) << "point " << i;
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
            ExpectDirectMeans(pieces, whole, 1, 1e-6);  // aperture 1: the values themselves
        }
    }
}

// Wraps into -π..π.
double Wrap(double x) {
    return x - 2 * kPi * std::floor((x + kPi) / (2 * kPi));
}

TEST(SmoothPhase, AveragesTheUnwrappedWindowAndWrapsTheMean) {
    std::vector<float> out;
    ASSERT_EQ(Smooth(std::vector<float>{3.1f, -3.1f, 3.1f}, out, 0, 3, 3, nullptr, true), kOk);
    EXPECT_NEAR(out[1], (6.2 + 2 * kPi - 3.1) / 3, 1e-6);  // window 3.1, 2π - 3.1, 3.1
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
            ASSERT_LE(std::fabs(out[i]), kPi + 1e-6);
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
    ASSERT_EQ(Smooth(in.data(), bySpan.data(), 5, 0.5, true), kOk);  // the whole-trace form
    ASSERT_EQ(Smooth(in.data(), byCount.data(), 5, 0, 5, 3, nullptr, true), kOk);
    EXPECT_EQ(bySpan, byCount);
    // 6 points: 3.5 rounds to 4, which is even and rejected, not rounded to odd. A point count
    // of INT_MIN is refused without overflow.
    int processed = 99;
    for (const int n : {6, INT_MIN}) {
        EXPECT_EQ(Smooth(in.data(), bySpan.data(), n, 0, 1, 0.5, &processed, false), kInvalidArg);
        EXPECT_EQ(Smooth(in.data(), bySpan.data(), n, 0.5, false), kInvalidArg);
    }
    EXPECT_EQ(Smooth(nullptr, nullptr, 0, 0.5, false), kOk);
    EXPECT_EQ(processed, 99);
}

TEST(SmoothValidation, InvalidAperturesAndRangesLeaveOutputUntouched) {
    const auto in = RandomTrace<float>(10, 0, 1);
    std::vector<float> out(10, -3.0f);
    int processed = 99;
    struct Call {
        int first, last, aperture;
    };
    const Call bad[] = {
        {0, 10, 11}, {0, 10, 4}, {0, 10, 1}, {0, 10, -3}, {-1, 5, 3}, {6, 5, 3},
        {3, 0, 3},   {0, -2, 3}, {0, 11, 3}, {5, 4, 3},   {4, 4, 11}};  // the aperture's upper
                                                                        // bound comes before first
                                                                        // == last
    for (const Call& c : bad) {
        EXPECT_EQ(Smooth(in.data(), out.data(), 10, c.first, c.last, c.aperture, &processed, false),
                  kInvalidArg)
            << c.first << " " << c.last << " " << c.aperture;
    }
    for (const double span : {0.1, 1.5, -1.0, std::nan("")}) {
        EXPECT_EQ(Smooth(in.data(), out.data(), 10, 0, 10, span, &processed, false), kInvalidArg);
    }
    // first == last succeeds before the parity check and writes nothing, processed included.
    EXPECT_EQ(Smooth(in.data(), out.data(), 10, 4, 4, 4, &processed, false), kOk);
    EXPECT_EQ(Smooth(in, out, 4, 4, 3, &processed, true), kOk);
    EXPECT_EQ(SmoothGroupDelay(in, out, 10, 7, 7, 3.0, &processed), kOk);
    EXPECT_EQ(out, std::vector<float>(10, -3.0f));
    EXPECT_EQ(processed, 99);
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
    ExpectDirectMeans(pieces, whole, 1, 1e-6);
    std::vector<float> untouched(n, 2.0f), shortOut(10, 2.0f);
    struct Call {
        int n, first, last;
        double aperture;
    };
    const Call bad[] = {{n, 0, n, 1.9},
                        {n, 0, n, n + 0.5},
                        {n, 5, 4, 3.0},
                        {n, -1, 4, 3.0},
                        {n + 1, 0, n + 1, 3.0}};
    for (const Call& c : bad) {
        EXPECT_EQ(SmoothGroupDelay(in, untouched, c.n, c.first, c.last, c.aperture, nullptr),
                  kInvalidArg);
    }
    EXPECT_EQ(SmoothGroupDelay(in, shortOut, n, 0, 20, 3.0, nullptr), kInvalidArg);
    EXPECT_EQ(untouched, std::vector<float>(n, 2.0f));
}

}  // namespace
