// Small blocks on the process heap, large ones from VirtualAlloc, as Microsoft advises for the
// heap of Windows 95, 98 and Me. The large blocks are few (the payload, the picture's copy), so a
// short table tells them apart; the player has one thread, so nothing here locks.
#include "block_heap_win32.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

namespace {

struct LargeBlock {
    void* start;
    std::size_t size;
};

LargeBlock* largeBlocks = nullptr;
std::size_t largeBlockCount = 0;
std::size_t largeBlockCapacity = 0;

// VirtualAlloc hands out whole pages, so a block that starts inside a page is a heap block and
// needs no look-up.
constexpr std::uintptr_t pageMask = 0xFFF;

LargeBlock* findLarge(const void* block) {
    if ((reinterpret_cast<std::uintptr_t>(block) & pageMask) != 0)
        return nullptr;
    for (std::size_t index = 0; index < largeBlockCount; ++index) {
        if (largeBlocks[index].start == block)
            return &largeBlocks[index];
    }
    return nullptr;
}

bool roomForLarge() {
    if (largeBlockCount < largeBlockCapacity)
        return true;
    const std::size_t capacity = largeBlockCapacity == 0 ? 8 : largeBlockCapacity * 2;
    const SIZE_T bytes = capacity * sizeof(LargeBlock);
    void* grown = largeBlocks == nullptr ? HeapAlloc(GetProcessHeap(), 0, bytes)
                                         : HeapReAlloc(GetProcessHeap(), 0, largeBlocks, bytes);
    if (grown == nullptr)
        return false;
    largeBlocks = static_cast<LargeBlock*>(grown);
    largeBlockCapacity = capacity;
    return true;
}

// Committed pages come zero-filled.
void* allocateLarge(std::size_t size) {
    if (!roomForLarge())
        return nullptr;
    void* block = VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (block != nullptr)
        largeBlocks[largeBlockCount++] = LargeBlock{block, size};
    return block;
}

void releaseLarge(LargeBlock* entry) {
    VirtualFree(entry->start, 0, MEM_RELEASE);
    *entry = largeBlocks[--largeBlockCount];
}

} // namespace

namespace blockHeap {

void* allocate(std::size_t size, bool zeroed) {
    if (size >= largeBlockSize)
        return allocateLarge(size);
    return HeapAlloc(GetProcessHeap(), zeroed ? HEAP_ZERO_MEMORY : 0, size == 0 ? 1 : size);
}

void release(void* block) {
    if (block == nullptr)
        return;
    if (LargeBlock* entry = findLarge(block))
        releaseLarge(entry);
    else
        HeapFree(GetProcessHeap(), 0, block);
}

void* resize(void* block, std::size_t size) {
    if (block == nullptr)
        return allocate(size, false);
    if (size == 0) {
        release(block);
        return nullptr;
    }
    LargeBlock* entry = findLarge(block);
    if (entry == nullptr && size < largeBlockSize)
        return HeapReAlloc(GetProcessHeap(), 0, block, size);
    const std::size_t oldSize =
        entry != nullptr ? entry->size : HeapSize(GetProcessHeap(), 0, block);
    if (oldSize == static_cast<std::size_t>(-1))
        return nullptr;
    void* moved = allocate(size, false);
    if (moved == nullptr)
        return nullptr;
    std::memcpy(moved, block, oldSize < size ? oldSize : size);
    // The table may have grown and moved while allocating; look the old block up again.
    release(block);
    return moved;
}

bool isLargeBlock(const void* block) {
    return findLarge(block) != nullptr;
}

} // namespace blockHeap
