// SPDX-License-Identifier: Apache-2.0
#include "tessel/timedomain/time_domain.h"

#include <algorithm>
#include <numeric>
#include <tuple>

#include "tessel/core/status.h"
#include "tessel/timedomain/time_domain_test_support.h"

namespace {

using namespace Tessel;
using namespace Tessel::test;

TEST(TimeDomainSettings, NewObjectPresetsCopiesAndUnchangedResults) {
    TimeDomain td;
    double start = 0, stop = 0;
    unsigned points = 0;
    EXPECT_EQ(td.GetFrequencyData(start, stop, points), kOk);
    EXPECT_TRUE(start == 1e9 && stop == 1e9 && points == 201u && td.GetTimePoints() == 201u);
    EXPECT_TRUE(td.GetStartTime() == -1e-8 && td.GetStopTime() == 1e-8 && td.GetDCValue() == 0);
    EXPECT_TRUE(td.GetKaiserBeta() == 6.0 && td.GetWindowShape() == TimeDomain::Normal);
    EXPECT_EQ(td.GetTransformMode(), TimeDomain::BandPass);
    EXPECT_DOUBLE_EQ(td.GetImpulseWidth(1.0), 2 * 0.975561);  // doubled in band-pass
    EXPECT_EQ(td.GetImpulseWidth(), 0.0);                     // the stored span is 0
    EXPECT_TRUE(td.IsModified() && td.Validate() == kOk);
    EXPECT_EQ(td.SetTimePoints(101), kNotImplemented);
    // Unchanged values: the mode answers 2, the DC value and the grid 0; nothing is marked.
    EXPECT_EQ(td.SetTransformMode(TimeDomain::BandPass), kUnchanged);
    EXPECT_EQ(td.SetDCValue(0.0) | td.SetFrequencyData(1e9, 1e9, 201), kOk);
    EXPECT_FALSE(td.IsModified());
    EXPECT_DOUBLE_EQ(TimeDomain::ComputeDCValue(2.0, false, 60.0), 1.0);
    EXPECT_EQ(TimeDomain::ComputeDCValue(2.0, true, 60.0), 2.0);

    EXPECT_EQ(TimeDomain::SetPresetStartTime(-2 * kNs), -1e-8);
    EXPECT_EQ(TimeDomain::SetPresetKaiserBeta(2.5), 6.0);
    TimeDomain after, copy(td), assigned;
    EXPECT_TRUE(after.GetStartTime() == -2 * kNs && after.GetKaiserBeta() == 2.5);
    EXPECT_EQ(after.GetWindowShape(), TimeDomain::Normal);  // whatever the preset beta
    EXPECT_DOUBLE_EQ(after.GetStepRiseTime(1.0), (0.588 + 0.7) / 2);
    TimeDomain::SetPresetStartTime(-1e-8);
    TimeDomain::SetPresetKaiserBeta(6.0);
    assigned = td;
    td.SetKaiserBeta(3.0);
    EXPECT_TRUE(copy.GetKaiserBeta() == 3.0 && assigned.GetKaiserBeta() == 3.0);
}

class TimeDomainGrid : public ::testing::Test {
  protected:
    // 101 points over 1 GHz: alias-free limit L = 100 ns.
    void SetUp() override { ASSERT_EQ(td.SetFrequencyData(1e9, 2e9, 101), kOk); }
    TimeDomain td;
};

TEST_F(TimeDomainGrid, StartStopCentreAndSpanClampToTheLimit) {
    double limit = 0;
    ASSERT_EQ(td.GetTimeLimitValue(&limit), kOk);
    EXPECT_DOUBLE_EQ(limit, 100 * kNs);
    enum Setter { kStart, kStartFree, kStop, kCentre, kSpan };  // kStartFree: clamp off
    // Each row acts on the range left by the rows before: setter, value and expected result,
    // start and stop (ns). Accepted changes, and only they, mark the object.
    const std::tuple<Setter, double, long, double, double> rows[] = {
        {kStart, -5, kOk, -5, 10},
        {kStart, -5, kUnchanged, -5, 10},
        {kStart, -300, kFalse, -100, 10},
        {kStartFree, -300, kOk, -300, 10},
        {kStart, 20, kOk, 20, 20},    // after the stop: the stop follows
        {kStop, -30, kOk, -30, -30},  // before the start: the start follows
        {kStop, 500, kFalse, -30, 100},
        {kStart, NAN, kInvalidArg, -30, 100},
        {kStop, INFINITY, kInvalidArg, -30, 100},
        {kCentre, 95, kOk, 90, 100},  // half span 65 ns does not fit
        {kCentre, 95, kUnchanged, 90, 100},
        {kCentre, 300, kFalse, 100, 100},  // the centre itself clamped
        {kStart, 2, kOk, 2, 100},
        {kStop, 6, kOk, 2, 6},
        {kSpan, -1, kOk, 4, 4},  // a negative span becomes 0, without result 1
        {kSpan, 0, kUnchanged, 4, 4},
        {kSpan, 1e9, kFalse, -92, 100},  // largest 2·(L - 4 ns)
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
        EXPECT_EQ(td.IsModified(), status == kOk || status == kFalse) << i;
        EXPECT_NEAR(td.GetStartTime(), start * kNs, 1e-22) << "row " << i;
        EXPECT_NEAR(td.GetStopTime(), stop * kNs, 1e-22) << "row " << i;
    }
    // Below two points the limit is 10000 s and is not reported.
    td.SetFrequencyData(1e9, 1e9, 1);
    EXPECT_EQ(td.GetTimeLimitValue(&limit), kUnexpected);
    EXPECT_EQ(td.GetTimeLimitValue(nullptr), kUnexpected);
    EXPECT_EQ(td.SetStartTime(-20000.0, true), kFalse);
    EXPECT_EQ(td.GetStartTime(), -10000.0);
}

// Times and grids that would overflow the transform's phases 2π·f·t are refused, so that
// Execute always has finite output; so are presets it could not start from.
TEST_F(TimeDomainGrid, RefusesWhatTheTransformCannotComputeWith) {
    EXPECT_EQ(td.SetStartTime(1e300, false), kInvalidArg);
    EXPECT_EQ(td.SetStopTime(-1e300, false), kInvalidArg);
    td.SetFrequencyData(1e9, 1e9, 101);  // a zero span: L is infinite, clamping lets all pass
    EXPECT_EQ(td.SetStartTime(1e300, true), kInvalidArg);
    EXPECT_EQ(td.SetCenterTime(1e300), kInvalidArg);
    EXPECT_EQ(td.SetSpanTime(1e300), kInvalidArg);
    EXPECT_TRUE(td.GetStartTime() == -10 * kNs && td.GetStopTime() == 10 * kNs);
    td.SetFrequencyData(1e9, 2e9, 101);
    EXPECT_EQ(td.SetStopTime(1e3, false), kOk);  // far beyond L, still computable
    EXPECT_EQ(td.SetFrequencyData(1e306, 2e306, 101), kInvalidArg);
    std::vector<TsComplex> out;
    ASSERT_EQ(td.Execute(std::vector<TsComplex>(101, TsComplex(1.0f, 0.5f)), out), kOk);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(),
                            [](const TsComplex& z) { return std::isfinite(z.Mag()); }));

    TimeDomain::SetPresetKaiserBeta(std::nan(""));
    TimeDomain::SetPresetStartTime(20 * kNs);  // after the preset stop
    TimeDomain::SetPresetStopTime(-20 * kNs);
    TimeDomain::SetPresetStopTime(1e300);
    EXPECT_EQ(TimeDomain::SetPresetKaiserBeta(20.0), 6.0);  // clamped to 13
    EXPECT_EQ(TimeDomain::SetPresetKaiserBeta(6.0), 13.0);
    EXPECT_TRUE(TimeDomain::GetPresetStartTime() == -10 * kNs &&
                TimeDomain::GetPresetStopTime() == 10 * kNs);
}

