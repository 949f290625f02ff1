// The wait for the target: its process found from the shell's handle, then polled from a timer
// until it shows a window or ends, so that the splash keeps painting and answering meanwhile.
#include "splash_effects_win32.h"

#include "splash_app.h"
#include "splash_settings.h"
#include "system_library_win32.h"

#include <tlhelp32.h>

namespace {

// Often enough that the splash goes within a few frames of the target's window.
constexpr UINT watchInterval = 50;

typedef DWORD(WINAPI* GetProcessIdCall)(HANDLE);
typedef HANDLE(WINAPI* SnapshotCall)(DWORD, DWORD);
typedef BOOL(WINAPI* ProcessWalkCall)(HANDLE, PROCESSENTRY32*);

HANDLE watchedProcess = NULL;
DWORD watchedId = 0;

struct WindowSearch {
    DWORD processId;
    bool found;
};

BOOL CALLBACK considerWindow(HWND window, LPARAM context) {
    WindowSearch& search = *reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search.processId || !IsWindowVisible(window))
        return TRUE;
    RECT rect;
    if (!GetWindowRect(window, &rect) || rect.right <= rect.left || rect.bottom <= rect.top)
        return TRUE;
    search.found = true;
    return FALSE;
}

} // namespace

DWORD childOfThisProcess() {
    const auto snapshot = kernelCall<SnapshotCall>("CreateToolhelp32Snapshot");
    const auto first = kernelCall<ProcessWalkCall>("Process32First");
    const auto next = kernelCall<ProcessWalkCall>("Process32Next");
    if (snapshot == nullptr || first == nullptr || next == nullptr)
        return 0;
    HANDLE processes = snapshot(TH32CS_SNAPPROCESS, 0);
    if (processes == INVALID_HANDLE_VALUE)
        return 0;
    const DWORD self = GetCurrentProcessId();
    DWORD child = 0;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof(entry);
    // The player starts one process; should there be more, the last listed is the newest.
    for (BOOL more = first(processes, &entry); more; more = next(processes, &entry))
        if (entry.th32ParentProcessID == self)
            child = entry.th32ProcessID;
    CloseHandle(processes);
    return child;
}

DWORD processIdOf(HANDLE process) {
    const auto getProcessId = kernelCall<GetProcessIdCall>("GetProcessId");
    if (getProcessId != nullptr) {
        const DWORD id = getProcessId(process);
        if (id != 0)
            return id;
    }
    return childOfThisProcess();
}

bool showsVisibleWindow(DWORD processId) {
    WindowSearch search = {processId, false};
    EnumWindows(considerWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void watchTarget(HWND window, HANDLE process) {
    if (process == NULL)
        return;
    // Inside the shutdown the splash is going anyway; nothing to wait for.
    if (!splashSettings.extension.waitForTarget || shutdownStarted || watchedProcess != NULL) {
        CloseHandle(process);
        return;
    }
    watchedProcess = process;
    // Without an id only the process's end can be seen; the display time still ends the wait.
    watchedId = processIdOf(process);
    SetTimer(window, watchTimerId, watchInterval, NULL);
}

void onWatchTimer(HWND window) {
    // The timer stops with the watch; a message already queued finds nothing to watch.
    if (watchedProcess == NULL)
        return;
    const bool ended = WaitForSingleObject(watchedProcess, 0) == WAIT_OBJECT_0;
    if (!ended && (watchedId == 0 || !showsVisibleWindow(watchedId)))
        return;
    stopWatchingTarget(window);
    closeForTarget(window);
}

void stopWatchingTarget(HWND window) {
    if (watchedProcess == NULL)
        return;
    if (window != NULL)
        KillTimer(window, watchTimerId);
    CloseHandle(watchedProcess);
    watchedProcess = NULL;
    watchedId = 0;
}
