// SPDX-License-Identifier: Apache-2.0
// Throughput of EmbedNetwork for four ports (a fixture at ports 1-2, ports 3-4 passed through
// the block formula), a whole sweep per call. Compare with NPort::ApplyCorrection for four
// ports in match_alg_benchmark / n_port_benchmark on a sweep of the same length.
#include <vector>

#include <benchmark/benchmark.h>

#include "tessel/network/embedding.h"

namespace {

using namespace Tessel;

void BM_EmbedNetwork(benchmark::State& state) {
    const int points = static_cast<int>(state.range(0));
    const std::vector<int> ports = {1, 2, 3, 4};
    DataMatrix data(4, ports, points);
    std::vector<TsComplex> v(points);
    for (int r = 1; r <= 4; ++r) {
        for (int c = 1; c <= 4; ++c) {
            for (int i = 0; i < points; ++i) {
                const float w = 0.001f * float((i * 7 + r * 13 + c * 5) % 101);
                v[i] = r == c ? TsComplex(0.1f + w, -w) : TsComplex(0.5f - w, w);
            }
            data.SetDataByPhysicalPort(r, c, v, 0, points);
        }
    }
    // A slightly lossy, slightly mismatched fixture: repeated embedding stays bounded.
    ComplexMatrix e(4, 4);
    for (int k = 0; k < 4; ++k) {
        e(k, k) = TsComplex(0.05f, 0.02f);
        e(k, (k + 2) % 4) = TsComplex(0.9f, -0.1f);
    }
    const ComplexMatrixVector networks(points, e);
    for (auto _ : state) {
        benchmark::DoNotOptimize(EmbedNetwork(0, points, ports, data, networks));
        benchmark::ClobberMemory();
    }
    state.counters["points/s"] =
        benchmark::Counter(double(points) * state.iterations(), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_EmbedNetwork)->Arg(20001)->Unit(benchmark::kMillisecond);

}  // namespace
