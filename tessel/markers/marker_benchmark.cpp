// SPDX-License-Identifier: Apache-2.0
// Marker searches and ProcessData on 20001-point traces.
//
// Each search runs through CMarkerMR::Compute (search, readout and refresh request) from a
// fixed start; "points/s" counts the trace points one search covers. ProcessData runs with
// ten tracking markers and bandwidth tracking; "allocs/call" counts heap allocations per call
// after the first, through the replaced global operator new below.
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>
#include <vector>

#include <benchmark/benchmark.h>

#include "tessel/markers/internal/test_trace.h"
#include "tessel/markers/marker_set.h"

// The replacements below pair malloc with free themselves; GCC cannot see that through inlining.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

namespace {

std::atomic<long> g_allocations{0};

}  // namespace

void* operator new(std::size_t n) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(n == 0 ? 1 : n))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

using Tessel::CMarkerMR;
using Tessel::CMarkerSet;
using Tessel::testing::TestTrace;

constexpr int kPoints = 20001;

// A resonance at 1.5 GHz over 1..2 GHz; two lower side peaks for the next-peak search.
TestTrace MakeTrace() {
    TestTrace trace(kPoints, 1e9, 2e9);
    trace.Complex([](double f) {
        return Tessel::testing::Resonator(f, 1.5e9, 2e7) +
               0.3 * Tessel::testing::Resonator(f, 1.2e9, 1e7);
    });
    return trace;
}

struct SearchCase {
    MarkerFunction function;
    double start;  // bucket the search starts from
    float target;
    float threshold = -100.0f;
};

void BM_Search(benchmark::State& state, SearchCase c) {
    TestTrace trace = MakeTrace();
    CMarkerSet set;
    set.SetDataProvider(&trace);
    CMarkerMR* m = nullptr;
    set.CreateMarker(1, &m);
    m->put_TargetValue(c.target);
    m->put_PeakThreshold(c.threshold);
    double level = 100.0;  // never reached: the compression search covers the whole trace
    m->SetCompressionLevel(level);
    for (auto _ : state) {
        m->put_AbsoluteBucketPosition(c.start);
        benchmark::DoNotOptimize(m->Compute(c.function));
    }
    state.counters["points/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kPoints, benchmark::Counter::kIsRate);
}

BENCHMARK_CAPTURE(BM_Search, Max, SearchCase{FuncMax, 0, 0});
BENCHMARK_CAPTURE(BM_Search, Min, SearchCase{FuncMin, 0, 0});
// A threshold above every peak makes the peak scans cover the whole trace.
BENCHMARK_CAPTURE(BM_Search, PeakRight, SearchCase{FuncPeakRight, 0, 0, 10.0f});
BENCHMARK_CAPTURE(BM_Search, PeakLeft, SearchCase{FuncPeakLeft, kPoints - 1, 0, 10.0f});
BENCHMARK_CAPTURE(BM_Search, NextPeak, SearchCase{FuncNextPeak, 10000, 0});
// -80 dB is never crossed: the target searches cover the whole trace (with wrap, twice).
BENCHMARK_CAPTURE(BM_Search, TargetRight, SearchCase{FuncTargetRight, 0, -80});
BENCHMARK_CAPTURE(BM_Search, Target, SearchCase{FuncTarget, 0, -80});
BENCHMARK_CAPTURE(BM_Search, Compression, SearchCase{FuncCompression, 0, 0});

void BM_ProcessData(benchmark::State& state) {
    TestTrace trace = MakeTrace();
    CMarkerSet set;
    set.SetDataProvider(&trace);
    const MarkerFunction functions[] = {
        FuncMax,         FuncMin,    FuncPeakRight, FuncPeakLeft, FuncTargetLeft,
        FuncTargetRight, FuncTarget, FuncMax,       FuncMin,      FuncPeakRight};
    for (long n = 1; n <= 10; ++n) {
        CMarkerMR* m = nullptr;
        set.CreateMarker(n, &m);
        m->put_TargetValue(-10.0f);
        m->put_MarkerFunction(functions[n - 1]);
        m->SetFunctionTracking(true);
    }
    set.SetMarkerBandwidthTracking(true);
    std::vector<Tessel::MarkerResult> results;
    Tessel::MarkerSetResults setResults;
    set.ProcessData(false, false, &setResults, results);
    const long before = g_allocations.load();
    for (auto _ : state)
        benchmark::DoNotOptimize(set.ProcessData(true, false, &setResults, results));
    state.counters["allocs/call"] = static_cast<double>(g_allocations.load() - before) /
                                    static_cast<double>(state.iterations());
    state.counters["bandwidth_valid"] = setResults.bandwidthValid ? 1 : 0;
}

BENCHMARK(BM_ProcessData)->Unit(benchmark::kMicrosecond);

}  // namespace
