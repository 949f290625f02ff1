// What the payload's extension adds to the splash window: a shape cut out by the picture's key
// colour, fades through a layered window, and the close when the target shows its window. Each
// is armed only for a splash whose extension asks for it; without one the window is as before.
#pragma once

#include <windows.h>

#include "data_content.h"
#include "splash_extension.h"

// Timers besides the display and launch timers, armed only when the extension asks for them.
constexpr UINT watchTimerId = 3;
constexpr UINT fadeTimerId = 4;

// The window region that cuts the pixels of `key` out of `picture` drawn at `width` x `height`;
// NULL when the picture is none the player shows, when it has no such pixels, or when the system
// refuses the region. The caller owns it.
HRGN pictureShapeRegion(const DataContent& picture, KeyColour key, UINT width, UINT height);

// Decides, before the window exists, whether this splash fades on this system.
void prepareSplashEffects();
// The splash window's extended style: top-most tool window, layered when it fades.
DWORD splashExtendedStyle();
// After the window is created and before it is shown: its shape (`width` x `height`, the size
// the picture is drawn at) and the opacity it starts with.
void applySplashEffects(HWND window, UINT width, UINT height);
// The display timer has just been armed, at the first paint or again after a report: the close
// is a display time away, and the fade follows it.
void followDisplayTimer(HWND window);
void onFadeTimer(HWND window);
// The target has shown a window or ended: the splash fades out, or closes at once.
void closeForTarget(HWND window);
// Stops the fade timer (before a report, and in the shutdown); following the display timer
// again starts it anew.
void stopSplashEffects(HWND window);

// The target the launch started, watched until it shows a window or ends. Takes `process` (a
// handle of the shell's launch, closed here); does nothing but close it unless the splash waits.
void watchTarget(HWND window, HANDLE process);
void onWatchTimer(HWND window);
// Stops the watch and lets go of the process handle.
void stopWatchingTarget(HWND window);

// The identifier of the process behind `process`: from GetProcessId where the system has it (XP
// SP1 and later), else the child of this process in a ToolHelp snapshot (95, 98, Me, 2000, XP);
// 0 where neither can tell (NT 4).
DWORD processIdOf(HANDLE process);
// The newest process in a ToolHelp snapshot whose parent is this process; 0 without ToolHelp or
// without such a child.
DWORD childOfThisProcess();
// True when the process shows a visible top-level window with an area.
bool showsVisibleWindow(DWORD processId);
