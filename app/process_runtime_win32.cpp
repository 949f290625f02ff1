// The few C runtime functions that the player's code and the compiler's support libraries call,
// on kernel32's heap and virtual memory, so that the player needs no C runtime DLL. The player has
// one thread, so nothing here locks.
#include "process_runtime_win32.h"

#include "block_heap_win32.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace {

typedef void (*ExitFunction)();

// Functions registered with atexit; the table grows on the process heap.
ExitFunction* exitFunctions = nullptr;
std::size_t exitFunctionCount = 0;
std::size_t exitFunctionCapacity = 0;

bool growExitFunctions() {
    const std::size_t capacity = exitFunctionCapacity == 0 ? 16 : exitFunctionCapacity * 2;
    const SIZE_T bytes = capacity * sizeof(ExitFunction);
    void* grown = exitFunctions == nullptr ? HeapAlloc(GetProcessHeap(), 0, bytes)
                                           : HeapReAlloc(GetProcessHeap(), 0, exitFunctions, bytes);
    if (grown == nullptr)
        return false;
    exitFunctions = static_cast<ExitFunction*>(grown);
    exitFunctionCapacity = capacity;
    return true;
}

} // namespace

void runExitFunctions() {
    // A function may register another one; it runs in turn.
    while (exitFunctionCount > 0) {
        const ExitFunction function = exitFunctions[--exitFunctionCount];
        function();
    }
}

extern "C" {

// The support libraries' thread layer asks these: one thread, no thread-local destructors.
int _CRT_MT = 0;
int __mingwthr_key_dtor(unsigned long, void (*)(void*)) {
    return 0;
}

int atexit(void (*function)()) {
    if (exitFunctionCount == exitFunctionCapacity && !growExitFunctions())
        return -1;
    exitFunctions[exitFunctionCount++] = function;
    return 0;
}

// A fault the program cannot recover from: the process ends at once with its own exit code.
void abort() {
    ExitProcess(3);
}

void* malloc(std::size_t size) {
    return blockHeap::allocate(size, false);
}

void free(void* block) {
    blockHeap::release(block);
}

void* calloc(std::size_t count, std::size_t size) {
    if (size != 0 && count > SIZE_MAX / size)
        return nullptr;
    return blockHeap::allocate(count * size, true);
}

void* realloc(void* block, std::size_t size) {
    return blockHeap::resize(block, size);
}

// The string instructions exist on every x86 and copy whole buffers quickly; the compiler turns
// plain copy loops back into calls of these very functions.
void* memcpy(void* target, const void* source, std::size_t size) {
    void* to = target;
    __asm__ volatile("rep movsb" : "+D"(to), "+S"(source), "+c"(size) : : "memory");
    return target;
}

void* memmove(void* target, const void* source, std::size_t size) {
    const auto to = reinterpret_cast<std::uintptr_t>(target);
    const auto from = reinterpret_cast<std::uintptr_t>(source);
    if (to - from >= size)
        return memcpy(target, source, size);
    // The target overlaps the end of the source: copy from the last byte down.
    void* last = static_cast<char*>(target) + size - 1;
    const void* lastSource = static_cast<const char*>(source) + size - 1;
    __asm__ volatile("std\n\trep movsb\n\tcld"
                     : "+D"(last), "+S"(lastSource), "+c"(size)
                     :
                     : "memory");
    return target;
}

void* memset(void* target, int value, std::size_t size) {
    void* to = target;
    __asm__ volatile("rep stosb" : "+D"(to), "+c"(size) : "a"(value) : "memory");
    return target;
}

int memcmp(const void* left, const void* right, std::size_t size) {
    const auto* a = static_cast<const unsigned char*>(left);
    const auto* b = static_cast<const unsigned char*>(right);
    for (std::size_t index = 0; index < size; ++index) {
        if (a[index] != b[index])
            return a[index] < b[index] ? -1 : 1;
    }
    return 0;
}

void* memchr(const void* block, int value, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(block);
    for (std::size_t index = 0; index < size; ++index) {
        if (bytes[index] == static_cast<unsigned char>(value))
            return const_cast<unsigned char*>(bytes + index);
    }
    return nullptr;
}

std::size_t strlen(const char* text) {
    std::size_t length = 0;
    while (text[length] != '\0')
        ++length;
    return length;
}

int strncmp(const char* left, const char* right, std::size_t size) {
    for (std::size_t index = 0; index < size; ++index) {
        const auto a = static_cast<unsigned char>(left[index]);
        const auto b = static_cast<unsigned char>(right[index]);
        if (a != b)
            return a < b ? -1 : 1;
        if (a == '\0')
            return 0;
    }
    return 0;
}

int strcmp(const char* left, const char* right) {
    return strncmp(left, right, SIZE_MAX);
}

} // extern "C"
