#include "tessel/timedomain/gating.h"

#include <cmath>
#include <complex>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "tessel/core/status.h"

namespace {

using Tessel::Gating;
using Tessel::TsComplex;
using Cd = std::complex<double>;

constexpr double kNs = 1e-9;

// Reflections a·exp(-j2πf·τ) for each (a, τ), at n points from f0 to f1.
std::vector<TsComplex> Reflections(double f0, double f1, int n,
                                   const std::vector<std::pair<double, double>>& r) {
    std::vector<TsComplex> out;
    for (int i = 0; i < n; ++i) {
        Cd z;
        for (const auto& [a, tau] : r) {
            z += std::polar(a, -2 * M_PI * (f0 + i * (f1 - f0) / (n - 1)) * tau);
        }
        out.emplace_back(float(z.real()), float(z.imag()));
    }
    return out;
}

// Largest |out - want| over the middle 80 % of the points (all of them with edge = false).
double MaxError(const std::vector<TsComplex>& out, const std::vector<TsComplex>& want,
                bool edge = true) {
    const std::size_t n = out.size(), skip = edge ? n / 10 : 0;
    double err = 0;
    for (std::size_t i = skip; i < n - skip; ++i) {
        err = std::max(err, std::abs(Cd(out[i].re, out[i].im) - Cd(want[i].re, want[i].im)));
    }
    return err;
}

struct Gated {
    long status;
    std::vector<TsComplex> out;
    double dc;
    bool valid;
};

Gated Gate(Gating& g, bool lowPass, const std::vector<TsComplex>& in) {
    Gated r{0, {}, -7.0, lowPass};  // dcValid starts opposite to what a good call reports
    r.status = lowPass ? g.GateDataLowpass(in, r.out, r.dc, r.valid)
                       : g.GateDataBandpass(in, r.out, r.dc, r.valid);
    return r;
}

TEST(GatingSettings, NewObjectLimitsAndRejectedValues) {
    Gating g;
    EXPECT_EQ(g.GetGateStart(), -10 * kNs);
    EXPECT_EQ(g.GetGateStop(), 10 * kNs);
    EXPECT_EQ(g.GetGateType(), Gating::GateBandpass);
    EXPECT_EQ(g.GetGateShape(), Gating::GateNormal);
    double min = 0, max = 0;
    g.GetMinMaxGateValues(min, max);
    EXPECT_TRUE(min == -10000.0 && max == 10000.0);               // no grid yet
    ASSERT_EQ(g.SetFrequencyData(1e9, 2e9, 101.7), Tessel::kOk);  // 101 points: L = 100 ns
    g.GetMinMaxGateValues(min, max);
    EXPECT_DOUBLE_EQ(min, -100 * kNs);
    EXPECT_DOUBLE_EQ(max, 100 * kNs);
    EXPECT_EQ(g.SetGateStart(std::nan("")), Tessel::kInvalidArg);
    EXPECT_EQ(g.SetGateSpan(INFINITY), Tessel::kInvalidArg);
    EXPECT_EQ(g.SetFrequencyData(1e9, 2e9, -1.0), Tessel::kInvalidArg);
    EXPECT_EQ(g.SetGateShape(static_cast<Gating::GateShape>(4)), Tessel::kInvalidArg);
    EXPECT_EQ(g.GetGateStart(), -10 * kNs);
    EXPECT_EQ(g.GetGateShape(), Gating::GateNormal);
}

TEST(GatingSettings, StartStopCentreAndSpanClampToTheLimit) {
    enum Setter { kStart, kStop, kCentre, kSpan };
    // Each row acts on the gate left by the rows before: setter, value and expected result,
    // start and stop (ns). L = 100 ns.
    const std::tuple<Setter, double, long, double, double> rows[] = {
        {kStart, -300, Tessel::kFalse, -100, 10},  // clamped
        {kStart, -300, Tessel::kFalse, -100, 10},  // the same clamped value again
        {kStart, 20, Tessel::kOk, 20, 20},         // after the stop: the stop follows
        {kStop, -5, Tessel::kOk, -5, -5},          // before the start: the start follows
        {kStart, 2, Tessel::kOk, 2, 2},
        {kStop, 6, Tessel::kOk, 2, 6},
        {kSpan, -1, Tessel::kFalse, 4, 4},   // zero span around the old centre
        {kSpan, 1e9, Tessel::kOk, -46, 54},  // first clamped to L, silently
        {kSpan, 10, Tessel::kOk, -1, 9},
        {kCentre, 98, Tessel::kOk, 96, 100},    // the span shrinks to fit
        {kSpan, 50, Tessel::kFalse, 96, 100},   // largest 2·(L - 98 ns)
        {kCentre, 500, Tessel::kOk, 100, 100},  // clamped without result 1
    };
    Gating g;
    g.SetFrequencyData(1e9, 2e9, 101);
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const auto& [setter, ns, status, start, stop] = rows[i];
        const double t = ns * kNs;
        const long got = setter == kStart    ? g.SetGateStart(t)
                         : setter == kStop   ? g.SetGateStop(t)
                         : setter == kCentre ? g.SetGateCenter(t)
                                             : g.SetGateSpan(t);
        EXPECT_EQ(got, status) << "row " << i;
        EXPECT_NEAR(g.GetGateStart(), start * kNs, 1e-22) << "row " << i;
        EXPECT_NEAR(g.GetGateStop(), stop * kNs, 1e-22) << "row " << i;
    }
}

