// SPDX-License-Identifier: Apache-2.0
// Throughput of the power-level dB forms (the fastest kernels the processor supports) next to
// the portable one-sample-at-a-time kernel, on power samples over several decades.
#include <cmath>
#include <random>
#include <vector>

#include <benchmark/benchmark.h>

#include "tessel/format/internal/format_benchmark.h"
#include "tessel/format/internal/format_kernels.h"
#include "tessel/format/power_levels.h"

namespace {

using Tessel::TsComplex;

std::vector<TsComplex> Samples(int n) {
    std::mt19937 rng(2);
    std::uniform_real_distribution<double> decade(-6.0, 2.0), phase(-3.1, 3.1);
    std::vector<TsComplex> z(n);
    for (auto& s : z) {
        s = TsComplex::FromMagPhase(std::pow(10.0, decade(rng)), phase(rng));
    }
    return z;
}

// Times f(in, out, n) over the benchmark's size.
template <class F>
void Run(benchmark::State& state, F f) {
    Tessel::internal::RunFormatBenchmark(state, Samples(int(state.range(0))), f);
}

void BM_FormatLogMag_dBmV(benchmark::State& state) {
    Run(state, [](const TsComplex* z, float* o, int n) {
        Tessel::FormatLogMag_dBmV(z, o, n, 50.0, false);
    });
}
void BM_FormatLogMag_dBmA(benchmark::State& state) {
    Run(state, [](const TsComplex* z, float* o, int n) {
        Tessel::FormatLogMag_dBmA(z, o, n, 50.0, false);
    });
}
void BM_FormatLogMag_dBmVRaw(benchmark::State& state) {
    Run(state, [](const TsComplex* z, float* o, int n) {
        Tessel::FormatLogMag_dBmV(z, o, n, 50.0, true);
    });
}
void BM_FormatNoiseDensity_dBmV(benchmark::State& state) {
    Run(state, [](const TsComplex* z, float* o, int n) {
        Tessel::FormatNoiseDensity_dBmV(z, o, n, 50.0);
    });
}
void BM_PortableMillivoltsDb(benchmark::State& state) {
    Run(state, [](const TsComplex* z, float* o, int n) {
        Tessel::internal::PortableKernels().levelDb(z, o, n, Tessel::internal::Level::kMillivolts,
                                                    50.0, -200.0);
    });
}
BENCHMARK(BM_FormatLogMag_dBmV)->Arg(1601)->Arg(20001)->Arg(1000000);
BENCHMARK(BM_FormatLogMag_dBmA)->Arg(1601)->Arg(20001)->Arg(1000000);
BENCHMARK(BM_FormatLogMag_dBmVRaw)->Arg(20001);
BENCHMARK(BM_FormatNoiseDensity_dBmV)->Arg(1601)->Arg(20001)->Arg(1000000);
BENCHMARK(BM_PortableMillivoltsDb)->Arg(20001);

}  // namespace
