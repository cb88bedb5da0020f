// SPDX-License-Identifier: Apache-2.0
// The FFTW backend of nspcFft: single-precision FFTW with a process-wide cache of plans.

#include <atomic>
#include <cstddef>
#include <cstring>
#include <mutex>

#include <fftw3.h>

#include "platform/nsp/internal/fft_backend.h"

namespace nsp_internal::fftw {
namespace {

constexpr int kMaxOrder = kMaxFftOrder;

// One plan per (order, direction), made on first use and kept until unload. Lookups are
// lock-free; the mutex serialises plan creation, the one FFTW step that is not thread-safe.
// Plans are in place, made on an fftwf_malloc buffer, and executed through fftwf_execute_dft
// on any array with the same SIMD alignment.
class PlanCache {
  public:
    PlanCache() = default;
    PlanCache(const PlanCache&) = delete;
    PlanCache& operator=(const PlanCache&) = delete;
    ~PlanCache() {
        for (auto& slot : slots_) {
            if (fftwf_plan p = slot.load(std::memory_order_relaxed)) {
                fftwf_destroy_plan(p);
            }
        }
    }

    // Returns the plan, or null when FFTW cannot make one.
    fftwf_plan Get(int order, bool forward) {
        std::atomic<fftwf_plan>& slot = slots_[std::size_t(order) * 2 + (forward ? 1 : 0)];
        fftwf_plan plan = slot.load(std::memory_order_acquire);
        if (plan != nullptr) {
            return plan;
        }
        std::lock_guard<std::mutex> lock(mutex_);
        plan = slot.load(std::memory_order_relaxed);
        if (plan == nullptr) {
            plan = Make(order, forward);
            slot.store(plan, std::memory_order_release);
        }
        return plan;
    }

  private:
    // FFTW_ESTIMATE plans in well under a millisecond and always picks the same algorithm, so
    // results are reproducible from run to run. FFTW_MEASURE executes 20-30 % faster here but
    // stalls the first transform of a size for 0.1 s (512 points) to 1.7 s (65536 points), per
    // direction and alignment, and may pick a different algorithm on every run.
    static fftwf_plan Make(int order, bool forward) {
        const int length = 1 << order;
        fftwf_complex* buffer = fftwf_alloc_complex(static_cast<std::size_t>(length));
        if (buffer == nullptr) {
            return nullptr;
        }
        fftwf_plan plan = fftwf_plan_dft_1d(length, buffer, buffer,
                                            forward ? FFTW_FORWARD : FFTW_BACKWARD, kPlannerRigor);
        fftwf_free(buffer);
        return plan;
    }

    static constexpr unsigned kPlannerRigor = FFTW_ESTIMATE;

    std::mutex mutex_;
    std::atomic<fftwf_plan> slots_[(kMaxOrder + 1) * 2] = {};
};

PlanCache& Plans() {
    static PlanCache cache;
    return cache;
}

// An aligned buffer per thread for arrays that miss FFTW's SIMD alignment. Copying through it
// costs a few percent of the transform; a plan made with FFTW_UNALIGNED instead runs the
// transform itself about twice as slowly (nsp_benchmark, BM_FftUnaligned).
class ScratchBuffer {
  public:
    ~ScratchBuffer() { fftwf_free(data_); }
    // Returns an aligned array of at least n values, or null when memory runs out.
    fftwf_complex* Get(std::size_t n) {
        if (n > size_) {
            fftwf_free(data_);
            data_ = fftwf_alloc_complex(n);
            size_ = data_ != nullptr ? n : 0;
        }
        return data_;
    }

  private:
    fftwf_complex* data_ = nullptr;
    std::size_t size_ = 0;
};

// Runs the plan on n values at data, through the scratch buffer when data is not aligned.
// Returns false when that buffer cannot be allocated.
bool Execute(fftwf_plan plan, SCplx* data, std::size_t n) {
    auto* values = reinterpret_cast<fftwf_complex*>(data);
    if (fftwf_alignment_of(&data->re) == 0) {
        fftwf_execute_dft(plan, values, values);
        return true;
    }
    thread_local ScratchBuffer scratch;
    fftwf_complex* buffer = scratch.Get(n);
    if (buffer == nullptr) {
        return false;
    }
    std::memcpy(buffer, values, n * sizeof(fftwf_complex));
    fftwf_execute_dft(plan, buffer, buffer);
    std::memcpy(values, buffer, n * sizeof(fftwf_complex));
    return true;
}

}  // namespace

bool Transform(SCplx* vec, int order, bool forward) {
    fftwf_plan plan = Plans().Get(order, forward);
    return plan != nullptr && Execute(plan, vec, std::size_t{1} << order);
}

}  // namespace nsp_internal::fftw
