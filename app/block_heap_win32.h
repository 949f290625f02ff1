// The memory behind the player's malloc, free, calloc and realloc: small blocks on the process
// heap, large ones straight from the system's virtual memory.
#pragma once

#include <cstddef>

namespace blockHeap {

// Blocks of this size or more bypass the process heap. The heap of Windows 95, 98 and Me is made
// for blocks under 4 MB, slows down badly above that and fails above about 256 MB; a payload with
// a large picture and a long sound is past the first limit.
constexpr std::size_t largeBlockSize = std::size_t(1) << 20;

// A block of at least one byte, zero-filled when asked; null when memory runs out.
void* allocate(std::size_t size, bool zeroed);
// Gives back a block of either kind; null is ignored.
void release(void* block);
// The C library's realloc: the contents up to the smaller size are kept, the block may move and
// change kind; on failure null is returned and the block is left as it was.
void* resize(void* block, std::size_t size);
// Whether the block came from the system's virtual memory rather than the heap.
bool isLargeBlock(const void* block);

} // namespace blockHeap
