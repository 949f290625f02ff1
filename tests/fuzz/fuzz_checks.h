// What the fuzz targets share: reading bytes so that the sanitizer sees every one of them, and
// stopping the run with a message when a property of the code under test does not hold.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>

// Reads each of `count` bytes at `bytes`; an address outside a live buffer stops the run there.
inline void touchBytes(const unsigned char* bytes, std::size_t count) {
    volatile unsigned char sink = 0;
    for (std::size_t i = 0; i < count; ++i)
        sink = sink ^ bytes[i];
    (void)sink;
}

// Reports a broken property as a crash, so that libFuzzer keeps the input that caused it.
[[noreturn]] inline void propertyBroken(const char* what) {
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

inline void require(bool holds, const char* what) {
    if (!holds)
        propertyBroken(what);
}
