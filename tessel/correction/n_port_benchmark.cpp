// Throughput of NPort::ApplyCorrection: the twelve-term kernel path (N = 2) and the per-point
// matrix solution (N = 4), for a whole sweep per call.
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "tessel/correction/n_port.h"

namespace {

using Tessel::DataMatrix;
using Tessel::NPort;
using Tessel::TsComplex;

// An N-port set up with plausible, point-dependent error terms and raw data.
struct Bench {
    std::vector<std::vector<TsComplex>> arrays;  // kept alive for the algorithm's pointers
    NPort alg;
    boost::shared_ptr<DataMatrix> out;

    Bench(int n, int points) : alg(n, Ports(n)) {
        std::vector<std::wstring> names;
        alg.GetErrorTermNames(names);
        alg.GetRawNames(names);
        arrays.assign(names.size(), std::vector<TsComplex>(points));
        for (size_t k = 0; k < names.size(); ++k) {
            const bool tracking = names[k].find(L"Tracking") != std::wstring::npos;
            for (int i = 0; i < points; ++i) {
                const float w = 0.001f * float((i * 7 + int(k) * 13) % 101);
                arrays[k][i] = tracking ? TsComplex(0.9f - w, w) : TsComplex(0.05f + w, -w);
            }
            if (!alg.SetErrorTermData(names[k].c_str(), arrays[k].data(), points)) {
                alg.SetRawData(names[k].c_str(), arrays[k].data());
            }
        }
        alg.CreateOutputContainer(out, points);
    }
    static std::vector<int> Ports(int n) {
        std::vector<int> p;
        for (int k = 1; k <= n; ++k) {
            p.push_back(k);
        }
        return p;
    }
};

void BM_NPortApplyCorrection(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const int points = static_cast<int>(state.range(1));
    Bench b(n, points);
    for (auto _ : state) {
        benchmark::DoNotOptimize(b.alg.ApplyCorrection(0, points, *b.out, 0));
        benchmark::ClobberMemory();
    }
    state.counters["points/s"] =
        benchmark::Counter(double(points) * state.iterations(), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_NPortApplyCorrection)
    ->ArgNames({"N", "points"})
    ->ArgsProduct({{2, 3, 4, 8}, {1601, 20001}});

}  // namespace
