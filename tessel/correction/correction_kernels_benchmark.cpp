// SPDX-License-Identifier: Apache-2.0
// Throughput of the one- and two-port correction kernels, next to a plain copy that moves the
// same bytes as a two-port correction (20 arrays: 16 read, 4 written).
#include <cstring>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "tessel/correction/correction_kernels.h"
#include "tessel/correction/internal/two_port_kernel.h"

namespace {

using Tessel::TsComplex;

std::vector<std::vector<TsComplex>> Arrays(int count, int n) {
    std::vector<std::vector<TsComplex>> a(count, std::vector<TsComplex>(n));
    for (int k = 0; k < count; ++k)
        for (int i = 0; i < n; ++i)
            a[k][i] = TsComplex(0.9f + 0.001f * k, 0.01f * ((i + k) % 7));
    return a;
}

template <typename T>
std::vector<T*> Ptrs(std::vector<std::vector<TsComplex>>& a, int first, int count) {
    std::vector<T*> p;
    for (int k = first; k < first + count; ++k)
        p.push_back(a[k].data());
    return p;
}

void BM_Correct2Port(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    auto a = Arrays(20, n);  // 4 raw, 12 error terms, 4 outputs
    const auto raw = Ptrs<const TsComplex>(a, 0, 4);
    const auto terms = Ptrs<const TsComplex>(a, 4, 12);
    const auto out = Ptrs<TsComplex>(a, 16, 4);
    for (auto _ : state) {
        benchmark::DoNotOptimize(Tessel::Correct2Port(raw, terms, 0, n, out));
        benchmark::ClobberMemory();
    }
    state.counters["points/s"] =
        benchmark::Counter(double(n) * state.iterations(), benchmark::Counter::kIsRate);
    state.SetBytesProcessed(int64_t(state.iterations()) * n * 20 * int64_t(sizeof(TsComplex)));
}

// Each instruction-set variant of the two-port loop the processor runs, called directly
// (BM_Correct2Port runs the one the library selects).
void BM_Correct2PortVariant(benchmark::State& state, Tessel::internal::TwoPortKernel kernel) {
    const int n = static_cast<int>(state.range(0));
    auto a = Arrays(20, n);
    Tessel::internal::TwoPortArrays arrays;
    for (int k = 0; k < 4; ++k) {
        arrays.raw[k] = a[k].data();
        arrays.out[k] = a[16 + k].data();
    }
    for (int k = 0; k < 12; ++k)
        arrays.terms[k] = a[4 + k].data();
    for (auto _ : state) {
        kernel(arrays, size_t(n));
        benchmark::ClobberMemory();
    }
    state.counters["points/s"] =
        benchmark::Counter(double(n) * state.iterations(), benchmark::Counter::kIsRate);
    state.SetBytesProcessed(int64_t(state.iterations()) * n * 20 * int64_t(sizeof(TsComplex)));
}

const bool kVariantsRegistered = [] {
    for (const auto& variant : Tessel::internal::SupportedTwoPortKernels())
        benchmark::RegisterBenchmark((std::string("BM_Correct2Port_") + variant.name).c_str(),
                                     BM_Correct2PortVariant, variant.kernel)
            ->Arg(1601)
            ->Arg(20001)
            ->Arg(1000001);
    return true;
}();

void BM_Correct1Port(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    auto a = Arrays(5, n);
    for (auto _ : state) {
        benchmark::DoNotOptimize(Tessel::Correct1Port(a[0].data(), a[1].data(), a[2].data(),
                                                      a[3].data(), 0, n, a[4].data()));
        benchmark::ClobberMemory();
    }
    state.counters["points/s"] =
        benchmark::Counter(double(n) * state.iterations(), benchmark::Counter::kIsRate);
    state.SetBytesProcessed(int64_t(state.iterations()) * n * 5 * int64_t(sizeof(TsComplex)));
}

// Baseline: copy 10 arrays into 10 others, touching the same 20 arrays per point.
void BM_CopyTwentyArrays(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    auto a = Arrays(20, n);
    for (auto _ : state) {
        for (int k = 0; k < 10; ++k)
            std::memcpy(a[10 + k].data(), a[k].data(), sizeof(TsComplex) * size_t(n));
        benchmark::ClobberMemory();
    }
    state.counters["points/s"] =
        benchmark::Counter(double(n) * state.iterations(), benchmark::Counter::kIsRate);
    state.SetBytesProcessed(int64_t(state.iterations()) * n * 20 * int64_t(sizeof(TsComplex)));
}

// 1,000,001 points (160 MB of two-port arrays) shows the out-of-cache behaviour. The two-port
// loop prefetches from kTwoPortPrefetchFrom points on: measured on a loaded 2-core AMD EPYC
// (AVX-512 variant, medians of 3-5 repetitions, same minute), 10.1-10.7 ms without and
// 6.8-6.9 ms with it at 1000001 points; at 20001 points, where the arrays fit in the caches, it
// was as fast or up to a fifth slower, hence the threshold.
BENCHMARK(BM_Correct2Port)->Arg(201)->Arg(1601)->Arg(20001)->Arg(1000001);
BENCHMARK(BM_Correct1Port)->Arg(201)->Arg(1601)->Arg(20001)->Arg(1000001);
BENCHMARK(BM_CopyTwentyArrays)->Arg(201)->Arg(1601)->Arg(20001)->Arg(1000001);

}  // namespace