TEST(TimeDomainWindow, BetaShapeAndWidthsSetEachOther) {
    using W = TimeDomain::WindowShape;
    // Each row sets beta (shape kBeta) or the shape, on the object left by the rows before,
    // and expects the result, beta and shape. Beta clamps to 0..13 without result 1.
    constexpr W kBeta = static_cast<W>(-1);
    const std::tuple<W, double, long, double, W> rows[] = {
        {kBeta, 20.0, kOk, 13.0, TimeDomain::Maximum},
        {kBeta, 13.0, kUnchanged, 13.0, TimeDomain::Maximum},
        {kBeta, 6.00005, kOk, 6.00005, TimeDomain::Normal},
        {kBeta, 5.9995, kOk, 5.9995, TimeDomain::Custom},  // outside 6 ± 1e-4
        {kBeta, 7.5, kOk, 7.5, TimeDomain::Custom},
        {TimeDomain::Custom, 0, kUnchanged, 7.5, TimeDomain::Custom},
        {TimeDomain::Minimum, 0, kOk, 0.0, TimeDomain::Minimum},
        {TimeDomain::Custom, 0, kOk, 0.0, TimeDomain::Custom},  // keeps beta
        {TimeDomain::Maximum, 0, kOk, 13.0, TimeDomain::Maximum},
        {static_cast<W>(7), 0, kInvalidArg, 13.0, TimeDomain::Maximum},
        {kBeta, -1.0, kOk, 0.0, TimeDomain::Minimum},
        {kBeta, std::nan(""), kInvalidArg, 0.0, TimeDomain::Minimum}};
    TimeDomain td;
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const auto& [setShape, in, status, beta, shape] = rows[i];
        td.Validate();
        EXPECT_EQ(setShape == kBeta ? td.SetKaiserBeta(in) : td.SetWindowShape(setShape), status)
            << "row " << i;
        EXPECT_EQ(td.IsModified(), status == kOk) << "row " << i;
        EXPECT_TRUE(td.GetKaiserBeta() == beta && td.GetWindowShape() == shape) << "row " << i;
    }
    // Widths interpolate the factor tables both ways; band-pass widths are twice the low-pass.
    td.SetFrequencyData(1e9, 3e9, 201);  // span 2 GHz
    td.SetKaiserBeta(2.5);
    EXPECT_DOUBLE_EQ(td.GetImpulseWidth(), 2 * (0.679289 + 0.752108) / 2 / 2e9);
    td.SetKaiserBeta(0.25);
    EXPECT_DOUBLE_EQ(td.GetStepRiseTime(1.0), 0.448 + 0.25 * (0.489 - 0.448));
    double min = 0, max = 0;
    double min2 = 0, max2 = 0;
    td.GetMinMaxImpulseWidth(min, max);
    td.GetMinMaxStepRiseTime(min2, max2);
    EXPECT_TRUE(min == 2 * 0.601726 / 2e9 && max == 2 * 1.385393 / 2e9);
    EXPECT_TRUE(min2 == 0.448 / 2e9 && max2 == 1.466 / 2e9);
    // Beta from a width: below the beta-0 width 0, above the beta-13 width 13.
    const std::tuple<TimeDomain::TransformMode, double, double, double> widths[] = {
        {TimeDomain::BandPass, 0.1e-9, 2e9, 0.0},
        {TimeDomain::BandPass, 2 * 1.043091 / 2e9, 2e9, 7.0},  // halved in band-pass
        {TimeDomain::LowPassStep, (1.107016 + 1.167734) / 2, 1.0, 8.5},
        {TimeDomain::LowPassStep, 1e-9, 2e9, 13.0}};
    for (const auto& [mode, width, span, beta] : widths) {
        td.SetTransformMode(mode);
        EXPECT_EQ(span == 2e9 ? td.SetImpulseWidth(width) : td.SetImpulseWidth(width, span), kOk);
        EXPECT_NEAR(td.GetKaiserBeta(), beta, 1e-9) << width;
    }
    EXPECT_EQ(td.SetStepRiseTime(1.213 / 2e9), kOk);
    EXPECT_NEAR(td.GetKaiserBeta(), 9.0, 1e-9);
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
        const Cd z = ToCd(in[i]) * w[k] / sum;
        x.push_back(step ? Cd(0, -1) * z / (k * M_PI) : z);
        f.push_back(bandPass ? s.f0 + i * (s.f1 - s.f0) / (n - 1) : k * s.f1 / n);
    }
    const double phi = std::arg(s.dc >= 0 ? ToCd(in[0]) : -ToCd(in[0]));  // of the DC ramp
    std::vector<Cd> out(n);
    peak = 0;
    for (int m = 0; m < n; ++m) {
        const double t = s.t0 + m * (s.t1 - s.t0) / (n - 1);
        for (std::size_t i = 0; i < x.size(); ++i) {
            out[m] += x[i] * std::polar(1.0, 2 * M_PI * f[i] * t);
        }
        peak = std::max(peak, std::abs(out[m]));
        if (!bandPass) {
            out[m] = out[m].real() + (step ? s.dc * (s.f0 * t + phi / (2 * M_PI) + 0.5) : 0.0);
            peak = std::max(peak, std::abs(out[m]));
        }
    }
    return out;
}

