#include "tessel/timedomain/time_domain.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <iterator>
#include <numeric>
#include <random>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "tessel/core/status.h"

namespace {

using Tessel::TimeDomain;
using Tessel::TsComplex;
using Cd = std::complex<double>;

constexpr double kNs = 1e-9;

TEST(TimeDomainSettings, NewObjectReportsInitialSettingsAndUnchangedResults) {
    TimeDomain td;
    EXPECT_DOUBLE_EQ(td.GetStartTime(), -10 * kNs);
    EXPECT_DOUBLE_EQ(td.GetStopTime(), 10 * kNs);
    EXPECT_EQ(td.GetKaiserBeta(), 6.0);
    EXPECT_EQ(td.GetWindowShape(), TimeDomain::Normal);
    EXPECT_EQ(td.GetTransformMode(), TimeDomain::BandPass);
    double start = 0, stop = 0;
    unsigned points = 0;
    EXPECT_EQ(td.GetFrequencyData(start, stop, points), Tessel::kOk);
    EXPECT_TRUE(start == 1e9 && stop == 1e9 && points == 201u && td.GetTimePoints() == 201u);
    EXPECT_EQ(td.GetDCValue(), 0.0);
    // Factors at beta 6; the band-pass width is doubled; the stored span is 0.
    EXPECT_DOUBLE_EQ(td.GetImpulseWidth(1.0), 2 * 0.975561);
    EXPECT_DOUBLE_EQ(td.GetStepRiseTime(1.0), 0.986);
    EXPECT_EQ(td.GetImpulseWidth(), 0.0);
    EXPECT_TRUE(td.IsModified());
    EXPECT_EQ(td.Validate(), Tessel::kOk);
    EXPECT_FALSE(td.IsModified());
    EXPECT_EQ(td.SetTimePoints(101), Tessel::kNotImplemented);
    // Unchanged values: the mode answers 2, the DC value and the grid 0; nothing is marked.
    EXPECT_EQ(td.SetTransformMode(TimeDomain::BandPass), Tessel::kUnchanged);
    EXPECT_EQ(td.SetDCValue(0.0), Tessel::kOk);
    EXPECT_EQ(td.SetFrequencyData(1e9, 1e9, 201), Tessel::kOk);
    EXPECT_FALSE(td.IsModified());
    EXPECT_EQ(td.SetDCValue(0.25), Tessel::kOk);
    EXPECT_TRUE(td.IsModified());
    EXPECT_EQ(td.SetTransformMode(static_cast<TimeDomain::TransformMode>(3)), Tessel::kOk);
    EXPECT_DOUBLE_EQ(TimeDomain::ComputeDCValue(2.0, false, 60.0), 1.0);
    EXPECT_EQ(TimeDomain::ComputeDCValue(2.0, true, 60.0), 2.0);
}

TEST(TimeDomainSettings, PresetsApplyToLaterObjectsAndCopiesShareState) {
    TimeDomain before;
    EXPECT_EQ(TimeDomain::SetPresetStartTime(-2 * kNs), -1e-8);
    EXPECT_EQ(TimeDomain::SetPresetStopTime(3 * kNs), 1e-8);
    EXPECT_EQ(TimeDomain::SetPresetKaiserBeta(2.5), 6.0);
    TimeDomain after;
    EXPECT_EQ(after.GetStartTime(), -2 * kNs);
    EXPECT_EQ(after.GetStopTime(), 3 * kNs);
    EXPECT_EQ(after.GetKaiserBeta(), 2.5);
    EXPECT_EQ(after.GetWindowShape(), TimeDomain::Normal);  // whatever the preset beta
    EXPECT_DOUBLE_EQ(after.GetStepRiseTime(1.0), (0.588 + 0.7) / 2);
    EXPECT_EQ(before.GetStartTime(), -10 * kNs);
    EXPECT_EQ(TimeDomain::SetPresetStartTime(-1e-8), -2 * kNs);
    TimeDomain::SetPresetStopTime(1e-8);
    TimeDomain::SetPresetKaiserBeta(6.0);

    TimeDomain copy(before), assigned;
    assigned = before;
    before.SetKaiserBeta(3.0);
    EXPECT_EQ(copy.GetKaiserBeta(), 3.0);
    EXPECT_EQ(assigned.GetKaiserBeta(), 3.0);
}

class TimeDomainGrid : public ::testing::Test {
  protected:
    // 101 points over 1 GHz: alias-free limit L = 100 ns.
    void SetUp() override {
        ASSERT_EQ(td.SetFrequencyData(1e9, 2e9, 101), Tessel::kOk);
        td.Validate();
    }
    TimeDomain td;
};

TEST_F(TimeDomainGrid, TimeLimitFollowsPointSpacingAndIsFixedBelowTwoPoints) {
    double limit = 0;
    ASSERT_EQ(td.GetTimeLimitValue(&limit), Tessel::kOk);
    EXPECT_DOUBLE_EQ(limit, 100 * kNs);
    EXPECT_EQ(td.GetTimePoints(), 101u);
    EXPECT_EQ(td.GetTimeLimitValue(nullptr), Tessel::kUnexpected);
    td.SetFrequencyData(1e9, 1e9, 1);
    limit = -1;
    EXPECT_EQ(td.GetTimeLimitValue(&limit), Tessel::kUnexpected);
    EXPECT_EQ(limit, -1);
    // The setters then work on -10000..10000 s, and nothing divides by the zero span.
    EXPECT_EQ(td.SetStartTime(-20000.0, true), Tessel::kFalse);
    EXPECT_EQ(td.GetStartTime(), -10000.0);
    EXPECT_EQ(td.SetSpanTime(1e9), Tessel::kFalse);
    EXPECT_TRUE(std::isfinite(td.GetSpanTime()));
    EXPECT_EQ(td.SetCenterTime(1.0), Tessel::kOk);
    EXPECT_TRUE(std::isfinite(td.GetStartTime()));
    double min = -1, max = -1;
    td.GetMinMaxImpulseWidth(min, max);
    EXPECT_TRUE(min == 0.0 && max == 0.0);
}

// Times and grids that would overflow the transform's phases 2π·f·t are refused, so that
// Execute always has finite output; so are presets it could not start from.
TEST_F(TimeDomainGrid, RefusesWhatTheTransformCannotComputeWith) {
    EXPECT_EQ(td.SetStartTime(1e300, false), Tessel::kInvalidArg);
    EXPECT_EQ(td.SetStopTime(-1e300, false), Tessel::kInvalidArg);
    td.SetFrequencyData(1e9, 1e9, 101);  // a zero span: L is infinite, clamping lets all pass
    EXPECT_EQ(td.SetStartTime(1e300, true), Tessel::kInvalidArg);
    EXPECT_EQ(td.SetCenterTime(1e300), Tessel::kInvalidArg);
    EXPECT_EQ(td.SetSpanTime(1e300), Tessel::kInvalidArg);
    EXPECT_TRUE(td.GetStartTime() == -10 * kNs && td.GetStopTime() == 10 * kNs);
    td.SetFrequencyData(1e9, 2e9, 101);
    EXPECT_EQ(td.SetStopTime(1e3, false), Tessel::kOk);  // far beyond L, still computable
    EXPECT_EQ(td.SetFrequencyData(1e306, 2e306, 101), Tessel::kInvalidArg);
    std::vector<TsComplex> out;
    ASSERT_EQ(td.Execute(std::vector<TsComplex>(101, TsComplex(1.0f, 0.5f)), out), Tessel::kOk);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(),
                            [](const TsComplex& z) { return std::isfinite(z.Mag()); }));

    EXPECT_EQ(TimeDomain::SetPresetKaiserBeta(std::nan("")), 6.0);
    EXPECT_EQ(TimeDomain::SetPresetStartTime(20 * kNs), -10 * kNs);  // after the preset stop
    EXPECT_EQ(TimeDomain::SetPresetStopTime(-20 * kNs), 10 * kNs);
    EXPECT_EQ(TimeDomain::SetPresetStopTime(1e300), 10 * kNs);
    EXPECT_EQ(TimeDomain::SetPresetKaiserBeta(20.0), 6.0);  // clamped to 13
    EXPECT_EQ(TimeDomain::SetPresetKaiserBeta(6.0), 13.0);
    EXPECT_TRUE(TimeDomain::GetPresetStartTime() == -10 * kNs &&
                TimeDomain::GetPresetStopTime() == 10 * kNs);
}

