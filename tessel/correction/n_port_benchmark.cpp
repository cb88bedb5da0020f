// SPDX-License-Identifier: Apache-2.0
// Throughput of NPort::ApplyCorrection, a whole sweep per call: the twelve-term kernel path
// (N = 2) and the blocked matrix solution (N > 2); and of each instruction-set variant of the
// matrix solution that this processor runs (isa 0 baseline, 1 AVX2, 2 AVX-512F); and a floor for
// them: the same memory accesses without the arithmetic.
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "tessel/correction/internal/block_solver.h"
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

void BM_NPortKernelVariant(benchmark::State& state) {
    const auto isa = static_cast<Tessel::internal::SolverIsa>(state.range(0));
    const int n = static_cast<int>(state.range(1));
    const int points = static_cast<int>(state.range(2));
    if (!Tessel::internal::CpuRuns(isa)) {
        state.SkipWithError("not run by this processor");
        return;
    }
    Bench b(n, points);
    std::vector<const TsComplex*> leak, track, match, raw;
    std::vector<std::vector<TsComplex>> results(n * n, std::vector<TsComplex>(points));
    std::vector<TsComplex*> out;
    for (int r = 1; r <= n; ++r) {
        for (int c = 1; c <= n; ++c) {
            const std::wstring pq = L"(" + std::to_wstring(r) + L"," + std::to_wstring(c) + L")";
            leak.push_back(
                b.alg.GetErrorTerm(((r == c ? L"Directivity" : L"CrossTalk") + pq).c_str()));
            track.push_back(b.alg.GetErrorTerm(
                ((r == c ? L"ReflectionTracking" : L"TransmissionTracking") + pq).c_str()));
            match.push_back(
                b.alg.GetErrorTerm(((r == c ? L"SourceMatch" : L"LoadMatch") + pq).c_str()));
            raw.push_back(
                b.alg.GetRawData((L"S" + std::to_wstring(r) + std::to_wstring(c)).c_str()));
            out.push_back(results[out.size()].data());
        }
    }
    Tessel::internal::BlockSolver solver(n);
    for (auto _ : state) {
        solver.Run(isa, leak.data(), track.data(), match.data(), raw.data(), out.data(), 0, points);
        benchmark::ClobberMemory();
    }
    state.counters["points/s"] =
        benchmark::Counter(double(points) * state.iterations(), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_NPortKernelVariant)
    ->ArgNames({"isa", "N", "points"})
    ->ArgsProduct({{0, 1, 2}, {3, 4, 8}, {1601, 20001}});

// The memory traffic of the matrix solution alone: the 4·N² input arrays read and the N² output
// arrays written block by block of eight points, as the kernel visits them (with the same
// requests 64 points ahead), one addition per sample in place of the solution. Where the kernel
// takes about as long as this, memory, not arithmetic, sets its speed: compare with
// BM_NPortKernelVariant at the same N and points.
// One step of the floor: points [i, i + kCount) of every array.
template <int kCount>
void Pass(const std::vector<std::vector<TsComplex>>& in, std::vector<std::vector<TsComplex>>& out,
          int i) {
    constexpr int kAhead = 64;
    if (kCount > 1 && i + kAhead < int(in[0].size())) {
        for (const auto& a : in) {
            __builtin_prefetch(a.data() + i + kAhead);
        }
        for (auto& r : out) {
            __builtin_prefetch(r.data() + i + kAhead, 1);
        }
    }
    float sum[2 * kCount] = {};  // re, im of each point as stored
    for (const auto& a : in) {
        for (int j = 0; j < kCount; ++j) {
            sum[2 * j] += a[i + j].re;
            sum[2 * j + 1] += a[i + j].im;
        }
    }
    for (auto& r : out) {
        for (int j = 0; j < kCount; ++j) {
            r[i + j] = TsComplex(sum[2 * j], sum[2 * j + 1]);
        }
    }
}

void BM_NPortMemoryFloor(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const int points = static_cast<int>(state.range(1));
    Bench b(n, points);
    std::vector<std::vector<TsComplex>> results(n * n, std::vector<TsComplex>(points));
    constexpr int kBlock = Tessel::internal::BlockSolver::kBlockPoints;
    for (auto _ : state) {
        int i = 0;
        for (; i + kBlock <= points; i += kBlock) {
            Pass<kBlock>(b.arrays, results, i);
        }
        for (; i < points; ++i) {
            Pass<1>(b.arrays, results, i);
        }
        benchmark::ClobberMemory();
    }
    state.counters["points/s"] =
        benchmark::Counter(double(points) * state.iterations(), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_NPortMemoryFloor)->ArgNames({"N", "points"})->ArgsProduct({{3, 4, 8}, {1601, 20001}});

}  // namespace
