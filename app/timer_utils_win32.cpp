// The two splash timers as system timers of the splash window, without callbacks.
#include "timer_utils.h"

#include "splash_effects_win32.h"
#include "splash_settings.h"
#include "text_error.h"

HWND TimerUtils::recordedWindow = NULL;
std::int32_t TimerUtils::displaySlot = 0;
std::int32_t TimerUtils::launchSlot = 0;

void TimerUtils::SetTimer(HWND window, UINT interval, UINT timerId) {
    if (timerId == displayTimerId)
        displaySlot = displayTimerId;
    else if (timerId == launchTimerId)
        launchSlot = launchTimerId;
    else
        raiseText("TimerUtils::SetTimer - invalid timer ID");
    // The result is not looked at: a refused timer stays marked and is never armed again.
    ::SetTimer(window, timerId, interval, NULL);
    recordedWindow = window;
}

bool TimerUtils::IsTimerActive(UINT timerId) {
    return (timerId == displayTimerId &&
            displaySlot == static_cast<std::int32_t>(displayTimerId)) ||
           (timerId == launchTimerId && launchSlot == static_cast<std::int32_t>(launchTimerId));
}

void TimerUtils::KillTimer(UINT selector) {
    if (recordedWindow == NULL)
        return;
    if (selector == bothTimers || selector == displayTimerId) {
        ::KillTimer(recordedWindow, static_cast<UINT_PTR>(displaySlot));
        displaySlot = 0;
    }
    if (selector == bothTimers || selector == launchTimerId) {
        ::KillTimer(recordedWindow, static_cast<UINT_PTR>(launchSlot));
        launchSlot = 0;
    }
}

void armSplashTimers(HWND window) {
    if (!TimerUtils::IsTimerActive(displayTimerId)) {
        TimerUtils::SetTimer(window, splashSettings.displayTime, displayTimerId);
        followDisplayTimer(window);
    }
    if (!TimerUtils::IsTimerActive(launchTimerId))
        TimerUtils::SetTimer(window, splashSettings.launchDelay, launchTimerId);
}
