// SPDX-License-Identifier: Apache-2.0
// TimeDomain::Execute: the band-pass and low-pass transforms and their cached tables.

#include <algorithm>
#include <cmath>

#include "platform/nsp/nsp.h"
#include "tessel/core/status.h"
#include "tessel/timedomain/internal/chirp_z.h"
#include "tessel/timedomain/time_domain.h"

namespace Tessel {
namespace {

constexpr double kTwoPi = 2.0 * M_PI;
// The largest point count Execute takes: its FFTs stay within 2^30 points.
constexpr unsigned kMaxPoints = 1u << 28;

// Band-pass window: Kaiser of N points with alpha = beta/((N - 1) div 2), scaled to unit sum.
// For N = 2 the divisor would be 0; both coefficients of a two-point window are equal
// whatever alpha is, and the scaling makes them 1/2, so beta itself serves as alpha.
void BuildBandPassWindow(std::vector<float>& w, int n, double beta) {
    w.assign(n, 0.0f);
    nspsbSet(1.0f, w.data(), n);
    const int divisor = std::max((n - 1) / 2, 1);
    nspsWinKaiser(w.data(), n, static_cast<float>(beta / divisor));
    const float mean = nspsMean(w.data(), n);
    nspsbMpy1(static_cast<float>(1.0 / (double(mean) * n)), w.data(), n);
}

// Low-pass windows: Kaiser of 2N + 1 points with alpha = beta/N, of which the centre and the
// right half w[k] = window[N + k], k = 0..N, are used.
void BuildLowPassWindow(std::vector<float>& w, int n, double beta, bool step) {
    const int size = 2 * n + 1;
    w.assign(size, 0.0f);
    nspsbSet(1.0f, w.data(), size);
    nspsWinKaiser(w.data(), size, static_cast<float>(beta / n));
    if (step) {
        // The step response integrates the impulse: harmonic k is divided by k·π.
        for (int k = 1; k <= n; ++k) {
            w[n + k] = static_cast<float>(w[n + k] / (k * M_PI));
        }
        return;
    }
    w[n] *= 0.5f;
    const float mean = nspsMean(w.data() + n, n + 1);
    nspsbMpy1(static_cast<float>(1.0 / (double(mean) * (n + 1))), w.data() + n, n + 1);
}

// Rebuilds the window and the chirp-z tables for the current settings.
bool RebuildCache(TimeDomainState& s) {
    const int n = static_cast<int>(s.frequencyPoints);
    const std::size_t m = s.timePoints;
    const double dt = (s.stopTime - s.startTime) / (double(m) - 1.0);
    const double t0 = s.startTime;
    if (s.transformMode == TimeDomain::BandPass) {
        BuildBandPassWindow(s.window, n, s.kaiserBeta);
        const double f0 = s.startFrequency;
        const double df = (s.stopFrequency - s.startFrequency) / (n - 1.0);
        return s.chirp->Prepare(n, m, kTwoPi * t0 * df, kTwoPi * f0 * dt, kTwoPi * df * dt,
                                kTwoPi * f0 * t0);
    }
    BuildLowPassWindow(s.window, n, s.kaiserBeta, s.transformMode == TimeDomain::LowPassStep);
    const double df = s.stopFrequency / n;
    return s.chirp->Prepare(n + 1, m, kTwoPi * t0 * df, 0.0, kTwoPi * df * dt, 0.0);
}

void RunBandPass(TimeDomainState& s, const TsComplex* in, TsComplex* out) {
    const std::size_t n = s.frequencyPoints;
    TsComplex* x = s.chirp->BeginInput();
    for (std::size_t i = 0; i < n; ++i) {
        x[i] = nspcSet(in[i].re * s.window[i], in[i].im * s.window[i]);
    }
    s.chirp->Run(out);
}

void RunLowPassStep(TimeDomainState& s, const TsComplex* in, TsComplex* out) {
    const std::size_t n = s.frequencyPoints, m = s.timePoints;
    const float* w = s.window.data() + n;
    TsComplex* x = s.chirp->BeginInput();  // x[0] = 0
    for (std::size_t k = 1; k <= n; ++k) {
        x[k] = nspcSet(in[k - 1].im * w[k], -in[k - 1].re * w[k]);  // -j·in·w
    }
    s.chirp->Run(out);

    // DC ramp dc·(f0·(t - τ0) + 0.5) with τ0 = -φ/(2π·f0), written as dc·(f0·t + φ/(2π) + 0.5)
    // so that a zero start frequency needs no division.
    const double dc = static_cast<float>(s.dcValue);
    const double phi =
        s.dcValue >= 0.0 ? std::atan2(in[0].im, in[0].re) : std::atan2(-in[0].im, -in[0].re);
    const double offset = phi / kTwoPi + 0.5;
    const double dt = (s.stopTime - s.startTime) / (double(n) - 1.0);
    for (std::size_t i = 0; i < m; ++i) {
        const double t = s.startTime + double(i) * dt;
        out[i].re = static_cast<float>(out[i].re + dc * (s.startFrequency * t + offset));
        out[i].im = 0.0f;
    }
}

void RunLowPassImpulse(TimeDomainState& s, const TsComplex* in, TsComplex* out) {
    const std::size_t n = s.frequencyPoints, m = s.timePoints;
    const float* w = s.window.data() + n;
    TsComplex* x = s.chirp->BeginInput();
    x[0] = nspcSet(static_cast<float>(s.dcValue * w[0]), 0.0f);
    for (std::size_t k = 1; k <= n; ++k) {
        x[k] = nspcSet(in[k - 1].re * w[k], in[k - 1].im * w[k]);
    }
    s.chirp->Run(out);
    for (std::size_t i = 0; i < m; ++i) {
        out[i].im = 0.0f;
    }
}

}  // namespace

long TimeDomain::Execute(const std::vector<TsComplex>& in, std::vector<TsComplex>& out) {
    TimeDomainState& s = *m_state;
    const TransformMode mode = s.transformMode;
    if ((mode != BandPass && mode != LowPassStep && mode != LowPassImpulse) ||
        s.frequencyPoints < 2 || s.timePoints < 2 || s.frequencyPoints > kMaxPoints ||
        s.timePoints > kMaxPoints) {
        return kUnexpected;
    }
    if (in.size() < s.frequencyPoints) {
        return kInvalidArg;
    }
    if (s.windowDirty) {
        ++s.cacheBuilds;
        if (!RebuildCache(s)) {
            return kUnexpected;
        }
        s.windowDirty = false;
    }
    out.assign(s.timePoints, TsComplex());
    switch (mode) {
        case BandPass:
            RunBandPass(s, in.data(), out.data());
            break;
        case LowPassStep:
            RunLowPassStep(s, in.data(), out.data());
            break;
        default:
            RunLowPassImpulse(s, in.data(), out.data());
            break;
    }
    return kOk;
}

long TimeDomain::Execute(const TsComplex* in, TsComplex* out, int inCount, int outCount) {
    if (outCount == -1) {
        outCount = inCount;
    }
    if (inCount < 0 || outCount < 0 || (in == nullptr && inCount > 0) ||
        (out == nullptr && outCount > 0)) {
        return kInvalidArg;
    }
    const std::vector<TsComplex> input(in, in + inCount);
    std::vector<TsComplex> output(outCount);
    Execute(input, output);
    const std::size_t copied = std::min<std::size_t>(outCount, output.size());
    std::copy(output.begin(), output.begin() + copied, out);
    std::fill(out + copied, out + outCount, TsComplex());
    return kOk;
}

}  // namespace Tessel
