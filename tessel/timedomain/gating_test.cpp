#include "tessel/timedomain/gating.h"

#include <cmath>
#include <complex>
#include <vector>

#include <gtest/gtest.h>

#include "tessel/core/status.h"

namespace {

using Tessel::Gating;
using Tessel::TsComplex;
using Cd = std::complex<double>;

constexpr double kNs = 1e-9;

Cd D(const TsComplex& z) {
    return {z.re, z.im};
}

// Reflections a_i·exp(-j2πf·τ_i) at the given frequencies.
std::vector<TsComplex> Reflections(const std::vector<double>& f,
                                   const std::vector<std::pair<double, double>>& r) {
    std::vector<TsComplex> out;
    for (double x : f) {
        Cd z;
        for (const auto& [a, tau] : r) {
            z += std::polar(a, -2 * M_PI * x * tau);
        }
        out.emplace_back(float(z.real()), float(z.imag()));
    }
    return out;
}

std::vector<double> LinearGrid(double start, double stop, int n) {
    std::vector<double> f(n);
    for (int i = 0; i < n; ++i) {
        f[i] = start + i * (stop - start) / (n - 1);
    }
    return f;
}

// Largest |out - want| over the middle 80 % of the points.
double MiddleError(const std::vector<TsComplex>& out, const std::vector<TsComplex>& want) {
    const std::size_t n = out.size(), skip = n / 10;
    double err = 0;
    for (std::size_t i = skip; i < n - skip; ++i) {
        err = std::max(err, std::abs(D(out[i]) - D(want[i])));
    }
    return err;
}

double Db(double ratio) {
    return 20 * std::log10(ratio);
}

TEST(GatingSettings, NewObjectAndClamps) {
    Gating g;
    EXPECT_EQ(g.GetGateStart(), -10 * kNs);
    EXPECT_EQ(g.GetGateStop(), 10 * kNs);
    EXPECT_EQ(g.GetGateType(), Gating::GateBandpass);
    EXPECT_EQ(g.GetGateShape(), Gating::GateNormal);
    EXPECT_EQ(g.Validate(), Tessel::kOk);
    double min = 0, max = 0;
    g.GetMinMaxGateValues(min, max);
    EXPECT_EQ(max, 10000.0);  // no grid yet
    EXPECT_EQ(min, -10000.0);

    ASSERT_EQ(g.SetFrequencyData(1e9, 2e9, 101.7), Tessel::kOk);  // 101 points: L = 100 ns
    g.GetMinMaxGateValues(min, max);
    EXPECT_DOUBLE_EQ(max, 100 * kNs);
    EXPECT_EQ(g.SetGateStart(-300 * kNs), Tessel::kFalse);
    EXPECT_DOUBLE_EQ(g.GetGateStart(), -100 * kNs);
    EXPECT_EQ(g.SetGateStart(-300 * kNs), Tessel::kFalse);  // same clamped value again
    EXPECT_EQ(g.SetGateStart(20 * kNs), Tessel::kOk);       // after the stop: stop follows
    EXPECT_DOUBLE_EQ(g.GetGateStop(), 20 * kNs);
    EXPECT_EQ(g.SetGateStop(-5 * kNs), Tessel::kOk);  // before the start: start follows
    EXPECT_DOUBLE_EQ(g.GetGateStart(), -5 * kNs);
    EXPECT_EQ(g.SetGateStart(std::nan("")), Tessel::kInvalidArg);
    EXPECT_EQ(g.SetFrequencyData(1e9, 2e9, -1.0), Tessel::kInvalidArg);
    EXPECT_EQ(g.SetGateShape(static_cast<Gating::GateShape>(4)), Tessel::kInvalidArg);
}

TEST(GatingSettings, CentreAndSpan) {
    Gating g;
    g.SetFrequencyData(1e9, 2e9, 101);  // L = 100 ns
    g.SetGateStart(2 * kNs);
    g.SetGateStop(6 * kNs);
    EXPECT_EQ(g.SetGateSpan(-1.0), Tessel::kFalse);  // zero span around the old centre
    EXPECT_DOUBLE_EQ(g.GetGateStart(), 4 * kNs);
    EXPECT_DOUBLE_EQ(g.GetGateStop(), 4 * kNs);
    EXPECT_EQ(g.SetGateSpan(1.0), Tessel::kOk);  // first clamped to L, silently
    EXPECT_DOUBLE_EQ(g.GetGateStart(), -46 * kNs);
    EXPECT_DOUBLE_EQ(g.GetGateStop(), 54 * kNs);
    EXPECT_EQ(g.SetGateSpan(10 * kNs), Tessel::kOk);
    EXPECT_DOUBLE_EQ(g.GetGateSpan(), 10 * kNs);
    EXPECT_DOUBLE_EQ(g.GetGateCenter(), 4 * kNs);
    EXPECT_EQ(g.SetGateCenter(98 * kNs), Tessel::kOk);  // span shrinks to fit
    EXPECT_DOUBLE_EQ(g.GetGateStart(), 96 * kNs);
    EXPECT_DOUBLE_EQ(g.GetGateStop(), 100 * kNs);
    EXPECT_EQ(g.SetGateSpan(50 * kNs), Tessel::kFalse);  // largest 2·(L - 98 ns)
    EXPECT_NEAR(g.GetGateSpan(), 4 * kNs, 1e-20);
    EXPECT_EQ(g.SetGateCenter(500 * kNs), Tessel::kOk);  // clamped without result 1
    EXPECT_DOUBLE_EQ(g.GetGateCenter(), 100 * kNs);
    EXPECT_EQ(g.GetGateSpan(), 0.0);
}

// Two reflections, 1601 points over 1-6 GHz, gate -1..3 ns: the band-pass gate keeps the
// 1 ns reflection, the notch keeps the 5 ns one.
TEST(GatingBandpass, SeparatesTwoReflections) {
    const std::vector<double> f = LinearGrid(1e9, 6e9, 1601);
    const auto in = Reflections(f, {{0.5, 1 * kNs}, {0.3, 5 * kNs}});
    const auto first = Reflections(f, {{0.5, 1 * kNs}});
    const auto second = Reflections(f, {{0.3, 5 * kNs}});
    Gating g;
    g.SetFrequencyData(1e9, 6e9, 1601);
    g.SetGateStart(-1 * kNs);
    g.SetGateStop(3 * kNs);
    std::vector<TsComplex> out;
    double dc = 0;
    bool valid = false;
    ASSERT_EQ(g.GateDataBandpass(in, out, dc, valid), Tessel::kOk);
    EXPECT_TRUE(valid);
    EXPECT_EQ(dc, Gating::EstimateDC(&in[0], &in[1], &in[2]));
    ASSERT_EQ(out.size(), in.size());
    EXPECT_LT(Db(MiddleError(out, first) / 0.3), -30.0);

    g.SetGateType(Gating::GateNotch);
    ASSERT_EQ(g.GateDataBandpass(in, out, dc, valid), Tessel::kOk);
    EXPECT_LT(Db(MiddleError(out, second) / 0.5), -30.0);
}

// Low-pass data on the harmonic grid k·Δf, k = 1..N, gated the same way.
TEST(GatingLowpass, SeparatesTwoReflectionsOnHarmonicGrid) {
    const int n = 1601;
    const double df = 6e9 / n;
    const std::vector<double> f = LinearGrid(df, 6e9, n);
    const auto in = Reflections(f, {{0.5, 1 * kNs}, {0.3, 5 * kNs}});
    Gating g;
    g.SetFrequencyData(df, 6e9, n);
    g.SetGateStart(-1 * kNs);
    g.SetGateStop(3 * kNs);
    std::vector<TsComplex> out;
    double dc = 0;
    bool valid = true;
    ASSERT_EQ(g.GateDataLowpass(in, out, dc, valid), Tessel::kOk);
    EXPECT_FALSE(valid);
    EXPECT_LT(Db(MiddleError(out, Reflections(f, {{0.5, 1 * kNs}})) / 0.3), -30.0);
    EXPECT_NEAR(dc, 0.5, 0.3 * 0.0316);  // the kept reflection at 0 Hz

    g.SetGateType(Gating::GateNotch);
    ASSERT_EQ(g.GateDataLowpass(in, out, dc, valid), Tessel::kOk);
    EXPECT_LT(Db(MiddleError(out, Reflections(f, {{0.3, 5 * kNs}})) / 0.5), -30.0);
    EXPECT_NEAR(dc, 0.3, 0.5 * 0.0316);
}

// The normalisation makes a reflection at the gate centre pass unchanged, whatever the shape.
TEST(GatingShapes, ReflectionAtGateCentrePassesUnchanged) {
    const std::vector<double> f = LinearGrid(2e9, 4e9, 301);
    const auto in = Reflections(f, {{0.7, 2.5 * kNs}});
    for (int shape = 0; shape <= 3; ++shape) {
        Gating g;
        g.SetFrequencyData(2e9, 4e9, 301);
        g.SetGateShape(static_cast<Gating::GateShape>(shape));
        g.SetGateStart(1 * kNs);
        g.SetGateStop(4 * kNs);
        std::vector<TsComplex> out;
        double dc = 0;
        bool valid = false;
        g.GateDataBandpass(in, out, dc, valid);
        double err = 0;
        for (std::size_t i = 0; i < in.size(); ++i) {
            err = std::max(err, std::abs(D(out[i]) - D(in[i])));
        }
        EXPECT_LT(err, 1e-5) << "shape " << shape;
    }
}

TEST(GatingCache, ReusedUntilChangeOrModeSwitch) {
    const int n = 201;
    const std::vector<double> f = LinearGrid(1e9, 3e9, n);
    const auto in = Reflections(f, {{0.5, 1 * kNs}, {0.3, 5 * kNs}});
    Gating g;
    g.SetFrequencyData(1e9, 3e9, n);
    std::vector<TsComplex> a, b;
    double dc = 0;
    bool valid = false;
    g.GateDataBandpass(in, a, dc, valid);
    g.GateDataBandpass(in, b, dc, valid);
    EXPECT_EQ(g.GetCacheBuildCount(), 1u);
    EXPECT_EQ(a, b);
    g.SetGateType(Gating::GateBandpass);  // unchanged values mark nothing
    g.SetGateShape(Gating::GateNormal);
    g.SetFrequencyData(1e9, 3e9, n);
    g.Validate();
    g.GateDataBandpass(in, b, dc, valid);
    EXPECT_EQ(g.GetCacheBuildCount(), 1u);
    g.GateDataLowpass(in, b, dc, valid);  // the other mode rebuilds
    EXPECT_EQ(g.GetCacheBuildCount(), 2u);
    g.GateDataBandpass(in, b, dc, valid);
    EXPECT_EQ(g.GetCacheBuildCount(), 3u);
    EXPECT_EQ(a, b);
    g.ForceRefresh();
    g.GateDataBandpass(in, b, dc, valid);
    EXPECT_EQ(g.GetCacheBuildCount(), 4u);
    Gating shared(g);
    shared.SetGateStop(2 * kNs);
    g.GateDataBandpass(in, b, dc, valid);
    EXPECT_EQ(shared.GetCacheBuildCount(), 5u);
    // A start clamped to the limit, set again: result 1 both times, one rebuild only.
    EXPECT_EQ(g.SetGateStart(-1.0), Tessel::kFalse);
    g.GateDataBandpass(in, b, dc, valid);
    EXPECT_EQ(g.SetGateStart(-1.0), Tessel::kFalse);
    g.GateDataBandpass(in, b, dc, valid);
    EXPECT_EQ(g.GetCacheBuildCount(), 6u);
}

TEST(GatingEdgeCases, ZeroWidthGateKeepsNothingOrEverything) {
    const int n = 101;
    const auto in = Reflections(LinearGrid(1e9, 2e9, n), {{0.5, 1 * kNs}});
    Gating g;
    g.SetFrequencyData(1e9, 2e9, n);
    g.SetGateSpan(0.0);
    std::vector<TsComplex> out;
    double dc = 1;
    bool valid = false;
    EXPECT_EQ(g.GateDataBandpass(in, out, dc, valid), Tessel::kOk);
    EXPECT_EQ(out, std::vector<TsComplex>(n));
    EXPECT_EQ(g.GateDataLowpass(in, out, dc, valid), Tessel::kOk);
    EXPECT_EQ(out, std::vector<TsComplex>(n));
    EXPECT_EQ(dc, 0.0);
    g.SetGateType(Gating::GateNotch);
    EXPECT_EQ(g.GateDataLowpass(in, out, dc, valid), Tessel::kOk);
    EXPECT_EQ(out, in);
    EXPECT_EQ(dc, Gating::EstimateDC(&in[0], &in[1], &in[2]));
}

TEST(GatingEdgeCases, MismatchedSizesReturnInputUngated) {
    Gating g;
    g.SetFrequencyData(1e9, 2e9, 10);
    const std::vector<TsComplex> in(9, TsComplex(0.25f, 0.5f));
    std::vector<TsComplex> out;
    double dc = 5;
    bool valid = true;
    EXPECT_EQ(g.GateDataBandpass(in, out, dc, valid), Tessel::kInvalidArg);
    EXPECT_EQ(out, in);
    EXPECT_EQ(dc, 0.0);
    EXPECT_FALSE(valid);
    g.SetFrequencyData(1e9, 2e9, 2);
    const std::vector<TsComplex> two(2, TsComplex(1.0f, 0.0f));
    EXPECT_EQ(g.GateDataLowpass(two, out, dc, valid), Tessel::kInvalidArg);
    EXPECT_EQ(out, two);
    // A zero frequency span designs the filter with a unit step and stays finite.
    g.SetFrequencyData(1e9, 1e9, 9);
    g.SetGateStart(-0.5);
    g.SetGateStop(0.5);
    EXPECT_EQ(g.GateDataBandpass(in, out, dc, valid), Tessel::kOk);
    for (const auto& z : out) {
        EXPECT_TRUE(std::isfinite(z.re) && std::isfinite(z.im));
    }
}

TEST(GatingEstimateDC, CircleExamples) {
    auto on = [](double angle) {
        return TsComplex(float(0.2 + 0.5 * std::cos(angle)), float(0.5 * std::sin(angle)));
    };
    TsComplex p[3] = {on(0.3), on(0.4), on(0.5)};
    EXPECT_NEAR(Gating::EstimateDC(&p[0], &p[1], &p[2]), 0.7, 1e-6);
    TsComplex q[3] = {on(2.8), on(2.9), on(3.0)};
    EXPECT_NEAR(Gating::EstimateDC(&q[0], &q[1], &q[2]), -0.3, 1e-6);
    // Real parts within 0.002: measured from the origin, +|p0| or -|p0|, limited to ±1.
    TsComplex r[3] = {{0.3f, 0.4f}, {0.301f, 0.2f}, {0.3005f, 0.0f}};
    EXPECT_NEAR(Gating::EstimateDC(&r[0], &r[1], &r[2]), 0.5, 1e-6);
    TsComplex s[3] = {{-0.3f, 0.4f}, {-0.301f, 0.6f}, {-0.3005f, 0.8f}};
    EXPECT_NEAR(Gating::EstimateDC(&s[0], &s[1], &s[2]), -0.5, 1e-6);
    TsComplex big[3] = {{3.0f, 4.0f}, {3.001f, 2.0f}, {3.0f, 0.0f}};
    EXPECT_EQ(Gating::EstimateDC(&big[0], &big[1], &big[2]), 1.0);
    EXPECT_EQ(Gating::EstimateDC(nullptr, &p[1], &p[2]), 0.0);
}

}  // namespace
