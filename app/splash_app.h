// The player's process-wide state and the pieces of its start-up, window and shutdown that the
// entry point, the window procedure and the launcher share.
#pragma once

#include <windows.h>

class SplashImage;

// Capacity of the title and class-name buffers, terminator included.
constexpr int windowTextCapacity = 100;

// The entry point's instance handle, recorded when the splash starts.
extern HINSTANCE appInstance;
// The one picture object, created by the entry point and never deleted.
extern SplashImage* splashImage;
// String resources 103 and 109.
extern char windowTitle[windowTextCapacity];
extern char windowClassName[windowTextCapacity];
// Set when the shutdown begins, so that a launch failing inside it does not destroy the window
// a second time and a nested WM_DESTROY does not run the shutdown again.
extern bool shutdownStarted;

constexpr const char* loadErrorCaption = "Error loading splash data.";

// Start-up and message loop; returns the process exit code.
int runApplication(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine,
                   int showCommand);
// Registers the splash window class under `windowClassName`; callers need not look at the result.
ATOM registerSplashClass(HINSTANCE instance);
// Loads the settings of the program's own file, checks the requirements and shows the splash;
// false when start-up has ended (any report has been shown).
bool startSplash(HINSTANCE instance, int showCommand);

LRESULT CALLBACK splashWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Clean-up on WM_DESTROY: timers, sound, the launch if it is still due, the settings. Runs once.
void shutdownSplash(HWND window);
// True when the settings hold a sound; the one test that guards every start and stop of it.
bool settingsHoldSound();
// Stops all sound of the process when the settings hold a sound.
void stopSplashSound();
// Takes the splash out of play after a failure no step reports itself: the window procedure
// then does only default processing, the timers and the sound stop and the window is hidden.
void abandonSplash(HWND window);
