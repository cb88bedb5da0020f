// SPDX-License-Identifier: Apache-2.0
#include "tessel/timedomain/gating.h"

#include <tuple>

#include "tessel/core/status.h"
#include "tessel/timedomain/time_domain_test_support.h"

namespace {

using namespace Tessel;
using namespace Tessel::test;

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

TEST(GatingSettings, NewObjectLimitsAndClampingSetters) {
    Gating g;
    EXPECT_TRUE(g.GetGateStart() == -10 * kNs && g.GetGateStop() == 10 * kNs);
    EXPECT_TRUE(g.GetGateType() == Gating::GateBandpass && g.GetGateShape() == Gating::GateNormal);
    double min = 0, max = 0;
    g.GetMinMaxGateValues(min, max);
    EXPECT_TRUE(min == -10000.0 && max == 10000.0);       // no grid yet
    ASSERT_EQ(g.SetFrequencyData(1e9, 2e9, 101.7), kOk);  // 101 points: L = 100 ns
    g.GetMinMaxGateValues(min, max);
    EXPECT_DOUBLE_EQ(max, 100 * kNs);
    EXPECT_EQ(g.SetFrequencyData(1e9, 2e9, -1.0), kInvalidArg);
    EXPECT_EQ(g.SetGateShape(static_cast<Gating::GateShape>(4)), kInvalidArg);
    enum Setter { kStart, kStop, kCentre, kSpan };
    // Each row acts on the gate left by the rows before: setter, value and expected result,
    // start and stop (ns).
    const std::tuple<Setter, double, long, double, double> rows[] = {
        {kStart, -300, kFalse, -100, 10},  // clamped
        {kStart, -300, kFalse, -100, 10},  // the same clamped value again
        {kStart, 20, kOk, 20, 20},         // after the stop: the stop follows
        {kStop, -5, kOk, -5, -5},          // before the start: the start follows
        {kStart, 2, kOk, 2, 2},
        {kStop, 6, kOk, 2, 6},
        {kSpan, -1, kFalse, 4, 4},   // zero span around the old centre
        {kSpan, 1e9, kOk, -46, 54},  // first clamped to L, silently
        {kSpan, 10, kOk, -1, 9},
        {kCentre, 98, kOk, 96, 100},    // the span shrinks to fit
        {kSpan, 50, kFalse, 96, 100},   // largest 2·(L - 98 ns)
        {kCentre, 500, kOk, 100, 100},  // clamped without result 1
        {kStart, NAN, kInvalidArg, 100, 100},
        {kSpan, INFINITY, kInvalidArg, 100, 100},
    };
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

struct Design {
    Gating::GateShape shape;
    int divisor;  // D: K = N/D
    double beta;  // B: the filter's Kaiser parameter B/K
};

// The gate built step by step from its design, by a direct convolution in double: the filter
// h[±m] = sinc(m·w·Δf)·Kaiser(2K + 1, B/K)[K + m]·exp(∓j·m·ω0), m = 0..K, runs over the data
// under the edge taper Kaiser(P, 4/((P - 1) div 2)); each point is divided by the magnitude of
// the filtered, tapered reflection exp(-j·n·ω0) at the gate centre.
Gated ReferenceGate(const Design& g, bool notch, bool lowPass, double f0, double f1, double t0,
                    double t1, const std::vector<TsComplex>& in) {
    const int n = int(in.size()), k = std::max(n / g.divisor, 1), p = lowPass ? 2 * n + 1 : n;
    const double df = (f1 - f0) / (n - 1), tc = notch ? (1 / df + t0 + t1) / 2 : (t0 + t1) / 2;
    const double x = (notch ? t0 - t1 + 1 / df : t1 - t0) * df * M_PI, omega = 2 * M_PI * tc * df;
    const std::vector<double> window = Kaiser(2 * k + 1, g.beta / k);
    const std::vector<double> edge = Kaiser(p, 4.0 / ((p - 1) / 2));
    std::vector<Cd> h(k + 1, 1.0);
    for (int m = 1; m <= k; ++m) {
        h[m] = std::sin(m * x) / (m * x) * window[k + m] * std::polar(1.0, -m * omega);
    }
    auto filter = [&](const std::vector<Cd>& v, int i) {
        Cd y = v[i];
        for (int m = 1; m <= k; ++m) {
            y += (i >= m ? h[m] * v[i - m] : 0.0) + (i + m < p ? std::conj(h[m]) * v[i + m] : 0.0);
        }
        return y;
    };
    // Low-pass data: harmonic j at index n + j, conjugated below 0 Hz, the DC estimate at 0 Hz.
    const double dc = Gating::EstimateDC(&in[0], &in[1], &in[2]);
    std::vector<Cd> data(p), centre(p);
    for (int i = 0; i < p; ++i) {
        const int j = lowPass ? i - n : i, at = lowPass ? std::abs(j) - 1 : j;
        const Cd z = at < 0 ? Cd(dc) : ToCd(in[at]);
        data[i] = (j < 0 ? std::conj(z) : z) * edge[i];
        centre[i] = std::polar(edge[i], -i * omega);
    }
    Gated r{kOk, std::vector<TsComplex>(n), dc, !lowPass};
    for (int i = 0, first = lowPass ? n + 1 : 0; i < n; ++i) {
        const Cd y = filter(data, first + i) / std::abs(filter(centre, first + i));
        r.out[i] = TsComplex(float(y.real()), float(y.imag()));
    }
    if (lowPass) {
        r.dc = filter(data, n).real() / std::abs(filter(centre, n));
    }
    return r;
}

// Every shape's divisor and Kaiser parameter and the edge taper, pinned by the reference in
// both modes and for both gate types. 24 points: Maximum has K = 2 taps a side (3 with D = 8).
TEST(GatingData, MatchesTheGateDesignOfEveryShape) {
    const Design designs[] = {{Gating::GateMaximum, 10, 8},
                              {Gating::GateWide, 5, 5},
                              {Gating::GateNormal, 2, 5},
                              {Gating::GateMinimum, 2, 2}};
    auto rng = SeededRng();
    const std::vector<TsComplex> in = RandomSamples(24, rng);
    for (const Design& d : designs) {
        for (const bool notch : {false, true}) {
            for (const bool lowPass : {false, true}) {
                Gating g;
                g.SetFrequencyData(1e9, 3.3e9, 24);  // L = 10 ns
                g.SetGateShape(d.shape);
                g.SetGateType(notch ? Gating::GateNotch : Gating::GateBandpass);
                g.SetGateStart(-2 * kNs);
                g.SetGateStop(3 * kNs);
                Gated got = Gate(g, lowPass, in);
                const Gated want =
                    ReferenceGate(d, notch, lowPass, 1e9, 3.3e9, -2 * kNs, 3 * kNs, in);
                ASSERT_EQ(got.status, kOk);
                EXPECT_LT(MaxError(got.out, want.out), 1e-5)
                    << "shape " << d.shape << " notch " << notch << " low-pass " << lowPass;
                EXPECT_TRUE(std::fabs(got.dc - want.dc) < 1e-5 && got.valid == want.valid);
                // Samples past the point count are not gated: the output has their places, 0.
                std::vector<TsComplex> longer = in;
                longer.resize(27, TsComplex(5.0f, 5.0f));
                const Gated more = Gate(g, lowPass, longer);
                got.out.resize(27);
                EXPECT_TRUE(more.status == kOk && more.out == got.out);
            }
        }
    }
}

TEST(GatingCache, ReusedUntilChangeOrModeSwitch) {
    auto rng = SeededRng();
    const auto in = RandomSamples(201, rng);
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
    g.ForceRefresh();
    EXPECT_EQ(builds(), 4u);
    Gating shared(g);
    shared.SetGateStop(2 * kNs);
    EXPECT_EQ(builds(), 5u);
    g.SetGateStart(-1.0);  // clamped to the limit; set again, it changes nothing
    EXPECT_EQ(builds(), 6u);
    g.SetGateStart(-1.0);
    EXPECT_EQ(builds(), 6u);
}

// A gate of zero width: the band-pass gate keeps nothing, the notch everything. Too few
// samples or points are refused with the input returned; a zero frequency span gates with a
// unit step.
TEST(GatingData, ZeroWidthGatesWrongSizesAndZeroSpan) {
    auto rng = SeededRng();
    const auto in = RandomSamples(101, rng);
    const double ungatedDc = Gating::EstimateDC(&in[0], &in[1], &in[2]);
    Gating g;
    g.SetFrequencyData(1e9, 2e9, 101);
    g.SetGateSpan(0.0);
    for (auto type : {Gating::GateBandpass, Gating::GateNotch}) {
        g.SetGateType(type);
        const bool all = type == Gating::GateNotch;
        for (bool lowPass : {false, true}) {
            const Gated r = Gate(g, lowPass, in);
            EXPECT_EQ(r.status, kOk);
            EXPECT_EQ(r.out, all ? in : std::vector<TsComplex>(101)) << type << lowPass;
            EXPECT_EQ(r.dc, all || !lowPass ? ungatedDc : 0.0) << type << lowPass;
        }
    }
    for (const auto& [points, size] : {std::pair{102, 101}, std::pair{2, 2}}) {
        g.SetFrequencyData(1e9, 2e9, points);
        const std::vector<TsComplex> few(in.begin(), in.begin() + size);
        for (bool lowPass : {false, true}) {
            const Gated r = Gate(g, lowPass, few);
            EXPECT_EQ(r.status, kInvalidArg);
            EXPECT_TRUE(r.out == few && r.dc == 0.0 && !r.valid) << points << lowPass;
        }
    }
    g.SetFrequencyData(1e9, 1e9, 9);
    g.SetGateStart(-0.5);
    g.SetGateStop(0.5);
    for (const auto& z : Gate(g, false, std::vector<TsComplex>(9, TsComplex(0.25f, 0.5f))).out) {
        EXPECT_TRUE(std::isfinite(z.re) && std::isfinite(z.im));
    }
}

TEST(GatingEstimateDC, WorkedExamples) {
    auto on = [](double angle) {  // on the circle of radius 0.5 about (0.2, 0)
        return TsComplex(float(0.2 + 0.5 * std::cos(angle)), float(0.5 * std::sin(angle)));
    };
    auto off = [](double angle) {  // on the circle of radius 2.1 about (0.5, 2)
        return TsComplex(float(0.5 + 2.1 * std::cos(angle)), float(2 + 2.1 * std::sin(angle)));
    };
    // Real parts within 0.002 (the last three rows): measured from the origin, ±|p0|.
    const std::tuple<TsComplex, TsComplex, TsComplex, double> cases[] = {
        {on(0.3), on(0.4), on(0.5), 0.7},
        {on(2.8), on(2.9), on(3.0), -0.3},
        {{0.3f, 0.4f}, {0.301f, 0.2f}, {0.3005f, 0.0f}, 0.5},
        {{-0.3f, 0.4f}, {-0.301f, 0.6f}, {-0.3005f, 0.8f}, -0.5},
        {{0.3f, 0.01f}, {0.301f, 0.005f}, {0.3f, 0.0f}, std::hypot(0.3f, 0.01f)},  // circle ignored
        // Centre (0.5, 2) outside the unit square: measured from the origin.
        {off(-1.4), off(-1.5), off(-1.6), std::abs(ToCd(off(-1.4)))},
    };
    for (const auto& [p0, p1, p2, want] : cases) {
        EXPECT_NEAR(Gating::EstimateDC(&p0, &p1, &p2), want, 1e-6) << want;
    }
    TsComplex big[3] = {{3.0f, 4.0f}, {3.001f, 2.0f}, {3.0f, 0.0f}};
    EXPECT_EQ(Gating::EstimateDC(&big[0], &big[1], &big[2]), 1.0);  // limited to ±1
    EXPECT_EQ(Gating::EstimateDC(nullptr, &big[1], &big[2]), 0.0);
}

}  // namespace