// Two reflections (0.5 at 1 ns, 0.3 at 5 ns), 1601 points, gate -1..3 ns: the band-pass gate
// keeps the first and the notch the second, with the other below -30 dB of its own size.
// Band-pass data span 1-6 GHz; low-pass data lie on the harmonic grid k·Δf, k = 1..N.
TEST(GatingData, SeparatesTwoReflectionsInBothModes) {
    const int n = 1601;
    for (bool lowPass : {false, true}) {
        const double f0 = lowPass ? 6e9 / n : 1e9;
        const auto in = Reflections(f0, 6e9, n, {{0.5, 1 * kNs}, {0.3, 5 * kNs}});
        Gating g;
        g.SetFrequencyData(f0, 6e9, n);
        g.SetGateStart(-1 * kNs);
        g.SetGateStop(3 * kNs);
        for (auto type : {Gating::GateBandpass, Gating::GateNotch}) {
            g.SetGateType(type);
            const bool first = type == Gating::GateBandpass;
            const double kept = first ? 0.5 : 0.3, removed = first ? 0.3 : 0.5;
            const auto want = Reflections(f0, 6e9, n, {{kept, (first ? 1 : 5) * kNs}});
            const Gated r = Gate(g, lowPass, in);
            ASSERT_EQ(r.status, Tessel::kOk);
            ASSERT_EQ(r.out.size(), in.size());
            EXPECT_LT(20 * std::log10(MaxError(r.out, want) / removed), -30.0)
                << "low-pass " << lowPass << " type " << type;
            EXPECT_EQ(r.valid, !lowPass);
            if (lowPass) {
                EXPECT_NEAR(r.dc, kept, removed * 0.0316);  // the kept reflection at 0 Hz
            } else {
                EXPECT_EQ(r.dc, Gating::EstimateDC(&in[0], &in[1], &in[2]));
            }
        }
    }
}

// The normalisation makes a reflection at the gate centre pass unchanged, whatever the shape.
TEST(GatingData, ReflectionAtGateCentrePassesUnchangedForEveryShape) {
    const auto in = Reflections(2e9, 4e9, 301, {{0.7, 2.5 * kNs}});
    for (int shape = 0; shape <= 3; ++shape) {
        Gating g;
        g.SetFrequencyData(2e9, 4e9, 301);
        g.SetGateShape(static_cast<Gating::GateShape>(shape));
        g.SetGateStart(1 * kNs);
        g.SetGateStop(4 * kNs);
        EXPECT_LT(MaxError(Gate(g, false, in).out, in, false), 1e-5) << "shape " << shape;
    }
}

TEST(GatingCache, ReusedUntilChangeOrModeSwitch) {
    const auto in = Reflections(1e9, 3e9, 201, {{0.5, 1 * kNs}, {0.3, 5 * kNs}});
    Gating g;
    g.SetFrequencyData(1e9, 3e9, 201);
    auto builds = [&](bool lowPass = false) {
        Gate(g, lowPass, in);
        return g.GetCacheBuildCount();
    };
    const auto first = Gate(g, false, in).out;
    EXPECT_EQ(builds(), 1u);
    g.SetGateType(Gating::GateBandpass);  // unchanged values mark nothing
    g.SetGateShape(Gating::GateNormal);
    g.SetFrequencyData(1e9, 3e9, 201);
    g.Validate();
    EXPECT_EQ(builds(), 1u);
    EXPECT_EQ(builds(true), 2u);  // the other mode rebuilds, and so does the way back
    EXPECT_EQ(Gate(g, false, in).out, first);
    EXPECT_EQ(g.GetCacheBuildCount(), 3u);
    g.ForceRefresh();
    EXPECT_EQ(builds(), 4u);
    Gating shared(g);
    shared.SetGateStop(2 * kNs);
    EXPECT_EQ(builds(), 5u);
    // A start clamped to the limit, set again: result 1 both times, one rebuild only.
    EXPECT_EQ(g.SetGateStart(-1.0), Tessel::kFalse);
    EXPECT_EQ(builds(), 6u);
    EXPECT_EQ(g.SetGateStart(-1.0), Tessel::kFalse);
    EXPECT_EQ(builds(), 6u);
}

