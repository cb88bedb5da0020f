// SPDX-License-Identifier: Apache-2.0
// Throughput of MatchAlg::ApplyCorrection for two ports (S-parameters plus match-corrected
// reference and test receivers), next to NPort::ApplyCorrection on the same data, for a whole
// sweep per call.
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "tessel/correction/match_alg.h"

namespace {

using Tessel::DataMatrix;
using Tessel::TsComplex;

// An algorithm set up with plausible, point-dependent error terms and raw data.
template <class Alg>
struct Bench {
    std::vector<std::vector<TsComplex>> arrays;  // kept alive for the algorithm's pointers
    Alg alg;
    boost::shared_ptr<DataMatrix> out;

    Bench(int n, int points)
        : alg(n, n == 2 ? std::vector<int>{1, 2} : std::vector<int>{1, 2, 3, 4}) {
        std::vector<std::wstring> terms, raw;
        alg.GetErrorTermNames(terms);
        alg.GetRawNames(raw);
        arrays.assign(terms.size() + raw.size(), std::vector<TsComplex>(points));
        for (size_t k = 0; k < arrays.size(); ++k) {
            const std::wstring& name = k < terms.size() ? terms[k] : raw[k - terms.size()];
            const bool tracking = name.find(L"Tracking") != std::wstring::npos || name[0] == L'a';
            for (int i = 0; i < points; ++i) {
                const float w = 0.001f * float((i * 7 + int(k) * 13) % 101);
                arrays[k][i] = tracking ? TsComplex(0.9f - w, w) : TsComplex(0.05f + w, -w);
            }
            if (k < terms.size()) {
                alg.SetErrorTermData(name.c_str(), arrays[k].data(), points);
            } else {
                alg.SetRawData(name.c_str(), arrays[k].data());
            }
        }
        alg.CreateOutputContainer(out, points);
    }
};

template <class Alg>
void BM_ApplyCorrection(benchmark::State& state) {
    const int points = static_cast<int>(state.range(1));
    Bench<Alg> b(static_cast<int>(state.range(0)), points);
    for (auto _ : state) {
        benchmark::DoNotOptimize(b.alg.ApplyCorrection(0, points, *b.out, 0));
        benchmark::ClobberMemory();
    }
    state.counters["points/s"] =
        benchmark::Counter(double(points) * state.iterations(), benchmark::Counter::kIsRate);
}

BENCHMARK_TEMPLATE(BM_ApplyCorrection, Tessel::MatchAlg)
    ->Args({2, 20001})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_ApplyCorrection, Tessel::NPort)
    ->Args({2, 20001})
    ->Args({4, 20001})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
