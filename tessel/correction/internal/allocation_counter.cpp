// SPDX-License-Identifier: Apache-2.0
// Global operator new and delete over malloc and free, counting each allocation. Kept in a
// translation unit of its own so that no caller inlines the pair.
#include "tessel/correction/internal/allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> g_allocations{0};
}  // namespace

namespace Tessel::testing_support {
long AllocationCount() {
    return g_allocations.load();
}
}  // namespace Tessel::testing_support

void* operator new(std::size_t bytes) {
    ++g_allocations;
    if (void* p = std::malloc(bytes == 0 ? 1 : bytes)) {
        return p;
    }
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
