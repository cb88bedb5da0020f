// SPDX-License-Identifier: Apache-2.0
// The KissFFT backend of nspcFft: single-precision KissFFT (BSD-3) with a process-wide cache
// of configurations, for builds that must not link FFTW.

#include <atomic>
#include <cstddef>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include <kiss_fft.h>

#include "platform/nsp/internal/fft_backend.h"

static_assert(sizeof(kiss_fft_cpx) == sizeof(SCplx), "KissFFT must be built for float");

namespace nsp_internal::kissfft {
namespace {

// One configuration (twiddles and factors) per (order, direction), made on first use and kept
// until unload. Lookups are lock-free; the mutex only keeps two threads from both making one.
class ConfigCache {
  public:
    ConfigCache() = default;
    ConfigCache(const ConfigCache&) = delete;
    ConfigCache& operator=(const ConfigCache&) = delete;
    ~ConfigCache() {
        for (auto& slot : slots_) {
            kiss_fft_free(slot.load(std::memory_order_relaxed));
        }
    }

    // Returns the configuration, or null when memory runs out.
    kiss_fft_cfg Get(int order, bool forward) {
        std::atomic<kiss_fft_cfg>& slot = slots_[std::size_t(order) * 2 + (forward ? 1 : 0)];
        kiss_fft_cfg cfg = slot.load(std::memory_order_acquire);
        if (cfg != nullptr) {
            return cfg;
        }
        std::lock_guard<std::mutex> lock(mutex_);
        cfg = slot.load(std::memory_order_relaxed);
        if (cfg == nullptr) {
            cfg = kiss_fft_alloc(1 << order, forward ? 0 : 1, nullptr, nullptr);
            slot.store(cfg, std::memory_order_release);
        }
        return cfg;
    }

  private:
    std::mutex mutex_;
    std::atomic<kiss_fft_cfg> slots_[(kMaxFftOrder + 1) * 2] = {};
};

ConfigCache& Configs() {
    static ConfigCache cache;
    return cache;
}

}  // namespace

// KissFFT transforms in place through a buffer it allocates on every call; copying the input
// to a per-thread buffer and transforming from there into the caller's array avoids that.
bool Transform(SCplx* vec, int order, bool forward) {
    kiss_fft_cfg cfg = Configs().Get(order, forward);
    if (cfg == nullptr) {
        return false;
    }
    const std::size_t n = std::size_t{1} << order;
    thread_local std::vector<kiss_fft_cpx> scratch;
    if (scratch.size() < n) {
        try {
            scratch.resize(n);
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    std::memcpy(scratch.data(), vec, n * sizeof(kiss_fft_cpx));
    kiss_fft(cfg, scratch.data(), reinterpret_cast<kiss_fft_cpx*>(vec));
    return true;
}

}  // namespace nsp_internal::kissfft
