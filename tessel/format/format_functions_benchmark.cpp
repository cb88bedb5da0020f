// Throughput of the per-point formatting that runs on every trace update.
#include <random>
#include <vector>

#include <benchmark/benchmark.h>

#include "tessel/format/format_functions.h"

namespace {

using Tessel::TsComplex;

std::vector<TsComplex> Samples(int n) {
    std::mt19937 rng(1);
    std::uniform_real_distribution<double> phase(-3.0, 3.0);
    std::vector<TsComplex> z(n);
    double p = 0.0;
    for (int i = 0; i < n; ++i) {
        p += 0.2 * phase(rng);  // a wandering phase that wraps often
        z[i] = TsComplex::FromMagPhase(0.1 + 0.8 * (i % 7) / 7.0, p);
    }
    return z;
}

void BM_FormatDataLogMag(benchmark::State& state) {
    const int n = int(state.range(0));
    const auto z = Samples(n);
    std::vector<float> out(n);
    for (auto _ : state) {
        Tessel::FormatDataLogMag(z.data(), out.data(), n);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_FormatDataLogMag)->Arg(20001)->Arg(1000000);

void BM_FormatDataPhaseUnwrapped(benchmark::State& state) {
    const int n = int(state.range(0));
    const auto z = Samples(n);
    std::vector<float> out(n);
    for (auto _ : state) {
        Tessel::FormatDataPhase(z.data(), out.data(), 0, n, true);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_FormatDataPhaseUnwrapped)->Arg(20001)->Arg(1000000);

}  // namespace
