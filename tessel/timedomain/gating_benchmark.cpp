// SPDX-License-Identifier: Apache-2.0
// Cost of a gating call once its cache is built (one forward and one inverse FFT of M points
// plus linear work), and of the first call after a change, which also rebuilds the kernel and
// the normalisation. With the normal shape M is the next power of two >= 2N in band-pass and
// >= 3N + 1 in low-pass; compare with BM_FftAligned at that M in nsp_benchmark.

#include <cmath>
#include <vector>

#include <benchmark/benchmark.h>

#include "tessel/timedomain/gating.h"

namespace {

using Tessel::Gating;
using Tessel::TsComplex;

std::vector<TsComplex> Response(int n, double start, double stop) {
    std::vector<TsComplex> in(n);
    for (int i = 0; i < n; ++i) {
        const double f = start + i * (stop - start) / (n - 1);
        in[i] = TsComplex::FromMagPhase(0.5, -2 * M_PI * f * 1e-9) +
                TsComplex::FromMagPhase(0.3, -2 * M_PI * f * 5e-9);
    }
    return in;
}

void RunGate(benchmark::State& state, bool lowPass, bool rebuild) {
    const int n = static_cast<int>(state.range(0));
    const double start = lowPass ? 6e9 / n : 1e9;
    Gating g;
    g.SetFrequencyData(start, 6e9, n);
    g.SetGateStart(-1e-9);
    g.SetGateStop(3e-9);
    const std::vector<TsComplex> in = Response(n, start, 6e9);
    std::vector<TsComplex> out;
    double dc = 0;
    bool valid = false;
    for (auto _ : state) {
        if (rebuild) {
            g.ForceRefresh();
        }
        if (lowPass) {
            g.GateDataLowpass(in, out, dc, valid);
        } else {
            g.GateDataBandpass(in, out, dc, valid);
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void BM_GateDataBandpass(benchmark::State& state) {
    RunGate(state, false, false);
}
void BM_GateDataLowpass(benchmark::State& state) {
    RunGate(state, true, false);
}
void BM_GateDataBandpassRebuild(benchmark::State& state) {
    RunGate(state, false, true);
}
void BM_GateDataLowpassRebuild(benchmark::State& state) {
    RunGate(state, true, true);
}

BENCHMARK(BM_GateDataBandpass)->Arg(201)->Arg(1601)->Arg(20001)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GateDataLowpass)->Arg(201)->Arg(1601)->Arg(20001)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GateDataBandpassRebuild)
    ->Arg(201)
    ->Arg(1601)
    ->Arg(20001)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GateDataLowpassRebuild)
    ->Arg(201)
    ->Arg(1601)
    ->Arg(20001)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