TEST(TimeDomainExecute, MatchesDirectSumsInAllModes) {
    auto rng = SeededRng();
    // Odd and even counts; time ranges left of, around and right of 0.
    const double ranges[][2] = {{-12 * kNs, -2 * kNs}, {-3 * kNs, 7 * kNs}, {2 * kNs, 15 * kNs}};
    for (auto mode : {TimeDomain::BandPass, TimeDomain::LowPassStep, TimeDomain::LowPassImpulse}) {
        for (int n : {2, 3, 64, 201, 400}) {
            for (const auto& r : ranges) {
                const Settings s{mode, n, 1.5e9, 6e9, r[0], r[1], 4.5, mode == 0 ? 0.0 : -0.4};
                const std::vector<TsComplex> in = RandomSamples(n, rng);
                TimeDomain td;
                td.SetFrequencyData(s.f0, s.f1, s.points);
                td.SetStopTime(s.t1, false);
                td.SetStartTime(s.t0, false);
                td.SetKaiserBeta(s.beta);
                td.SetTransformMode(s.mode);
                td.SetDCValue(s.dc);
                std::vector<TsComplex> out;
                ASSERT_EQ(td.Execute(in, out), kOk);
                ASSERT_EQ(out.size(), std::size_t(n));
                double peak = 0;
                const std::vector<Cd> want = DirectTransform(s, in, peak);
                EXPECT_LT(MaxError(out, want), 1e-5 * peak) << "mode " << mode << " n " << n;
                EXPECT_TRUE(mode == 0 || std::all_of(out.begin(), out.end(), [](auto& z) {
                                return z.im == 0.0f;  // exactly 0 in the low-pass modes
                            }));
            }
        }
    }
}