// A gate of zero width: the band-pass gate keeps nothing, the notch everything.
TEST(GatingData, ZeroWidthGateKeepsNothingOrEverything) {
    const auto in = Reflections(1e9, 2e9, 101, {{0.5, 1 * kNs}});
    const double ungatedDc = Gating::EstimateDC(&in[0], &in[1], &in[2]);
    Gating g;
    g.SetFrequencyData(1e9, 2e9, 101);
    g.SetGateSpan(0.0);
    for (auto type : {Gating::GateBandpass, Gating::GateNotch}) {
        g.SetGateType(type);
        const bool all = type == Gating::GateNotch;
        for (bool lowPass : {false, true}) {
            const Gated r = Gate(g, lowPass, in);
            EXPECT_EQ(r.status, Tessel::kOk);
            EXPECT_EQ(r.out, all ? in : std::vector<TsComplex>(101)) << type << lowPass;
            EXPECT_EQ(r.dc, all || !lowPass ? ungatedDc : 0.0) << type << lowPass;
        }
    }
}

TEST(GatingData, WrongSizesReturnInputUngatedAndZeroSpanStaysFinite) {
    Gating g;
    // A length that differs from the point count, and fewer than 3 points.
    for (const auto& [points, size] : {std::pair{10, 9}, std::pair{2, 2}}) {
        g.SetFrequencyData(1e9, 2e9, points);
        const std::vector<TsComplex> in(size, TsComplex(0.25f, 0.5f));
        for (bool lowPass : {false, true}) {
            const Gated r = Gate(g, lowPass, in);
            EXPECT_EQ(r.status, Tessel::kInvalidArg);
            EXPECT_TRUE(r.out == in && r.dc == 0.0 && !r.valid) << points << lowPass;
        }
    }
    // A zero frequency span designs the filter with a unit step.
    g.SetFrequencyData(1e9, 1e9, 9);
    g.SetGateStart(-0.5);
    g.SetGateStop(0.5);
    const Gated r = Gate(g, false, std::vector<TsComplex>(9, TsComplex(0.25f, 0.5f)));
    EXPECT_EQ(r.status, Tessel::kOk);
    for (const auto& z : r.out) {
        EXPECT_TRUE(std::isfinite(z.re) && std::isfinite(z.im));
    }
}

TEST(GatingEstimateDC, WorkedExamples) {
    auto on = [](double angle) {  // on the circle of radius 0.5 about (0.2, 0)
        return TsComplex(float(0.2 + 0.5 * std::cos(angle)), float(0.5 * std::sin(angle)));
    };
    // Real parts within 0.002 (the last three rows): measured from the origin, ±|p0|.
    const std::tuple<TsComplex, TsComplex, TsComplex, double> cases[] = {
        {on(0.3), on(0.4), on(0.5), 0.7},
        {on(2.8), on(2.9), on(3.0), -0.3},
        {{0.3f, 0.4f}, {0.301f, 0.2f}, {0.3005f, 0.0f}, 0.5},
        {{-0.3f, 0.4f}, {-0.301f, 0.6f}, {-0.3005f, 0.8f}, -0.5},
        {{0.3f, 0.01f}, {0.301f, 0.005f}, {0.3f, 0.0f}, std::hypot(0.3f, 0.01f)},  // circle ignored
    };
    for (const auto& [p0, p1, p2, want] : cases) {
        EXPECT_NEAR(Gating::EstimateDC(&p0, &p1, &p2), want, 1e-6) << want;
    }
    TsComplex big[3] = {{3.0f, 4.0f}, {3.001f, 2.0f}, {3.0f, 0.0f}};
    EXPECT_EQ(Gating::EstimateDC(&big[0], &big[1], &big[2]), 1.0);  // limited to ±1
    EXPECT_EQ(Gating::EstimateDC(nullptr, &big[1], &big[2]), 0.0);
}

}  // namespace