TEST_F(TimeDomainGrid, StartStopCentreAndSpanClampToTheLimit) {
    enum Setter { kStart, kStartFree, kStop, kCentre, kSpan };  // kStartFree: clamp off
    // Each row acts on the range left by the rows before: setter, value and expected result,
    // start and stop (ns). L = 100 ns. Accepted changes, and only they, mark the object.
    const std::tuple<Setter, double, long, double, double> rows[] = {
        {kStart, -5, Tessel::kOk, -5, 10},
        {kStart, -5, Tessel::kUnchanged, -5, 10},
        {kStart, -300, Tessel::kFalse, -100, 10},
        {kStartFree, -300, Tessel::kOk, -300, 10},
        {kStart, 20, Tessel::kOk, 20, 20},    // after the stop: the stop follows
        {kStop, -30, Tessel::kOk, -30, -30},  // before the start: the start follows
        {kStop, 500, Tessel::kFalse, -30, 100},
        {kStart, NAN, Tessel::kInvalidArg, -30, 100},
        {kStop, INFINITY, Tessel::kInvalidArg, -30, 100},
        {kCentre, 95, Tessel::kOk, 90, 100},  // half span 65 ns does not fit
        {kCentre, 95, Tessel::kUnchanged, 90, 100},
        {kCentre, 300, Tessel::kFalse, 100, 100},  // the centre itself clamped
        {kStart, 2, Tessel::kOk, 2, 100},
        {kStop, 6, Tessel::kOk, 2, 6},
        {kSpan, -1, Tessel::kOk, 4, 4},  // a negative span becomes 0, without result 1
        {kSpan, 0, Tessel::kUnchanged, 4, 4},
        {kSpan, 1e9, Tessel::kFalse, -92, 100},  // largest 2·(L - 4 ns)
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const auto& [setter, ns, status, start, stop] = rows[i];
        const double t = ns * kNs;
        td.Validate();
        const long got = setter == kStart       ? td.SetStartTime(t, true)
                         : setter == kStartFree ? td.SetStartTime(t, false)
                         : setter == kStop      ? td.SetStopTime(t, true)
                         : setter == kCentre    ? td.SetCenterTime(t)
                                                : td.SetSpanTime(t);
        EXPECT_EQ(got, status) << "row " << i;
        EXPECT_EQ(td.IsModified(), status == Tessel::kOk || status == Tessel::kFalse) << i;
        EXPECT_NEAR(td.GetStartTime(), start * kNs, 1e-22) << "row " << i;
        EXPECT_NEAR(td.GetStopTime(), stop * kNs, 1e-22) << "row " << i;
    }
}

