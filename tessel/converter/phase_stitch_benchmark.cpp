// SPDX-License-Identifier: Apache-2.0
// Phase stitching and phase-reference post-processing on a 20001-point trace with 10 breaks.
#include <benchmark/benchmark.h>

#include <vector>

#include "platform/measutil/input_array.h"
#include "platform/services/host_services.h"
#include "tessel/converter/band_breaks.h"
#include "tessel/converter/phase_stitch.h"

using QuorUtility::InputArray;
using QuorUtility::Segment;
using QuorUtility::TsComplex;

namespace {

constexpr int kPoints = 20001;

std::vector<TsComplex> Trace(const std::vector<int>& breaks) {
    std::vector<TsComplex> d(kPoints);
    for (int i = 0; i < kPoints; ++i) {
        double phase = 0.01 * i;
        for (int b : breaks)
            phase += i >= b ? 1.0 : 0.0;
        d[i] = TsComplex::FromMagPhase(1.0 + 1e-4 * i, phase);
    }
    return d;
}

std::vector<int> TenBreaks() {
    std::vector<int> breaks;
    for (int k = 1; k <= 10; ++k)
        breaks.push_back(k * 1800);
    return breaks;
}

void BM_StitchPhaseAtBandBreaks(benchmark::State& state) {
    const std::vector<int> breaks = TenBreaks();
    const std::vector<TsComplex> base = Trace(breaks);
    std::vector<TsComplex> d;
    for (auto _ : state) {
        d = base;
        int unused = 0, end = kPoints;
        StitchPhaseAtBandBreaks(unused, end, breaks, d, StitchAverage);
        benchmark::DoNotOptimize(d.data());
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_StitchPhaseAtBandBreaks);

void BM_PostProcessPhaseReferenceMeasurement(benchmark::State& state) {
    // Ten band breaks every 1.8 GHz inside 10 MHz .. 19.99 GHz.
    HostServices::ScopedReset reset;
    HostServices::Configuration config = HostServices::CurrentConfiguration();
    config.hardware.bandBreaks.clear();
    for (int k = 1; k <= 10; ++k)
        config.hardware.bandBreaks.push_back(k * 1.8e9);
    config.hardware.additionalBandBreaks.clear();
    HostServices::SetConfiguration(config);
    const InputArray stimulus(Segment::Linear(10e6, 19.99e9, kPoints));
    const std::vector<TsComplex> base = Trace(FindBandBreaks(stimulus));
    std::vector<TsComplex> d;
    for (auto _ : state) {
        d = base;
        benchmark::DoNotOptimize(PostProcessPhaseReferenceMeasurement(stimulus, d));
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_PostProcessPhaseReferenceMeasurement);

}  // namespace
