// The splash window's behaviour once it is up: painting and the two timers, the ways it closes,
// and the shutdown that ends the process when it is destroyed.
#include "splash_app.h"

#include "resource.h"
#include "sound_library_win32.h"
#include "splash_effects_win32.h"
#include "splash_image.h"
#include "splash_settings.h"
#include "target_launcher.h"
#include "timer_utils.h"

#include <mmsystem.h>

#include <string>

bool shutdownStarted = false;

namespace {

// Set once a failure has taken the splash out of play; from then on the window gets only
// default processing, so nothing can launch the target or run the shutdown any more.
bool splashAbandoned = false;

// BeginPaint and EndPaint as a pair, whatever happens while drawing.
class PaintScope {
  public:
    explicit PaintScope(HWND window) : window(window) { dc = BeginPaint(window, &paint); }
    ~PaintScope() { EndPaint(window, &paint); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;

    HDC get() const { return dc; }

  private:
    HWND window;
    PAINTSTRUCT paint;
    HDC dc;
};

void onPaint(HWND window) {
    {
        PaintScope paint(window);
        RECT client;
        GetClientRect(window, &client);
        if (splashImage != nullptr)
            splashImage->draw(paint.get(), client);
    }
    // A pending timer is never restarted, so both count from the first paint.
    armSplashTimers(window);
}

void onLaunchTimer(HWND window) {
    TimerUtils::KillTimer(launchTimerId);
    launchTarget(window);
    if (splashSettings.displayTime <= splashSettings.launchDelay)
        DestroyWindow(window);
}

void onDisplayTimer(HWND window) {
    TimerUtils::KillTimer(displayTimerId);
    if (splashSettings.displayTime >= splashSettings.launchDelay) {
        DestroyWindow(window);
    } else {
        // The launch is still to come: the picture goes, the process waits for the launch timer.
        stopSplashSound();
        ShowWindow(window, SW_HIDE);
    }
}

void onTimer(HWND window, WPARAM timerId) {
    if (timerId == launchTimerId)
        onLaunchTimer(window);
    else if (timerId == displayTimerId)
        onDisplayTimer(window);
    else if (timerId == watchTimerId)
        onWatchTimer(window);
    else if (timerId == fadeTimerId)
        onFadeTimer(window);
}

// Esc arrives as command 105 through the accelerator table; every other command, the one the
// table makes of Alt+F4 included, is left to default processing.
bool onCommand(HWND window, WPARAM wParam) {
    if (LOWORD(wParam) != IDM_CLOSE_SPLASH)
        return false;
    DestroyWindow(window);
    return true;
}

void onLeftButtonDown(HWND window) {
    DestroyWindow(window);
}

void onDestroy(HWND window) {
    // A launch that fails inside the shutdown comes back here without destroying the window
    // again; the outer call ends the process.
    if (shutdownStarted)
        return;
    shutdownSplash(window);
    ExitProcess(0);
}

// A failure inside the window procedure ends the splash: a text is shown as a load error would
// be, and the process ends with exit code 0 as every orderly end does.
[[noreturn]] void endAfterFailure(HWND window, const char* text) {
    abandonSplash(window);
    if (text != nullptr)
        MessageBoxA(NULL, text, loadErrorCaption, MB_ICONWARNING);
    try {
        splashSettings.release();
    } catch (...) {
        // The process ends now; the buffer goes with it.
    }
    ExitProcess(0);
}

LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        onPaint(window);
        return 0;
    case WM_TIMER:
        onTimer(window, wParam);
        return 0;
    case WM_COMMAND:
        if (onCommand(window, wParam))
            return 0;
        break;
    case WM_LBUTTONDOWN:
        onLeftButtonDown(window);
        return 0;
    case WM_DESTROY:
        onDestroy(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

bool settingsHoldSound() {
    return splashSettings.sound.data != nullptr && splashSettings.sound.size > 0;
}

void stopSplashSound() {
    if (settingsHoldSound())
        playSound(NULL, SND_NODEFAULT);
}

void abandonSplash(HWND window) {
    splashAbandoned = true;
    TimerUtils::KillTimer(bothTimers);
    stopSplashEffects(window);
    stopWatchingTarget(window);
    stopSplashSound();
    if (window != NULL)
        ShowWindow(window, SW_HIDE);
}

void shutdownSplash(HWND window) {
    if (shutdownStarted)
        return;
    shutdownStarted = true;
    TimerUtils::KillTimer(bothTimers);
    stopSplashEffects(window);
    stopWatchingTarget(window);
    // The sound plays from the payload's bytes: it stops before they are released.
    stopSplashSound();
    if (!targetLaunched)
        launchTarget(window);
    splashSettings.release();
}

LRESULT CALLBACK splashWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (splashAbandoned)
        return DefWindowProcA(window, message, wParam, lParam);
    // No exception may cross the system's frames back into the message loop.
    try {
        return handleMessage(window, message, wParam, lParam);
    } catch (const std::string& text) {
        endAfterFailure(window, text.c_str());
    } catch (...) {
        endAfterFailure(window, nullptr);
    }
}