TEST(TimeDomainWindow, BetaAndShapeSetEachOther) {
    using W = TimeDomain::WindowShape;
    // Each row sets beta (shape kBeta) or the shape, on the object left by the rows before,
    // and expects the result, beta and shape. Beta clamps to 0..13 without result 1.
    constexpr W kBeta = static_cast<W>(-1);
    const std::tuple<W, double, long, double, W> rows[] = {
        {kBeta, 20.0, Tessel::kOk, 13.0, TimeDomain::Maximum},
        {kBeta, 13.0, Tessel::kUnchanged, 13.0, TimeDomain::Maximum},
        {kBeta, 6.00005, Tessel::kOk, 6.00005, TimeDomain::Normal},
        {kBeta, 7.5, Tessel::kOk, 7.5, TimeDomain::Custom},
        {TimeDomain::Custom, 0, Tessel::kUnchanged, 7.5, TimeDomain::Custom},
        {TimeDomain::Minimum, 0, Tessel::kOk, 0.0, TimeDomain::Minimum},
        {TimeDomain::Custom, 0, Tessel::kOk, 0.0, TimeDomain::Custom},  // keeps beta
        {TimeDomain::Maximum, 0, Tessel::kOk, 13.0, TimeDomain::Maximum},
        {static_cast<W>(7), 0, Tessel::kInvalidArg, 13.0, TimeDomain::Maximum},
        {kBeta, -1.0, Tessel::kOk, 0.0, TimeDomain::Minimum},
        {kBeta, std::nan(""), Tessel::kInvalidArg, 0.0, TimeDomain::Minimum}};
    TimeDomain td;
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const auto& [setShape, in, status, beta, shape] = rows[i];
        td.Validate();
        EXPECT_EQ(setShape == kBeta ? td.SetKaiserBeta(in) : td.SetWindowShape(setShape), status)
            << "row " << i;
        EXPECT_EQ(td.IsModified(), status == Tessel::kOk) << "row " << i;
        EXPECT_EQ(td.GetKaiserBeta(), beta) << "row " << i;
        EXPECT_EQ(td.GetWindowShape(), shape) << "row " << i;
    }
    EXPECT_DOUBLE_EQ(td.GetStepRiseTime(1.0), 0.448);  // factors follow beta
}

