// Fit, centring and the display-time rule on the sizes and times the splash meets.
#include "window_layout.h"

#include <gtest/gtest.h>

namespace {

struct LayoutCase {
    const char* name;
    bool valid;
    UINT pictureWidth, pictureHeight;
    UINT screenWidth, screenHeight;
    UINT x, y, width, height;
};

const LayoutCase layoutCases[] = {
    {"fits, centred", true, 800, 600, 1024, 768, 112, 84, 800, 600},
    {"equal products fit the height", true, 800, 600, 640, 480, 0, 0, 640, 480},
    {"wider fits the width", true, 1000, 500, 800, 600, 0, 100, 800, 400},
    {"higher fits the height", true, 500, 1000, 800, 600, 250, 0, 300, 600},
    {"one pixel too wide rounds down", true, 801, 600, 800, 600, 0, 0, 800, 599},
    {"one pixel too high", true, 800, 601, 800, 600, 1, 0, 798, 600},
    {"exactly the screen", true, 800, 600, 800, 600, 0, 0, 800, 600},
    {"invalid picture takes the default", false, 800, 600, 1024, 768, 452, 339, 120, 90},
    {"invalid picture ignores its size", false, 0, 0, 1024, 768, 452, 339, 120, 90},
    {"default larger than a tiny screen", false, 0, 0, 60, 90, 0, 22, 60, 45},
    {"odd margins round down", true, 101, 51, 200, 100, 49, 24, 101, 51},
};

TEST(WindowLayout, PlacesTheWindowForEachCase) {
    for (const LayoutCase& c : layoutCases) {
        SCOPED_TRACE(c.name);
        WindowSize screen;
        screen.width = c.screenWidth;
        screen.height = c.screenHeight;
        const WindowPlacement p =
            layoutSplashWindow(c.valid, c.pictureWidth, c.pictureHeight, screen);
        EXPECT_EQ(p.x, c.x);
        EXPECT_EQ(p.y, c.y);
        EXPECT_EQ(p.width, c.width);
        EXPECT_EQ(p.height, c.height);
    }
}

struct FitCase {
    const char* name;
    UINT pictureWidth, pictureHeight;
    UINT screenWidth, screenHeight;
    UINT width, height;
};

// Sizes no accepted picture has: the fit must still end without dividing by zero.
const FitCase degenerateFits[] = {
    {"zero width, too high", 0, 1000, 800, 600, 0, 600},
    {"zero height, too wide", 1000, 0, 800, 600, 800, 0},
    {"zero height on a zero-high screen", 10, 0, 5, 0, 5, 0},
    {"zero picture on a zero screen", 0, 0, 0, 0, 0, 0},
    {"zero width on a zero screen", 0, 7, 0, 0, 0, 0},
    // 65536 x 65536 wraps to 0, below 1 x 65536: the width decides, products taken mod 2^32;
    // the height that comes out as 0 keeps one pixel.
    {"wrapping product", 65536, 65536, 65536, 1, 65536, 1},
    // Thin pictures that shrink to nothing across keep one pixel, so the window gets painted.
    {"thin and wide", 32767, 1, 1024, 768, 1024, 1},
    {"thin and high", 1, 32767, 1024, 768, 1, 768},
    {"thin on a small screen", 32767, 3, 640, 480, 640, 1},
};

TEST(WindowLayout, DegenerateSizesNeverDivideByZeroNorVanish) {
    for (const FitCase& c : degenerateFits) {
        SCOPED_TRACE(c.name);
        WindowSize picture;
        picture.width = c.pictureWidth;
        picture.height = c.pictureHeight;
        WindowSize screen;
        screen.width = c.screenWidth;
        screen.height = c.screenHeight;
        const WindowSize fitted = fitToScreen(picture, screen);
        EXPECT_EQ(fitted.width, c.width);
        EXPECT_EQ(fitted.height, c.height);
    }
}

TEST(WindowLayout, FittedPictureNeverExceedsTheScreen) {
    const UINT screens[][2] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}, {1920, 1080}};
    for (const auto& s : screens) {
        for (UINT w = 1; w <= 4000; w += 37) {
            for (UINT h = 1; h <= 4000; h += 41) {
                WindowSize picture;
                picture.width = w;
                picture.height = h;
                WindowSize screen;
                screen.width = s[0];
                screen.height = s[1];
                const WindowSize f = fitToScreen(picture, screen);
                ASSERT_LE(f.width, screen.width) << w << "x" << h;
                ASSERT_LE(f.height, screen.height) << w << "x" << h;
                ASSERT_LE(f.width, w) << w << "x" << h;
                ASSERT_LE(f.height, h) << w << "x" << h;
                // One side always touches the screen when the picture had to shrink.
                if (w > screen.width || h > screen.height) {
                    ASSERT_TRUE(f.width == screen.width || f.height == screen.height)
                        << w << "x" << h;
                }
            }
        }
    }
}

struct DisplayCase {
    UINT displayTime, launchDelay, settled;
};

const DisplayCase displayCases[] = {
    {500, 500, 550},
    {549, 500, 550},
    {550, 500, 550},
    {551, 500, 551},
    {100, 500, 100},
    {499, 500, 499},
    {0, 0, 50},
    {49, 0, 50},
    {50, 0, 50},
    // Near the top of the range the sum wraps, as the unsigned arithmetic has it.
    {4294967295u, 4294967295u, 49},
    {4294967295u, 4294967290u, 44},
    {4294967295u, 4294967245u, 4294967295u},
    {4294967246u, 4294967245u, 4294967295u},
    // Just past the wrap the display time counts as 1 ms after the launch and is raised.
    {0, 4294967295u, 49},
    {48, 4294967295u, 49},
    {49, 4294967295u, 49},
    {100, 4294967295u, 100},
    {4294967295u, 0, 4294967295u},
};

TEST(WindowLayout, DisplayTimeIsSettledAgainstTheLaunchDelay) {
    for (const DisplayCase& c : displayCases) {
        EXPECT_EQ(settleDisplayTime(c.displayTime, c.launchDelay), c.settled)
            << c.displayTime << " / " << c.launchDelay;
    }
}

} // namespace
