// FFT cost at the padded sizes the time-domain transform and gating use (201, 1601 and 20001
// points give 512/4096/65536 in band-pass and 1024/8192/65536 in low-pass), and the price of
// running on an array that misses FFTW's SIMD alignment (copied through an aligned buffer).
// It measures the backend the library is built with: run it from a build with each value of
// TESSEL_FFT to compare them.

#include <vector>

#include <benchmark/benchmark.h>

#include "platform/nsp/nsp.h"

namespace {

void SetCounters(benchmark::State& state, int order) {
    const double n = double(1 << order);
    state.SetItemsProcessed(state.iterations() * (int64_t(1) << order));
    // The conventional 5·n·log2(n) flop count of a complex FFT.
    state.counters["MFLOPS"] = benchmark::Counter(
        5.0 * n * order * double(state.iterations()) * 1e-6, benchmark::Counter::kIsRate);
}

void BM_FftAligned(benchmark::State& state) {
    const int order = static_cast<int>(state.range(0));
    std::vector<SCplx> v(std::size_t{1} << order, SCplx(1.0f, 0.5f));
    for (auto _ : state) {
        nspcFft(v.data(), order, kNspForward | kNspOutBitRev);
        benchmark::DoNotOptimize(v.data());
    }
    SetCounters(state, order);
}
BENCHMARK(BM_FftAligned)->DenseRange(9, 17);

void BM_FftUnaligned(benchmark::State& state) {
    const int order = static_cast<int>(state.range(0));
    std::vector<SCplx> storage((std::size_t{1} << order) + 1, SCplx(1.0f, 0.5f));
    for (auto _ : state) {
        nspcFft(storage.data() + 1, order, kNspForward | kNspOutBitRev);
        benchmark::DoNotOptimize(storage.data());
    }
    SetCounters(state, order);
}
BENCHMARK(BM_FftUnaligned)->Arg(12)->Arg(16);

}  // namespace
