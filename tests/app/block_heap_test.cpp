// The memory behind the player's C heap functions, on the real system: which blocks bypass the
// process heap, that both kinds are given back to where they came from, and what realloc keeps
// when a block changes kind.
#include "block_heap_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

namespace {

using blockHeap::largeBlockSize;

// A block straight from VirtualAlloc starts its own allocation; a heap block never does.
bool ownsAllocation(const void* block) {
    MEMORY_BASIC_INFORMATION info;
    return VirtualQuery(block, &info, sizeof(info)) == sizeof(info) &&
           info.AllocationBase == block && info.State == MEM_COMMIT;
}

bool isReleased(const void* block) {
    MEMORY_BASIC_INFORMATION info;
    return VirtualQuery(block, &info, sizeof(info)) == sizeof(info) && info.State == MEM_FREE;
}

void fill(void* block, std::size_t size) {
    auto* bytes = static_cast<unsigned char*>(block);
    for (std::size_t index = 0; index < size; ++index)
        bytes[index] = static_cast<unsigned char>(index * 7 + 1);
}

bool holdsFill(const void* block, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(block);
    for (std::size_t index = 0; index < size; ++index) {
        if (bytes[index] != static_cast<unsigned char>(index * 7 + 1))
            return false;
    }
    return true;
}

TEST(BlockHeap, LargeBlocksComeFromVirtualMemoryAndGoBackThere) {
    void* small = blockHeap::allocate(largeBlockSize - 1, false);
    ASSERT_NE(small, nullptr);
    EXPECT_FALSE(blockHeap::isLargeBlock(small));
    EXPECT_FALSE(ownsAllocation(small));
    fill(small, largeBlockSize - 1);
    blockHeap::release(small);

    // More large blocks than the table first holds, given back out of order.
    std::vector<void*> blocks;
    for (int count = 0; count < 20; ++count) {
        void* block = blockHeap::allocate(largeBlockSize + count, count % 2 == 0);
        ASSERT_NE(block, nullptr);
        EXPECT_TRUE(blockHeap::isLargeBlock(block));
        EXPECT_TRUE(ownsAllocation(block)) << count;
        blocks.push_back(block);
    }
    for (std::size_t index : {3u, 0u, 19u, 7u}) {
        blockHeap::release(blocks[index]);
        EXPECT_TRUE(isReleased(blocks[index])) << index;
        blocks[index] = nullptr;
    }
    for (void* block : blocks) {
        if (block == nullptr)
            continue;
        EXPECT_TRUE(blockHeap::isLargeBlock(block));
        blockHeap::release(block);
        EXPECT_TRUE(isReleased(block));
    }
    blockHeap::release(nullptr);
}

struct ResizeRow {
    std::size_t from;
    std::size_t to;
};

TEST(BlockHeap, ResizeKeepsTheContentsAcrossBothKinds) {
    const ResizeRow rows[] = {
        {64, 128},                                     // heap to heap
        {64, largeBlockSize},                          // heap to large
        {largeBlockSize, 64},                          // large to heap
        {largeBlockSize, 3 * largeBlockSize},          // large grows
        {largeBlockSize + 8192, largeBlockSize + 100}, // large shrinks
    };
    for (const ResizeRow& row : rows) {
        void* block = blockHeap::allocate(row.from, false);
        ASSERT_NE(block, nullptr);
        fill(block, row.from);
        const bool wasLarge = blockHeap::isLargeBlock(block);
        void* resized = blockHeap::resize(block, row.to);
        ASSERT_NE(resized, nullptr) << row.from << " to " << row.to;
        EXPECT_TRUE(holdsFill(resized, row.from < row.to ? row.from : row.to))
            << row.from << " to " << row.to;
        EXPECT_EQ(blockHeap::isLargeBlock(resized), row.to >= largeBlockSize) << row.to;
        EXPECT_EQ(ownsAllocation(resized), row.to >= largeBlockSize) << row.to;
        if (wasLarge && resized != block) {
            EXPECT_TRUE(isReleased(block)) << row.from << " to " << row.to;
        }
        blockHeap::release(resized);
    }
    EXPECT_EQ(blockHeap::resize(blockHeap::allocate(largeBlockSize, false), 0), nullptr);
}

} // namespace
