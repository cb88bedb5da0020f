// SPDX-License-Identifier: Apache-2.0
// Parsing speed of parameter names: 10 000 mixed texts (S-parameters, single receivers, ratios,
// custom names) per iteration, reported as texts per second.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "tessel/receivers/parameter.h"

namespace {

std::vector<std::wstring> MixedTexts(std::size_t count) {
    const std::vector<std::wstring> forms = {
        L"S21",    L"s11",   L"S10_2",   L"S2.1",     L"a3,1", L"B3_1",   L"R1,2", L"R,2",
        L"A/R1,1", L"AR1,1", L"b2/a1,2", L"B12a10_3", L"S123", L"Custom", L"",     L"D_4"};
    std::vector<std::wstring> texts;
    for (std::size_t i = 0; i < count; ++i) {
        texts.push_back(forms[(i * 7) % forms.size()]);
    }
    return texts;
}

void BM_ParseMixedTexts(benchmark::State& state) {
    const std::vector<std::wstring> texts = MixedTexts(10000);
    for (auto _ : state) {
        for (const std::wstring& text : texts) {
            Parameter p(text.c_str());
            benchmark::DoNotOptimize(p);
        }
    }
    state.counters["texts/s"] = benchmark::Counter(
        static_cast<double>(state.iterations() * texts.size()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ParseMixedTexts)->Unit(benchmark::kMillisecond);

}  // namespace
