// SPDX-License-Identifier: Apache-2.0
// Group-delay throughput over a linear sweep.
#include <vector>

#include <benchmark/benchmark.h>

#include "tessel/format/group_delay.h"

namespace {

void BM_FormatDataDelay(benchmark::State& state) {
    const int n = int(state.range(0));
    const QuorUtility::InputArray f(QuorUtility::Segment::Linear(1e9, 2e9, n));
    std::vector<Tessel::TsComplex> z(n);
    for (int i = 0; i < n; ++i) {
        z[i] = Tessel::TsComplex::FromMagPhase(0.5, -0.3 * i);
    }
    std::vector<float> out(n);
    for (auto _ : state) {
        Tessel::FormatDataDelay(z.data(), f, out.data(), 0, n);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_FormatDataDelay)->Arg(20001)->Arg(1000000);

}  // namespace
