// SPDX-License-Identifier: Apache-2.0
// Smoothing throughput: the average kernel's cost per point must not grow with the aperture;
// the phase kernel's does, by design (each window is unwrapped on its own).
#include <random>
#include <vector>

#include <benchmark/benchmark.h>

#include "tessel/format/smoothing.h"

namespace {

std::vector<float> Trace(int n) {
    std::mt19937 rng(1);
    std::uniform_real_distribution<float> u(-3.0f, 3.0f);
    std::vector<float> v(n);
    for (auto& x : v) {
        x = u(rng);
    }
    return v;
}

void Run(benchmark::State& state, bool phase) {
    const int n = 20001;
    const int aperture = int(state.range(0));
    const auto in = Trace(n);
    std::vector<float> out(n);
    for (auto _ : state) {
        Tessel::Smooth(in.data(), out.data(), n, 0, n, aperture, nullptr, phase);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void BM_SmoothAverage(benchmark::State& state) {
    Run(state, false);
}
BENCHMARK(BM_SmoothAverage)->Arg(5)->Arg(1001);

void BM_SmoothPhase(benchmark::State& state) {
    Run(state, true);
}
BENCHMARK(BM_SmoothPhase)->Arg(5)->Arg(1001);

}  // namespace
