// SPDX-License-Identifier: Apache-2.0
// Cost of the time-domain transform against a direct evaluation of the same sum.
//
// A transform of N points runs one forward and one inverse FFT of L = the next power of two
// >= 2N - 1 (band-pass) or 2N (low-pass) plus linear work; compare with BM_FftAligned at
// that L in nsp_benchmark. The direct sum costs N² complex products.

#include <cmath>
#include <complex>
#include <vector>

#include <benchmark/benchmark.h>

#include "tessel/timedomain/time_domain.h"

namespace {

using Tessel::TimeDomain;
using Tessel::TsComplex;

std::vector<TsComplex> Response(int n) {
    std::vector<TsComplex> in(n);
    for (int i = 0; i < n; ++i) {
        in[i] = TsComplex::FromMagPhase(0.5, -0.37 * i);
    }
    return in;
}

void RunTransform(benchmark::State& state, TimeDomain::TransformMode mode) {
    const int n = static_cast<int>(state.range(0));
    TimeDomain td;
    td.SetFrequencyData(1e9, 6e9, n);
    td.SetTransformMode(mode);
    const std::vector<TsComplex> in = Response(n);
    std::vector<TsComplex> out;
    td.Execute(in, out);  // builds the cache
    for (auto _ : state) {
        td.Execute(in, out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * n);
    state.SetLabel("points/s");
}

void BM_ExecuteBandPass(benchmark::State& state) {
    RunTransform(state, TimeDomain::BandPass);
}
void BM_ExecuteLowPassStep(benchmark::State& state) {
    RunTransform(state, TimeDomain::LowPassStep);
}
BENCHMARK(BM_ExecuteBandPass)->Arg(201)->Arg(1601)->Arg(20001)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ExecuteLowPassStep)->Arg(201)->Arg(1601)->Arg(20001)->Unit(benchmark::kMicrosecond);

// The first Execute after a setting change: window and chirp tables rebuilt.
void BM_ExecuteBandPassAfterChange(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    TimeDomain td;
    td.SetFrequencyData(1e9, 6e9, n);
    const std::vector<TsComplex> in = Response(n);
    std::vector<TsComplex> out;
    double beta = 5.0;
    for (auto _ : state) {
        td.SetKaiserBeta(beta = 12.0 - beta);
        td.Execute(in, out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_ExecuteBandPassAfterChange)
    ->Arg(201)
    ->Arg(1601)
    ->Arg(20001)
    ->Unit(benchmark::kMicrosecond);

// The band-pass sum out[m] = Σ_n x[n]·exp(j2π(f0 + nΔf)t_m) evaluated directly, with one
// complex rotation per term (no trigonometry in the inner loop).
void BM_DirectBandPass(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::vector<TsComplex> in = Response(n);
    std::vector<std::complex<float>> x(n);
    for (int i = 0; i < n; ++i) {
        x[i] = {in[i].re / n, in[i].im / n};
    }
    const double f0 = 1e9, df = 5e9 / (n - 1), t0 = -1e-8, dt = 2e-8 / (n - 1);
    std::vector<std::complex<float>> out(n);
    for (auto _ : state) {
        for (int m = 0; m < n; ++m) {
            const double t = t0 + m * dt;
            const std::complex<float> step(std::polar(1.0, 2 * M_PI * df * t));
            std::complex<float> phasor(std::polar(1.0, 2 * M_PI * f0 * t)), sum = 0;
            for (int i = 0; i < n; ++i) {
                sum += x[i] * phasor;
                phasor *= step;
            }
            out[m] = sum;
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_DirectBandPass)->Arg(201)->Arg(1601)->Unit(benchmark::kMicrosecond);

}  // namespace
