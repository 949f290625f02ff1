// Opens the payload's target file beside the program through the shell, once per process,
// with the Open With dialog as fallback and a report when it cannot be run.
#pragma once

#include <windows.h>

// False until the first launchTarget; never cleared.
extern bool targetLaunched;
// The process the last openTargetFile started, when the splash waits for its target and the
// shell gave one; NULL otherwise. launchTarget hands it on to the watch.
extern HANDLE launchedProcess;

// Launches the target unless that has been done: `window` owns the reports, and is hidden and
// destroyed when the launch fails.
void launchTarget(HWND window);

// Joins the target name to the program's folder and makes the first shell call with no owner
// window; returns the shell's pointer-sized result, the thread's last-error code left as the
// call set it.
UINT_PTR openTargetFile();
