// SPDX-License-Identifier: Apache-2.0
#include "platform/os/heap_block_size.h"

#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>

namespace {

using HostOs::HeapBlockSize;
using HostOs::kUnknownBlockSize;

TEST(HeapBlockSize, KnowsOnlyLiveTrackedBlockStartsAndNeverFreesForeignPointers) {
    char* block = static_cast<char*>(HostOs::TrackedAlloc(40));
    void* empty = HostOs::TrackedAlloc(0);
    ASSERT_TRUE(block != nullptr && empty != nullptr && empty != block);
    EXPECT_EQ(std::make_pair(HeapBlockSize(block), HeapBlockSize(empty)),
              std::make_pair(40ul, 0ul));
    EXPECT_EQ(HeapBlockSize(block + 8), kUnknownBlockSize);  // interior pointer
    HostOs::TrackedFree(block);
    HostOs::TrackedFree(empty);
    EXPECT_EQ(HeapBlockSize(block), kUnknownBlockSize);  // freed: the address is not read
    std::vector<float, HostOs::TrackedAllocator<float>> v;
    v.reserve(25);
    v.resize(10);
    EXPECT_EQ(HeapBlockSize(v.data()), 25 * sizeof(float));  // a tracked vector's capacity
    int stackArray[16] = {};
    std::vector<double> plain(100);
    void* foreign = std::malloc(64);
    for (const void* p : {(const void*)nullptr, (const void*)stackArray, (const void*)plain.data(),
                          (const void*)foreign})
        EXPECT_EQ(HeapBlockSize(p), kUnknownBlockSize);
    // Freeing what the registry does not know is ignored (the sanitizer build would report a
    // bad free of the stack array or a double free of `foreign`).
    HostOs::TrackedFree(stackArray);
    HostOs::TrackedFree(foreign);
    std::free(foreign);
}

}  // namespace
