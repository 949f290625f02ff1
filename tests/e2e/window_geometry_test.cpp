// The splash window on screens of several sizes: class, title, styles, and the fit and centring
// of pictures larger and smaller than the screen. Built once per screen size.
#include "splash_driver.h"

#include <gtest/gtest.h>

using namespace driver;

namespace {

struct GeometryCase {
    const char* what;
    int pictureWidth, pictureHeight; // 0 x 0: a picture the player refuses
    RECT expected;
};

RECT placed(int x, int y, int width, int height) {
    return RECT{x, y, x + width, y + height};
}

const std::vector<GeometryCase> casesForThisScreen() {
#if SPLASH_SCREEN_WIDTH == 1024
    return {{"fits: kept and centred", 800, 600, placed(112, 84, 800, 600)},
            {"refused picture: default size", 0, 0, placed(452, 339, 120, 90)},
            {"small", 64, 48, placed(480, 360, 64, 48)}};
#elif SPLASH_SCREEN_WIDTH == 800
    return {{"wider: fitted to the width", 1000, 500, placed(0, 100, 800, 400)},
            {"taller: fitted to the height", 500, 1000, placed(250, 0, 300, 600)},
            {"one pixel wider", 801, 600, placed(0, 0, 800, 599)}};
#else
    return {{"equal products: fitted to the height", 800, 600, placed(0, 0, 640, 480)}};
#endif
}

} // namespace

TEST(WindowGeometry, ClassTitleStylesAndPlacement) {
    for (const GeometryCase& c : casesForThisScreen()) {
        SCOPED_TRACE(c.what);
        SplashRun run;
        SplashDescription splash = basicSplash();
        splash.picture = c.pictureWidth == 0
                             ? ByteVector{'B', 'A', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}
                             : patternBitmap(c.pictureWidth, c.pictureHeight);
        splash.targetFile = "probe.exe";
        splash.launchDelay = 60000;
        run.writeProbe();
        run.writeSplash(splash);
        ASSERT_TRUE(run.start());
        HWND window = run.waitForWindow("SPLASH_BMP", 15000);
        ASSERT_NE(window, nullptr);
        WindowFacts facts = factsOf(window);
        EXPECT_EQ(facts.title, "Splash_BMP");
        EXPECT_EQ(facts.style & ~WS_VISIBLE & ~WS_CLIPSIBLINGS, static_cast<LONG_PTR>(WS_POPUP));
        EXPECT_EQ(facts.exStyle & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST),
                  static_cast<LONG_PTR>(WS_EX_TOOLWINDOW | WS_EX_TOPMOST));
        EXPECT_EQ(facts.exStyle & (WS_EX_APPWINDOW | WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE), 0);
        EXPECT_EQ(facts.rect.left, c.expected.left);
        EXPECT_EQ(facts.rect.top, c.expected.top);
        EXPECT_EQ(facts.rect.right, c.expected.right);
        EXPECT_EQ(facts.rect.bottom, c.expected.bottom);
        PostMessageA(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(run.waitForExit(10000), 0u);
    }
}
