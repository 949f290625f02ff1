// The player's own start-up, in place of a C runtime DLL that the oldest systems it runs on do
// not have: static construction, WinMain with what it expects, static destruction, the exit code.
#include "command_line.h"
#include "process_runtime_win32.h"

#include <windows.h>

#include <cstdint>

extern "C" {
// Laid out by the linker as -1, the functions, 0; gcc names the sections so that the list read
// from its end runs the constructors in their priority order.
typedef void (*StaticFunction)();
extern StaticFunction __CTOR_LIST__[];
extern StaticFunction __DTOR_LIST__[];
}

namespace {

void runStaticConstructors() {
    std::size_t count = reinterpret_cast<std::uintptr_t>(__CTOR_LIST__[0]);
    if (count == static_cast<std::size_t>(-1)) {
        count = 0;
        while (__CTOR_LIST__[count + 1] != nullptr)
            ++count;
    }
    for (std::size_t index = count; index >= 1; --index)
        __CTOR_LIST__[index]();
}

void runStaticDestructorList() {
    for (std::size_t index = 1; __DTOR_LIST__[index] != nullptr; ++index)
        __DTOR_LIST__[index]();
}

// The show command the starting program asked for, or the default one.
int startupShowCommand() {
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    GetStartupInfoA(&startup);
    return (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWDEFAULT;
}

} // namespace

// The entry point of the GUI program (the linker's default name for it).
extern "C" void WinMainCRTStartup() {
    runStaticConstructors();
    // Constructors register their objects' destructors as they run; the list runs after them.
    atexit(runStaticDestructorList);
    const int exitCode =
        WinMain(GetModuleHandleA(NULL), NULL, const_cast<LPSTR>(commandLineTail(GetCommandLineA())),
                startupShowCommand());
    runExitFunctions();
    ExitProcess(static_cast<UINT>(exitCode));
}
