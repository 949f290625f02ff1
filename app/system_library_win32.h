// Libraries the player loads itself. A player copied into a downloads folder must never run a
// DLL planted beside it: every library that is not one of the system's known DLLs is loaded by
// its full path in the system directory, and the search path loses the current directory.
#pragma once

#include <windows.h>

// Narrows the search for every later library load, with whatever this Windows offers: only the
// system directory where that can be set, else the search without the current directory.
// Changes nothing on systems that have neither call.
void restrictLibrarySearch();

// `fileName` (e.g. "winmm.dll") loaded from the system directory; its own dependencies are
// looked for there first too. NULL when it cannot be loaded.
HMODULE loadSystemLibrary(const char* fileName);

// An address from GetProcAddress as the call it is; the generic function type in between is
// the one the compiler accepts between unrelated function types.
template <typename Call> Call callAt(FARPROC address) {
    return reinterpret_cast<Call>(reinterpret_cast<void (*)()>(address));
}

// The address of a kernel32 function that not every Windows has; null where it is missing.
FARPROC kernelAddress(const char* name);

// A call of kernel32 that not every Windows has, looked up at run time so that old Windows still
// starts the player; null where it is missing.
template <typename Call> Call kernelCall(const char* name) {
    return callAt<Call>(kernelAddress(name));
}
