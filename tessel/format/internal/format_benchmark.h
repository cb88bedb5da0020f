// SPDX-License-Identifier: Apache-2.0
// The timing loop shared by the formatting benchmarks: f(in, out, n) over a fixed set of
// samples per iteration, counted in samples per second.
#pragma once

#include <vector>

#include <benchmark/benchmark.h>

#include "tessel/core/types.h"

namespace Tessel {
namespace internal {

template <class F>
void RunFormatBenchmark(benchmark::State& state, const std::vector<TsComplex>& z, F f) {
    const int n = static_cast<int>(z.size());
    std::vector<float> out(z.size());
    for (auto _ : state) {
        f(z.data(), out.data(), n);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * n);
}

}  // namespace internal
}  // namespace Tessel