TEST(TimeDomainWindow, WidthsInterpolateTheFactorTablesBothWays) {
    TimeDomain td;
    td.SetTransformMode(TimeDomain::LowPassImpulse);
    td.SetKaiserBeta(2.5);
    EXPECT_DOUBLE_EQ(td.GetImpulseWidth(1.0), (0.679289 + 0.752108) / 2);
    td.SetKaiserBeta(0.25);
    EXPECT_DOUBLE_EQ(td.GetStepRiseTime(1.0), 0.448 + 0.25 * (0.489 - 0.448));
    EXPECT_EQ(td.SetImpulseWidth((1.107016 + 1.167734) / 2, 1.0), Tessel::kOk);
    EXPECT_NEAR(td.GetKaiserBeta(), 8.5, 1e-12);

    td.SetKaiserBeta(6.0);
    td.SetFrequencyData(1e9, 3e9, 201);  // span 2 GHz
    td.SetTransformMode(TimeDomain::LowPassStep);
    EXPECT_DOUBLE_EQ(td.GetImpulseWidth(), 0.975561 / 2e9);
    double min = 0, max = 0;
    td.GetMinMaxImpulseWidth(min, max);
    EXPECT_DOUBLE_EQ(min, 0.601726 / 2e9);
    EXPECT_DOUBLE_EQ(max, 1.385393 / 2e9);
    td.GetMinMaxStepRiseTime(min, max);
    EXPECT_DOUBLE_EQ(min, 0.448 / 2e9);
    EXPECT_DOUBLE_EQ(max, 1.466 / 2e9);

    EXPECT_EQ(td.SetImpulseWidth(0.1e-9), Tessel::kOk);  // below the beta-0 width
    EXPECT_EQ(td.GetKaiserBeta(), 0.0);
    EXPECT_EQ(td.SetImpulseWidth(1e-9), Tessel::kOk);  // above the beta-13 width
    EXPECT_EQ(td.GetKaiserBeta(), 13.0);
    td.SetTransformMode(TimeDomain::BandPass);  // band-pass widths are halved first
    EXPECT_EQ(td.SetImpulseWidth(2 * 1.043091 / 2e9), Tessel::kOk);
    EXPECT_NEAR(td.GetKaiserBeta(), 7.0, 1e-9);
    EXPECT_EQ(td.SetStepRiseTime(1.213 / 2e9), Tessel::kOk);
    EXPECT_NEAR(td.GetKaiserBeta(), 9.0, 1e-9);
    EXPECT_NEAR(td.GetStepRiseTime(), 1.213 / 2e9, 1e-20);
}

// Kaiser window I0(alpha·sqrt(h² - (i - h)²))/I0(alpha·h), h = (n - 1)/2, with I0 by its power
// series: independent of the library's window and Bessel function.
std::vector<double> Kaiser(int n, double alpha) {
    auto i0 = [](double x) {
        double term = 1, sum = 1;
        for (int k = 1; term > sum * 1e-18; ++k) {
            term *= (x / (2 * k)) * (x / (2 * k));
            sum += term;
        }
        return sum;
    };
    std::vector<double> w(n);
    const double h = (n - 1) / 2.0;
    for (int i = 0; i < n; ++i) {
        w[i] = i0(alpha * std::sqrt(h * h - (i - h) * (i - h))) / i0(alpha * h);
    }
    return w;
}

struct Settings {
    TimeDomain::TransformMode mode;
    int points;
    double f0, f1, t0, t1, beta, dc;
};

