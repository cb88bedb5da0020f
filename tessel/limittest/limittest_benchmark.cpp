// SPDX-License-Identifier: Apache-2.0
// ProcessData over a 20001-point trace against a full table of 100 segments: the first test
// after a change (which rebuilds the per-point limits) and later tests (which reuse them).
//
// The table holds 50 upper and 50 lower rows, each covering a quarter of the axis, so every
// point lies under about 25 upper and 25 lower rows. The trace passes except for a few short
// excursions, as a trace under test typically does.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "tessel/limittest/limittest.h"

namespace {

using Tessel::LimitTest;
using Tessel::Segment;

constexpr int kPoints = 20001;

Tessel::InputArray Axis(bool log) {
    return Tessel::InputArray(log ? Segment::Log(1e6, 1e10, kPoints)
                                  : Segment::Linear(1e6, 1e10, kPoints));
}

void FillTable(LimitTest& t, const Tessel::InputArray& axis) {
    const double first = axis.front(), span = axis.back() - axis.front();
    std::vector<double> values;
    for (int k = 0; k < LimitTest::kMaxSegments; ++k) {
        const bool upper = k % 2 == 0;
        const double begin = first + span * (k / 2) / 50.0 * 0.75;
        const double end = begin + span / 4;
        const double r0 = upper ? 10 + k % 7 : -10 - k % 5, r1 = upper ? 12 - k % 3 : -12 + k % 4;
        values.insert(values.end(), {upper ? 1.0 : 2.0, begin, end, r0, r1});
    }
    t.SetLimitDataValues(0, static_cast<long>(values.size()), values.data());
    t.SetXAxis(axis, false);
}

std::vector<float> Trace() {
    std::vector<float> data(kPoints);
    for (int i = 0; i < kPoints; ++i)
        data[i] = static_cast<float>(5 * std::sin(i * 0.001));
    for (int i = 1000; i < kPoints; i += 4000)
        for (int j = i; j < i + 20; ++j)
            data[j] = 50;  // a short excursion above every upper limit
    return data;
}

// state.range(0): 1 for a logarithmic axis; state.range(1): 1 to rebuild the cache every test.
void BM_ProcessData(benchmark::State& state) {
    const Tessel::InputArray axis = Axis(state.range(0) != 0);
    const bool rebuild = state.range(1) != 0;
    LimitTest t;
    FillTable(t, axis);
    const std::vector<float> data = Trace();
    std::vector<Interface::LimitTestResult_t> results(kPoints);
    Interface::LimitTestResult_t overall;
    t.ProcessData(data, Tessel::FormatLogMag, 0, kPoints, overall, results);
    double offset = 0;
    for (auto _ : state) {
        if (rebuild)
            t.SetLimitTestStimulusOffset(offset = offset == 0 ? 1.0 : 0.0);  // marks the cache
        t.ProcessData(data, Tessel::FormatLogMag, 0, kPoints, overall, results);
        benchmark::DoNotOptimize(results.data());
    }
    if (overall != Interface::LimitFail)
        state.SkipWithError("the trace should fail at its excursions");
    state.counters["points/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kPoints, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ProcessData)
    ->ArgNames({"log", "rebuild"})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({0, 0})
    ->Args({1, 0});

// A phase trace: every datum is converted to degrees before the comparison.
void BM_ProcessPhase(benchmark::State& state) {
    LimitTest t;
    FillTable(t, Axis(false));
    std::vector<float> data = Trace();
    for (float& v : data)
        v *= static_cast<float>(M_PI / 180);
    std::vector<Interface::LimitTestResult_t> results(kPoints);
    Interface::LimitTestResult_t overall;
    for (auto _ : state) {
        t.ProcessData(data, Tessel::FormatPhase, 0, kPoints, overall, results);
        benchmark::DoNotOptimize(results.data());
    }
    state.counters["points/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kPoints, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ProcessPhase);

}  // namespace
