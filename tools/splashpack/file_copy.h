// Copying a file's bytes into another file inside the system, for a large picture that goes
// into the output unchanged: file_copy_posix.cpp uses the kernel's file-to-file copies where
// they are the faster way,
// file_copy_win32.cpp leaves every byte to the caller's buffered copy.
#pragma once

#include <cstdint>
#include <cstdio>

// Copies up to `count` bytes from the start of `from` to the end of `to` without passing them
// through this process where the system can, and returns how many it copied; the caller copies
// the rest. `to` has nothing buffered before the call and is positioned at its end after it.
std::uint64_t copyInSystem(std::FILE* from, std::FILE* to, std::uint64_t count);