// The transform's sums evaluated directly in double precision. peak is the largest output
// magnitude, in the low-pass modes also of the complex sums whose real parts are the output:
// that is the scale of the float rounding, even where the real part cancels.
std::vector<Cd> DirectTransform(const Settings& s, const std::vector<TsComplex>& in, double& peak) {
    const int n = s.points;
    const bool bandPass = s.mode == TimeDomain::BandPass, step = s.mode == TimeDomain::LowPassStep;
    // Band-pass: N samples at f0 + i·Δf under a window of N points. Low-pass: DC and N samples
    // at k·f1/N under the centre and right half of a window of 2N + 1 points.
    std::vector<double> w =
        bandPass ? Kaiser(n, s.beta / std::max((n - 1) / 2, 1)) : Kaiser(2 * n + 1, s.beta / n);
    w.erase(w.begin(), w.begin() + (bandPass ? 0 : n));
    w[0] *= s.mode == TimeDomain::LowPassImpulse ? 0.5 : 1.0;
    const double sum = step ? 1.0 : std::accumulate(w.begin(), w.end(), 0.0);
    std::vector<Cd> x;  // windowed samples at the frequencies f
    std::vector<double> f;
    if (!bandPass) {
        x.push_back(step ? 0.0 : s.dc * w[0] / sum);
        f.push_back(0.0);
    }
    for (int i = 0; i < n; ++i) {
        const int k = bandPass ? i : i + 1;
        const Cd z = Cd(in[i].re, in[i].im) * w[k] / sum;
        x.push_back(step ? Cd(0, -1) * z / (k * M_PI) : z);
        f.push_back(bandPass ? s.f0 + i * (s.f1 - s.f0) / (n - 1) : k * s.f1 / n);
    }
    const Cd z0(in[0].re, in[0].im);
    const double phi = std::arg(s.dc >= 0 ? z0 : -z0);  // phase of the step's DC ramp
    std::vector<Cd> out(n);
    peak = 0;
    for (int m = 0; m < n; ++m) {
        const double t = s.t0 + m * (s.t1 - s.t0) / (n - 1);
        for (std::size_t i = 0; i < x.size(); ++i) {
            out[m] += x[i] * std::polar(1.0, 2 * M_PI * f[i] * t);
        }
        peak = std::max(peak, std::abs(out[m]));
        if (!bandPass) {
            const double ramp = step ? s.dc * (s.f0 * t + phi / (2 * M_PI) + 0.5) : 0.0;
            out[m] = out[m].real() + ramp;
            peak = std::max(peak, std::abs(out[m]));
        }
    }
    return out;
}

// Two reflections plus random ripple: a response with structure and noise.
std::vector<TsComplex> Response(const Settings& s, std::mt19937& rng) {
    std::normal_distribution<float> noise(0.0f, 0.1f);
    const bool bandPass = s.mode == TimeDomain::BandPass;
    const double f0 = bandPass ? s.f0 : s.f1 / s.points;
    const double df = bandPass ? (s.f1 - s.f0) / (s.points - 1) : s.f1 / s.points;
    std::vector<TsComplex> in(s.points);
    for (int i = 0; i < s.points; ++i) {
        const double f = f0 + i * df;
        const Cd z = 0.6 * std::polar(1.0, -2 * M_PI * f * 1.3 * kNs) +
                     0.3 * std::polar(1.0, -2 * M_PI * f * 4.1 * kNs);
        in[i] = TsComplex(float(z.real()) + noise(rng), float(z.imag()) + noise(rng));
    }
    return in;
}

TEST(TimeDomainExecute, MatchesDirectSumsInAllModes) {
    const auto seed = ::testing::UnitTest::GetInstance()->random_seed();
    std::mt19937 rng(seed);
    // Odd and even counts; time ranges left of, around and right of 0.
    const int counts[] = {2, 3, 64, 201, 400};
    const double ranges[][2] = {{-12 * kNs, -2 * kNs}, {-3 * kNs, 7 * kNs}, {2 * kNs, 15 * kNs}};
    for (auto mode : {TimeDomain::BandPass, TimeDomain::LowPassStep, TimeDomain::LowPassImpulse}) {
        for (int n : counts) {
            for (const auto& r : ranges) {
                const Settings s{mode, n, 1.5e9, 6e9, r[0], r[1], 4.5, mode == 0 ? 0.0 : -0.4};
                const std::vector<TsComplex> in = Response(s, rng);
                TimeDomain td;
                td.SetFrequencyData(s.f0, s.f1, s.points);
                td.SetStopTime(s.t1, false);
                td.SetStartTime(s.t0, false);
                td.SetKaiserBeta(s.beta);
                td.SetTransformMode(s.mode);
                td.SetDCValue(s.dc);
                std::vector<TsComplex> out;
                ASSERT_EQ(td.Execute(in, out), Tessel::kOk);
                ASSERT_EQ(out.size(), std::size_t(n));
                double peak = 0, err = 0;
                const std::vector<Cd> want = DirectTransform(s, in, peak);
                for (int m = 0; m < n; ++m) {
                    err = std::max(err, std::abs(Cd(out[m].re, out[m].im) - want[m]));
                    if (mode != TimeDomain::BandPass) {
                        ASSERT_EQ(out[m].im, 0.0f);
                    }
                }
                EXPECT_LT(err, 1e-5 * peak)
                    << "mode " << mode << " n " << n << " t0 " << r[0] << " seed " << seed;
            }
        }
    }
}

