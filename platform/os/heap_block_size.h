// SPDX-License-Identifier: Apache-2.0
// HostOs: the heap block-size query of the host operating system, and a tracked heap.
//
// The host's C runtime can tell how many bytes a heap block holds, given the pointer the heap
// returned for it. Asked about any other pointer (a stack array, a pointer into the middle of
// a vector, memory from another allocator) such a query misjudges or crashes. This stand-in
// therefore answers only for blocks it handed out itself: TrackedAlloc records each block's
// size, TrackedFree forgets it, and HeapBlockSize returns the recorded size for the exact
// start of a live tracked block and kUnknownBlockSize for every other pointer, including null,
// freed blocks and interior pointers of tracked blocks. It never dereferences the pointer it
// is asked about. Callers treat an unknown size as "cannot tell" and do not fail on it.
//
// The registry is guarded by a mutex, so the functions may be called from any thread.
#pragma once

#include <cstddef>
#include <new>

#include "tessel/core/export.h"

namespace HostOs {

inline constexpr std::size_t kUnknownBlockSize = static_cast<std::size_t>(-1);

// Allocates a heap block of `bytes` bytes (aligned as malloc aligns) and records its size.
// Returns null when the heap is exhausted. A zero-byte request yields a distinct block of
// recorded size 0.
TESSEL_EXPORT void* TrackedAlloc(std::size_t bytes);

// Releases a block returned by TrackedAlloc. Null and pointers the registry does not know are
// ignored (nothing is released).
TESSEL_EXPORT void TrackedFree(void* block);

// The size in bytes of the live tracked block starting at `block`, or kUnknownBlockSize.
TESSEL_EXPORT std::size_t HeapBlockSize(const void* block);

// A standard allocator over the tracked heap, so that a std::vector's element array is a block
// whose size (the vector's capacity in bytes) HeapBlockSize knows.
template <class T>
class TrackedAllocator {
  public:
    using value_type = T;
    TrackedAllocator() = default;
    template <class U>
    TrackedAllocator(const TrackedAllocator<U>&) {}

    T* allocate(std::size_t n) {
        if (n > static_cast<std::size_t>(-1) / sizeof(T)) {
            throw std::bad_array_new_length();
        }
        void* p = TrackedAlloc(n * sizeof(T));
        if (p == nullptr) {
            throw std::bad_alloc();
        }
        return static_cast<T*>(p);
    }
    void deallocate(T* p, std::size_t) { TrackedFree(p); }

    template <class U>
    bool operator==(const TrackedAllocator<U>&) const {
        return true;
    }
    template <class U>
    bool operator!=(const TrackedAllocator<U>&) const {
        return false;
    }
};

}  // namespace HostOs
