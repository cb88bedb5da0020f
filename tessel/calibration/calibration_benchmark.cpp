// SPDX-License-Identifier: Apache-2.0
// Solving twelve-term (SOLT) error terms from measured standards over a 20001-point sweep.
#include <benchmark/benchmark.h>

#include "tessel/calibration/calibration.h"
#include "tessel/correction/internal/forward_error_models.h"

namespace {

using namespace Tessel;
namespace fm = Tessel::forward_models;

CalibrationData MakeSolt(int points) {
    fm::Random rnd(1);
    CalibrationData d;
    const CalOffset offset{30e-12, 2e9, 50};
    const CalStandard stds[] = {CalStandard::Open({50e-15, 0, 0, 0}, offset),
                                CalStandard::Short({20e-12, 0, 0, 0}, offset),
                                CalStandard::MatchedLoad()};
    for (int port : {1, 2})
        for (const auto& s : stds)
            d.reflections.push_back({s, port, {}});
    d.twoPorts.push_back({CalStandard::Thru(), 1, 2, {}, {}, {}, {}});
    for (int i = 0; i < points; ++i) {
        const double f = 1e7 + 1e6 * i;
        d.frequencies.push_back(f);
        const fm::NPortTerms t = rnd.Terms(2, true);
        for (auto& m : d.reflections) {
            const auto g = m.standard.Reflection(i, f, 50);
            m.raw.push_back(fm::ToTs(t.Measure({g, 0.0, 0.0, g})[m.port == 1 ? 0 : 3]));
        }
        const auto r = t.Measure({0.0, 1.0, 1.0, 0.0});
        auto& thru = d.twoPorts[0];
        thru.s11.push_back(fm::ToTs(r[0]));
        thru.s12.push_back(fm::ToTs(r[1]));
        thru.s21.push_back(fm::ToTs(r[2]));
        thru.s22.push_back(fm::ToTs(r[3]));
    }
    return d;
}

void BM_SolveSolt(benchmark::State& state) {
    const int points = int(state.range(0));
    const CalibrationData d = MakeSolt(points);
    CalibrationResult r;
    for (auto _ : state) {
        benchmark::DoNotOptimize(SolveTwoPort(TwoPortMethod::Solt, d, 1, 2, r));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * points);  // items/s = points/s
}
BENCHMARK(BM_SolveSolt)->Arg(20001)->Unit(benchmark::kMillisecond);

}  // namespace
