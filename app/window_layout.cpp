// Window layout of the splash: fit, centring and the display-time rule.
#include "window_layout.h"

WindowSize fitToScreen(WindowSize picture, WindowSize screen) {
    if (screen.width >= picture.width && screen.height >= picture.height)
        return picture;
    // A picture without area has no proportions to keep; clamping it to the screen also
    // keeps the divisions below away from a zero divisor.
    if (picture.width == 0 || picture.height == 0) {
        WindowSize clamped;
        clamped.width = picture.width < screen.width ? picture.width : screen.width;
        clamped.height = picture.height < screen.height ? picture.height : screen.height;
        return clamped;
    }
    const UINT byHeight = screen.width * picture.height;
    const UINT byWidth = screen.height * picture.width;
    WindowSize fitted;
    if (byWidth > byHeight) {
        // Wider than the screen in proportion: the width decides.
        fitted.height = byHeight / picture.width;
        fitted.width = screen.width;
    } else {
        fitted.width = byWidth / picture.height;
        fitted.height = screen.height;
    }
    // A thin picture can shrink to nothing across; a window without area is never painted, and
    // the first paint is what starts the timers, so it keeps one pixel while the screen has one.
    if (fitted.width == 0 && screen.width > 0)
        fitted.width = 1;
    if (fitted.height == 0 && screen.height > 0)
        fitted.height = 1;
    return fitted;
}

WindowPlacement centreOnScreen(WindowSize window, WindowSize screen) {
    WindowPlacement placement;
    placement.x = (screen.width - window.width) / 2;
    placement.y = (screen.height - window.height) / 2;
    placement.width = window.width;
    placement.height = window.height;
    return placement;
}

WindowPlacement layoutSplashWindow(bool pictureValid, UINT pictureWidth, UINT pictureHeight,
                                   WindowSize screen) {
    WindowSize size;
    size.width = pictureValid ? pictureWidth : defaultWindowWidth;
    size.height = pictureValid ? pictureHeight : defaultWindowHeight;
    return centreOnScreen(fitToScreen(size, screen), screen);
}

UINT settleDisplayTime(UINT displayTime, UINT launchDelay) {
    // The difference wraps for a display time below the launch delay, which leaves it alone.
    if (displayTime - launchDelay < minimumDisplayAfterLaunch)
        return launchDelay + minimumDisplayAfterLaunch;
    return displayTime;
}