// The window and chirp tables are built by the first Execute after a change and reused
// until the next one; a setter that changes nothing keeps them.
TEST(TimeDomainExecute, CacheIsRebuiltOnlyAfterChanges) {
    TimeDomain td;
    td.SetFrequencyData(1e9, 2e9, 101);
    std::vector<TsComplex> in(101, TsComplex(0.5f, 0.5f)), first, again;
    auto builds = [&] {
        EXPECT_EQ(td.Execute(in, again), kOk);
        return td.GetCacheBuildCount();
    };
    td.Execute(in, first);
    EXPECT_EQ(builds(), 1u);
    EXPECT_EQ(td.SetKaiserBeta(6.0), kUnchanged);
    EXPECT_EQ(builds(), 1u);
    td.SetTransformMode(TimeDomain::LowPassImpulse);
    td.SetTransformMode(TimeDomain::BandPass);
    EXPECT_EQ(builds(), 2u);
    EXPECT_EQ(first, again);
    td.SetDCValue(0.3);  // every accepted change marks the cache, even one it does not need
    EXPECT_EQ(builds(), 3u);
}

// The vector form fails without touching out. The pointer form writes outCount samples (-1:
// inCount), zeros past the transform's points or when the transform failed, and no more.
TEST(TimeDomainExecute, PointerFormPadsAndBadInputLeavesOutputAlone) {
    TimeDomain td;
    td.SetFrequencyData(1e9, 2e9, 8);
    const std::vector<TsComplex> in(8, TsComplex(1.0f, -1.0f)), sevens(10, TsComplex(7, 7));
    std::vector<TsComplex> want, out = sevens;
    ASSERT_EQ(td.Execute(in, want), kOk);
    EXPECT_EQ(td.Execute(in.data(), out.data(), 8, 10), kOk);
    want.resize(10);
    EXPECT_EQ(out, want);
    out = sevens;
    EXPECT_EQ(td.Execute(in.data(), out.data(), 8, -1), kOk);
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + 8, want.begin()) && out[8] == sevens[8]);

    out = sevens;
    td.SetTransformMode(static_cast<TimeDomain::TransformMode>(3));
    EXPECT_EQ(td.Execute(in, out), kUnexpected);
    EXPECT_EQ(out, sevens);
    EXPECT_EQ(td.Execute(in.data(), out.data(), 8, 3), kOk);
    EXPECT_TRUE(out[2] == TsComplex() && out[3] == sevens[3]);
    td.SetTransformMode(TimeDomain::LowPassStep);
    out = sevens;
    EXPECT_EQ(td.Execute(std::vector<TsComplex>(7), out), kInvalidArg);  // short input
    td.SetFrequencyData(1e9, 2e9, 1);
    EXPECT_TRUE(td.Execute(in, out) == kUnexpected && out == sevens);
    EXPECT_EQ(td.Execute(nullptr, out.data(), 4, 3), kInvalidArg);
    EXPECT_EQ(td.Execute(in.data(), out.data(), -2, 3), kInvalidArg);
}

}  // namespace
