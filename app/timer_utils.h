// The splash window's two one-shot timers, the display timer and the launch timer, kept as
// process-wide state that the window procedure and the launcher share.
#pragma once

#include <windows.h>

#include <cstdint>

// Identifiers of the two timers; WM_TIMER carries them in wParam.
constexpr UINT displayTimerId = 1;
constexpr UINT launchTimerId = 2;

// Selectors of TimerUtils::KillTimer.
constexpr UINT bothTimers = 0;

class TimerUtils {
  public:
    TimerUtils() = delete;

    // Arms timer 1 or 2 on `window` with `interval` milliseconds and records the window. The
    // slot counts as armed even when the system refuses the timer. Any other identifier raises
    // "TimerUtils::SetTimer - invalid timer ID" and changes nothing.
    static void SetTimer(HWND window, UINT interval, UINT timerId);
    // True only for 1 while the display timer is armed and 2 while the launch timer is.
    static bool IsTimerActive(UINT timerId);
    // Cancels the selected timers on the recorded window: 0 both, 1 the display timer, 2 the
    // launch timer, anything else none. Does nothing before the first arming.
    static void KillTimer(UINT selector);

  private:
    static HWND recordedWindow;      // never cleared once set
    static std::int32_t displaySlot; // 1 while armed, else 0
    static std::int32_t launchSlot;  // 2 while armed, else 0
};

// Arms, through TimerUtils, whichever of the two timers is not armed, with its full interval from
// the settings; a pending timer keeps its time. The paint, the start-up and the launcher share it.
void armSplashTimers(HWND window);
