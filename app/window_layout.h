// Where the splash window goes: the picture's size fitted to the screen, the centred position,
// and the display time settled against the launch delay. All sizes and times are unsigned
// 32-bit values with wrapping arithmetic, as the start-up uses them.
#pragma once

#include "text_error.h"

// A width and height in pixels.
struct WindowSize {
    UINT width = 0;
    UINT height = 0;
};

// Size and top-left corner of the splash window on the screen.
struct WindowPlacement {
    UINT x = 0;
    UINT y = 0;
    UINT width = 0;
    UINT height = 0;
};

// The window's size when the image holds no valid picture.
constexpr UINT defaultWindowWidth = 120;
constexpr UINT defaultWindowHeight = 90;

// The smallest gap kept between the launch and the end of the display.
constexpr UINT minimumDisplayAfterLaunch = 50;

// Scales `picture` down, keeping its proportions, when it is wider or higher than `screen`;
// a picture that fits keeps its size and is never enlarged. Products wrap modulo 2^32. A side
// that shrinks to 0 keeps one pixel when the screen has one.
WindowSize fitToScreen(WindowSize picture, WindowSize screen);

// Top-left corner that centres `window` on `screen`, rounded down.
WindowPlacement centreOnScreen(WindowSize window, WindowSize screen);

// The whole layout: the picture's size when `pictureValid`, else the default size, fitted to
// the screen and centred.
WindowPlacement layoutSplashWindow(bool pictureValid, UINT pictureWidth, UINT pictureHeight,
                                   WindowSize screen);

// A display time from the launch delay up to 49 ms after it is raised to the launch delay
// + 50 ms, so the launch always happens while the picture is still up; a display time below
// the launch delay is left as it is (the window is then hidden until the launch).
UINT settleDisplayTime(UINT displayTime, UINT launchDelay);
