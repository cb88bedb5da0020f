// SPDX-License-Identifier: Apache-2.0
// FFT cost at the padded sizes the time-domain transform and gating use (201, 1601 and 20001
// points give 512/4096/65536 in band-pass and 1024/8192/65536 in low-pass), and the price of
// running on an array that misses FFTW's SIMD alignment (copied through an aligned buffer).
// BM_FftAligned and BM_FftUnaligned measure the backend the library is built with, through
// nspcFft. BM_FftBackend/<backend> runs the same transform straight on each backend whose
// package is installed (private static copies, whatever TESSEL_FFT says), so one run compares
// FFTW with KissFFT.

#include <vector>

#include <benchmark/benchmark.h>

#include "platform/nsp/internal/fft_backend.h"
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

// The forward transform of 2^order points on one backend, through the shared front end.
void BM_FftBackend(benchmark::State& state, nsp_internal::FftTransform transform) {
    const int order = static_cast<int>(state.range(0));
    std::vector<SCplx> v(std::size_t{1} << order, SCplx(1.0f, 0.5f));
    for (auto _ : state) {
        nsp_internal::RunFft(transform, v.data(), order, kNspForward | kNspOutBitRev);
        benchmark::DoNotOptimize(v.data());
    }
    SetCounters(state, order);
}
#if defined(TESSEL_BENCH_FFT_FFTW)
BENCHMARK_CAPTURE(BM_FftBackend, fftw, nsp_internal::fftw::Transform)->DenseRange(9, 17, 2);
#endif
#if defined(TESSEL_BENCH_FFT_KISSFFT)
BENCHMARK_CAPTURE(BM_FftBackend, kissfft, nsp_internal::kissfft::Transform)->DenseRange(9, 17, 2);
#endif

}  // namespace
