// The target launch through the shell: association lookup, plain or extended open, the Open
// With dialog, and the "Cannot Run File" report.
#include "target_launcher.h"

#include "launch_paths.h"
#include "splash_app.h"
#include "splash_effects_win32.h"
#include "splash_settings.h"
#include "timer_utils.h"

#include <shellapi.h>

#include <string>

bool targetLaunched = false;
HANDLE launchedProcess = NULL;

#ifndef _WIN64
static_assert(sizeof(SHELLEXECUTEINFOA) == 60, "the 32-bit extended shell record is 60 bytes");
#endif

namespace {

// The program's own file, as the module of the instance handle names it.
std::string modulePath() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(appInstance, path, MAX_PATH);
    return std::string(path, length);
}

std::string targetPath() {
    return targetPathOf(modulePath(), splashSettings.targetFile);
}

// The shell's result as the launch decisions take it: a 64-bit value beyond 32 bits stays a
// success instead of wrapping into an error code.
UINT shellCodeOf(UINT_PTR result) {
    return result > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<UINT>(result);
}

// Starts the system's Open With dialog for the target; `error` is the last-error code right
// after the call.
UINT_PTR openWithDialog(DWORD& error) {
    const std::string parameters = openWithParameters(targetPath());
    const UINT_PTR result = reinterpret_cast<UINT_PTR>(
        ShellExecuteA(NULL, "open", openWithProgram, parameters.c_str(), NULL, SW_SHOWNORMAL));
    error = GetLastError();
    return result;
}

// After the empty-name report: the box's going away need not bring a paint (a system that keeps
// the window's contents sends none), so the window asks for one, and that paint arms both timers
// again with full intervals. A hidden or minimised window is never painted; its timers are armed
// here. Inside the shutdown the window is going away with the process and needs neither.
void rearmAfterReport(HWND window) {
    if (shutdownStarted)
        return;
    InvalidateRect(window, NULL, FALSE);
    if (!IsWindowVisible(window) || IsIconic(window))
        armSplashTimers(window);
}

} // namespace

UINT_PTR openTargetFile() {
    UINT_PTR result = 0;
    DWORD error = 0;
    {
        const std::string path = targetPath();
        char associated[MAX_PATH];
        ZeroMemory(associated, sizeof(associated));
        const UINT_PTR found =
            reinterpret_cast<UINT_PTR>(FindExecutableA(path.c_str(), NULL, associated));
        // The word processor is opened with the extended call and the "open" verb. A splash
        // that waits for its target needs the started process, which only the extended call
        // gives: it then stands for the plain call with the same file, verb and show command,
        // and shows no box of the shell's own, so that failures are reported with the same texts.
        const bool extended = found > shellErrorLimit && needsExtendedOpen(associated);
        const bool waiting = splashSettings.extension.waitForTarget;
        if (extended || waiting) {
            SHELLEXECUTEINFOA info;
            ZeroMemory(&info, sizeof(info));
            info.cbSize = sizeof(info);
            info.fMask = SEE_MASK_FLAG_NO_UI | (extended ? SEE_MASK_FLAG_DDEWAIT : 0) |
                         (waiting ? SEE_MASK_NOCLOSEPROCESS : 0);
            info.lpVerb = extended ? "open" : NULL;
            info.lpFile = path.c_str();
            info.nShow = SW_SHOWNORMAL;
            // Only hInstApp tells the outcome; the call's own result is not looked at.
            ShellExecuteExA(&info);
            result = reinterpret_cast<UINT_PTR>(info.hInstApp);
            launchedProcess = info.hProcess;
        } else {
            result = reinterpret_cast<UINT_PTR>(
                ShellExecuteA(NULL, NULL, path.c_str(), NULL, NULL, SW_SHOWNORMAL));
        }
        error = GetLastError();
    }
    // Freeing the texts must not disturb the code the caller reads next.
    SetLastError(error);
    return result;
}

void launchTarget(HWND window) {
    if (targetLaunched)
        return;
    targetLaunched = true;

    if (splashSettings.targetFile.empty()) {
        TimerUtils::KillTimer(bothTimers);
        stopSplashEffects(window);
        stopSplashSound();
        MessageBoxA(window, unknownTargetText, unknownTargetCaption, MB_ICONWARNING);
        rearmAfterReport(window);
        return;
    }

    UINT_PTR result = openTargetFile();
    DWORD error = GetLastError();
    if (needsOpenWith(shellCodeOf(result))) {
        result = openWithDialog(error);
    }
    HANDLE process = launchedProcess;
    launchedProcess = NULL;
    if (launchSucceeded(shellCodeOf(result), error)) {
        watchTarget(window, process);
        return;
    }
    if (process != NULL)
        CloseHandle(process);

    const std::string text = cannotRunFileText(splashSettings.targetFile);
    TimerUtils::KillTimer(bothTimers);
    stopSplashEffects(window);
    stopSplashSound();
    ShowWindow(window, SW_HIDE);
    MessageBoxA(window, text.c_str(), cannotRunFileCaption, MB_ICONWARNING);
    // Inside the shutdown the window is already going away; destroying it again would only
    // start a second shutdown.
    if (!shutdownStarted)
        DestroyWindow(window);
}