TEST(TimeDomainExecute, FlatBandPassPeaksAtOneAtTimeZero) {
    for (int n : {201, 1600}) {
        TimeDomain td;
        td.SetFrequencyData(1e9, 6e9, n);
        td.SetStartTime(-10 * kNs, false);
        td.SetStopTime(0.1 * kNs * (n - 1) - 10 * kNs, false);  // t = 0 at point 100
        std::vector<TsComplex> in(n, TsComplex(1.0f, 0.0f)), out;
        ASSERT_EQ(td.Execute(in, out), Tessel::kOk);
        double peak = 0;
        for (const auto& z : out) {
            peak = std::max(peak, z.Mag());
        }
        EXPECT_NEAR(out[100].Mag(), 1.0, 1e-6);
        EXPECT_NEAR(peak, 1.0, 1e-6);
    }
}

// The window and chirp tables are built by the first Execute after a change and reused
// until the next one; a setter that changes nothing keeps them.
TEST(TimeDomainExecute, CacheIsRebuiltOnlyAfterChanges) {
    TimeDomain td;
    td.SetFrequencyData(1e9, 2e9, 101);
    std::vector<TsComplex> in(101, TsComplex(0.5f, 0.5f)), first, again;
    auto builds = [&] {
        EXPECT_EQ(td.Execute(in, again), Tessel::kOk);
        return td.GetCacheBuildCount();
    };
    EXPECT_EQ(td.GetCacheBuildCount(), 0u);
    td.Execute(in, first);
    EXPECT_EQ(builds(), 1u);
    EXPECT_EQ(first, again);
    EXPECT_EQ(td.SetKaiserBeta(6.0), Tessel::kUnchanged);
    EXPECT_EQ(builds(), 1u);
    td.SetTransformMode(TimeDomain::LowPassImpulse);
    EXPECT_EQ(builds(), 2u);
    td.SetTransformMode(TimeDomain::BandPass);
    EXPECT_EQ(builds(), 3u);
    EXPECT_EQ(first, again);
    td.SetDCValue(0.3);  // every accepted change marks the cache, even one it does not need
    EXPECT_EQ(builds(), 4u);
}

// The vector form fails without touching out. The pointer form writes outCount samples (-1:
// inCount), zeros past the transform's points or when the transform failed, and no more.
TEST(TimeDomainExecute, PointerFormPadsAndBadInputLeavesOutputAlone) {
    TimeDomain td;
    td.SetFrequencyData(1e9, 2e9, 8);
    const std::vector<TsComplex> in(8, TsComplex(1.0f, -1.0f)), sevens(10, TsComplex(7, 7));
    std::vector<TsComplex> want, out = sevens;
    ASSERT_EQ(td.Execute(in, want), Tessel::kOk);
    EXPECT_EQ(td.Execute(in.data(), out.data(), 8, 10), Tessel::kOk);
    want.resize(10);
    EXPECT_EQ(out, want);
    out = sevens;
    EXPECT_EQ(td.Execute(in.data(), out.data(), 8, -1), Tessel::kOk);
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + 8, want.begin()) && out[8] == sevens[8]);

    out = sevens;
    td.SetTransformMode(static_cast<TimeDomain::TransformMode>(3));
    EXPECT_EQ(td.Execute(in, out), Tessel::kUnexpected);
    EXPECT_EQ(out, sevens);
    EXPECT_EQ(td.Execute(in.data(), out.data(), 8, 3), Tessel::kOk);
    EXPECT_TRUE(out[2] == TsComplex() && out[3] == sevens[3]);
    td.SetTransformMode(TimeDomain::LowPassStep);
    out = sevens;
    EXPECT_EQ(td.Execute(std::vector<TsComplex>(7), out), Tessel::kInvalidArg);  // short input
    for (unsigned points : {0u, 1u}) {
        td.SetFrequencyData(1e9, 2e9, points);
        EXPECT_EQ(td.Execute(in, out), Tessel::kUnexpected);
    }
    EXPECT_EQ(out, sevens);
    EXPECT_EQ(td.Execute(nullptr, out.data(), 4, 3), Tessel::kInvalidArg);
    EXPECT_EQ(td.Execute(in.data(), out.data(), -2, 3), Tessel::kInvalidArg);
}

}  // namespace
