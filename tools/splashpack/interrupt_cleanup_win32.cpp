// Windows: the console's control handler runs on a thread of its own while the main thread
// still holds the temporary file open, so it cannot delete it. It asks the write to stop
// instead; the main thread removes the file as after any failed write and then ends the process
// with the exit code of an interrupted console program.
#include "interrupt_cleanup.h"

#include <windows.h>

namespace {

volatile LONG interrupted = 0;
volatile LONG armed = 0;

BOOL WINAPI onConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT)
        return FALSE;
    if (!armed)
        return FALSE; // the default: end the process now
    InterlockedExchange(&interrupted, 1);
    return TRUE;
}

} // namespace

InterruptCleanup::InterruptCleanup(const std::string&) {
    SetConsoleCtrlHandler(onConsoleControl, TRUE);
    InterlockedExchange(&armed, 1);
}

InterruptCleanup::~InterruptCleanup() {
    InterlockedExchange(&armed, 0);
    SetConsoleCtrlHandler(onConsoleControl, FALSE);
    // An interrupt that came after the last check (during the rename) still ends the process,
    // now that no temporary file is left.
    if (interruptRequested())
        endInterrupted();
}

bool interruptRequested() {
    return InterlockedCompareExchange(&interrupted, 0, 0) != 0;
}

void endInterrupted() {
    ExitProcess(STATUS_CONTROL_C_EXIT);
}
