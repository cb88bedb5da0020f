// SPDX-License-Identifier: Apache-2.0
// Throughput of the per-point two-port algebra over a sweep of 2 × 2 matrices.
#include <vector>

#include <benchmark/benchmark.h>

#include "tessel/network/two_port_conversions.h"

namespace {

using Tessel::ComplexMatrix;
using Tessel::ComplexMatrixVector;
using Tessel::TsComplex;

ComplexMatrixVector Sweep(int n) {
    ComplexMatrixVector ms;
    ms.reserve(n);
    for (int i = 0; i < n; ++i) {
        const float f = 0.001f * float(i % 97);
        ms.push_back(ComplexMatrix(2, 2,
                                   {TsComplex(0.1f + f, 0.2f), TsComplex(0.9f, -f),
                                    TsComplex(0.8f, f), TsComplex(0.3f, 0.1f - f)}));
    }
    return ms;
}

void SetPointsPerSecond(benchmark::State& state, int n) {
    state.counters["points/s"] =
        benchmark::Counter(double(n) * state.iterations(), benchmark::Counter::kIsRate);
}

// Inverts every matrix of the sweep in place; successive passes alternate between the matrices
// and their inverses, all well conditioned.
void BM_Invert2By2Matrix(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    ComplexMatrixVector work = Sweep(n);
    for (auto _ : state) {
        for (int i = 0; i < n; ++i) {
            benchmark::DoNotOptimize(Tessel::Invert2By2Matrix(work[i]));
        }
        benchmark::ClobberMemory();
    }
    SetPointsPerSecond(state, n);
}

void BM_TparmSwapPVector(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const ComplexMatrixVector sweep = Sweep(n);
    for (auto _ : state) {
        ComplexMatrixVector out = Tessel::tparm_swapP(sweep);
        benchmark::DoNotOptimize(out.data());
    }
    SetPointsPerSecond(state, n);
}

// Baseline: the vector form's own cost of building one 2 × 2 result per point.
void BM_CopySweep(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const ComplexMatrixVector sweep = Sweep(n);
    for (auto _ : state) {
        ComplexMatrixVector out = sweep;
        benchmark::DoNotOptimize(out.data());
    }
    SetPointsPerSecond(state, n);
}

void BM_S2TThenT2SVector(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const ComplexMatrixVector sweep = Sweep(n);
    for (auto _ : state) {
        ComplexMatrixVector t(n);
        for (int i = 0; i < n; ++i) {
            t[i] = Tessel::S2T(sweep[i]);
        }
        ComplexMatrixVector s = Tessel::T2S(t);
        benchmark::DoNotOptimize(s.data());
    }
    SetPointsPerSecond(state, n);
}

BENCHMARK(BM_Invert2By2Matrix)->Arg(20001);
BENCHMARK(BM_TparmSwapPVector)->Arg(20001);
BENCHMARK(BM_CopySweep)->Arg(20001);
BENCHMARK(BM_S2TThenT2SVector)->Arg(20001);

}  // namespace
