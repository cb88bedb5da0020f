// SPDX-License-Identifier: Apache-2.0
// Point access on stimulus axes: one linear segment, one log segment, and a plain-value axis
// of single-point segments (the worst case for the segment lookup); and value searches on a
// 2^31 - 1 point axis whose points repeat in rounding plateaus of about 2^29 points.
#include <cfloat>
#include <climits>

#include <benchmark/benchmark.h>

#include "platform/measutil/input_array.h"
#include "platform/measutil/interpolation.h"

namespace {

using QuorUtility::InputArray;
using QuorUtility::Segment;

InputArray Axis(int kind, int n) {
    if (kind == 0)
        return InputArray(Segment::Linear(10e6, 26.5e9, n));
    if (kind == 1)
        return InputArray(Segment::Log(10e6, 26.5e9, n));
    std::vector<double> v(n);
    for (int i = 0; i < n; ++i)
        v[i] = 1e6 * i + (i % 3);
    return InputArray(v);
}

void BM_At(benchmark::State& state) {
    const InputArray a = Axis(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        double sum = 0.0;
        for (std::size_t i = 0; i < a.size(); ++i)
            sum += a.at(i);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * a.size());
    state.SetLabel(state.range(0) == 0 ? "linear" : state.range(0) == 1 ? "log" : "plain");
}
BENCHMARK(BM_At)->ArgsProduct({{0, 1, 2}, {201, 20001}});

void BM_GetArrayPtrCached(benchmark::State& state) {
    const InputArray a = Axis(1, 20001);
    for (auto _ : state) {
        auto p = a.GetArrayPtr();
        double sum = 0.0;
        for (double x : *p)
            sum += x;
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * a.size());
}
BENCHMARK(BM_GetArrayPtrCached);

void BM_FindNearestIndexHugeAxis(benchmark::State& state) {
    const InputArray a(Segment::Linear(1.0, 1.0 + 4 * DBL_EPSILON, INT_MAX));
    const double value = 1.0 + 2 * DBL_EPSILON;  // the middle plateau
    double start = 0.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(QuorUtility::FindNearestIndex(a, start, value));
        start += 1.0;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FindNearestIndexHugeAxis);

}  // namespace
