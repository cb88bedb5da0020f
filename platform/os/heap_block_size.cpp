// SPDX-License-Identifier: Apache-2.0
#include "platform/os/heap_block_size.h"

#include <cstdlib>
#include <mutex>
#include <unordered_map>

namespace HostOs {

namespace {

struct Registry {
    std::mutex mutex;
    std::unordered_map<const void*, std::size_t> sizes;
};

// Created on first use and intentionally never destroyed, so blocks freed by static objects
// during process exit still find it.
Registry& TheRegistry() {
    static Registry* registry = new Registry;
    return *registry;
}

}  // namespace

void* TrackedAlloc(std::size_t bytes) {
    void* block = std::malloc(bytes == 0 ? 1 : bytes);
    if (block == nullptr) {
        return nullptr;
    }
    Registry& r = TheRegistry();
    try {
        std::lock_guard<std::mutex> lock(r.mutex);
        r.sizes[block] = bytes;
    } catch (...) {
        std::free(block);
        return nullptr;
    }
    return block;
}

void TrackedFree(void* block) {
    if (block == nullptr) {
        return;
    }
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (r.sizes.erase(block) != 0) {
        std::free(block);
    }
}

std::size_t HeapBlockSize(const void* block) {
    if (block == nullptr) {
        return kUnknownBlockSize;
    }
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    const auto it = r.sizes.find(block);
    return it == r.sizes.end() ? kUnknownBlockSize : it->second;
}

}  // namespace HostOs
