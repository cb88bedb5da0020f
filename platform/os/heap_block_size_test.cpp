#include "platform/os/heap_block_size.h"

#include <cstdlib>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

using HostOs::HeapBlockSize;
using HostOs::kUnknownBlockSize;

TEST(HeapBlockSize, KnowsOnlyLiveTrackedBlockStarts) {
    char* block = static_cast<char*>(HostOs::TrackedAlloc(40));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(HeapBlockSize(block), 40u);
    EXPECT_EQ(HeapBlockSize(block + 8), kUnknownBlockSize);  // interior pointer
    HostOs::TrackedFree(block);
    EXPECT_EQ(HeapBlockSize(block), kUnknownBlockSize);  // freed: the address is not read

    void* empty = HostOs::TrackedAlloc(0);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(HeapBlockSize(empty), 0u);
    HostOs::TrackedFree(empty);
}

TEST(HeapBlockSize, ForeignPointersAreUnknownAndNeverFreed) {
    int stackArray[16] = {};
    std::vector<double> plain(100);
    void* foreign = std::malloc(64);
    EXPECT_EQ(HeapBlockSize(nullptr), kUnknownBlockSize);
    EXPECT_EQ(HeapBlockSize(stackArray), kUnknownBlockSize);
    EXPECT_EQ(HeapBlockSize(plain.data()), kUnknownBlockSize);
    EXPECT_EQ(HeapBlockSize(plain.data() + 10), kUnknownBlockSize);
    EXPECT_EQ(HeapBlockSize(foreign), kUnknownBlockSize);
    // Freeing what the registry does not know is ignored (the sanitizer build would report a
    // bad free of the stack array or a double free of `foreign`).
    HostOs::TrackedFree(stackArray);
    HostOs::TrackedFree(foreign);
    std::free(foreign);
}

TEST(HeapBlockSize, TrackedVectorsReportTheirCapacity) {
    std::vector<float, HostOs::TrackedAllocator<float>> v;
    v.reserve(25);
    v.resize(10);
    EXPECT_EQ(HeapBlockSize(v.data()), 25 * sizeof(float));
}

TEST(HeapBlockSize, RegistryIsSafeAcrossThreads) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            for (int k = 0; k < 500; ++k) {
                void* p = HostOs::TrackedAlloc(size_t(t * 1000 + k));
                EXPECT_EQ(HeapBlockSize(p), size_t(t * 1000 + k));
                HostOs::TrackedFree(p);
            }
        });
    }
    for (auto& th : threads) {
        th.join();
    }
}

}  // namespace
