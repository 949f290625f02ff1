// The splash window's life on a 1024 x 768 screen: the two timers, the input that closes it and
// the input that does not, what it draws, and the sound it plays.
#include "splash_driver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include "stb_image.h"

using namespace driver;

namespace {

// Generous bounds: a loaded two-core machine may run late, never early.
constexpr double early = 60, late = 1500;

struct Started {
    SplashRun run;
    HWND window = nullptr;
    double shownAt = 0;
};

void startSplash(Started& s, SplashDescription splash,
                 const std::vector<std::string>& environment = {}) {
    s.run.writeProbe();
    if (splash.targetFile.empty())
        splash.targetFile = "probe.exe";
    s.run.writeSplash(splash);
    ASSERT_TRUE(s.run.start("", "", environment));
    s.window = s.run.waitForWindow("SPLASH_BMP", 15000);
    s.shownAt = s.run.elapsed();
    ASSERT_NE(s.window, nullptr);
}

SplashDescription timed(UINT displayTime, UINT launchDelay) {
    SplashDescription splash = basicSplash();
    splash.displayTime = displayTime;
    splash.launchDelay = launchDelay;
    return splash;
}

// A WAV of a 440 Hz tone: 16-bit mono at 22050 Hz.

} // namespace

TEST(Timers, LongDisplayLaunchesAtTheDelayAndStaysOpen) {
    Started s;
    startSplash(s, timed(60000, 500));
    auto runs = s.run.waitForProbeRuns(1, 10000);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_GE(runs[0].startedAfter, s.shownAt + 500 - early);
    EXPECT_LE(runs[0].startedAfter, s.shownAt + 500 + late);
    pumpFor(1000);
    EXPECT_TRUE(s.run.running());
    EXPECT_TRUE(IsWindowVisible(s.window));
    // A repaint re-arms the fired launch timer; its firing must not launch a second time.
    InvalidateRect(s.window, nullptr, FALSE);
    pumpFor(1200);
    EXPECT_EQ(s.run.probeRuns().size(), 1u);
    PostMessageA(s.window, WM_CLOSE, 0, 0);
    EXPECT_EQ(s.run.waitForExit(10000), 0u);
    EXPECT_EQ(s.run.probeRuns().size(), 1u) << "the shutdown finds the target launched";
}

TEST(Timers, ShortDisplayHidesFirstThenLaunchesAndEnds) {
    Started s;
    startSplash(s, timed(100, 1500));
    DWORD deadline = GetTickCount() + 1200;
    while (IsWindowVisible(s.window) && static_cast<LONG>(GetTickCount() - deadline) < 0)
        pumpFor(5);
    double hiddenAt = s.run.elapsed();
    EXPECT_FALSE(IsWindowVisible(s.window));
    EXPECT_LT(hiddenAt, s.shownAt + 100 + late);
    EXPECT_TRUE(s.run.running()) << "the process waits for the launch";
    EXPECT_TRUE(s.run.probeRuns().empty());
    EXPECT_EQ(s.run.waitForExit(15000), 0u);
    auto runs = s.run.waitForProbeRuns(1, 5000);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_GE(runs[0].startedAfter, s.shownAt + 1500 - early);
}

TEST(Timers, EqualTimesCloseJustAfterTheLaunch) {
    Started s;
    startSplash(s, timed(500, 500));
    EXPECT_EQ(s.run.waitForExit(15000), 0u);
    double endedAt = s.run.elapsed();
    auto runs = s.run.waitForProbeRuns(1, 5000);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_GE(runs[0].startedAfter, s.shownAt + 500 - early);
    EXPECT_GE(endedAt, s.shownAt + 550 - early) << "display time raised to the delay + 50 ms";
}

// Launchers, minimised shortcuts and "start /min" pass their show command on. Such a window is
// never painted, yet it must launch the target and end on time, and stay as the caller asked.
TEST(Timers, HiddenAndMinimisedStartsLaunchAndEndOnTime) {
    struct Case {
        const char* what;
        WORD showCommand;
        bool visible, iconic;
    };
    for (const Case& c : {Case{"SW_HIDE", SW_HIDE, false, false},
                          Case{"SW_SHOWMINNOACTIVE", SW_SHOWMINNOACTIVE, true, true}}) {
        SCOPED_TRACE(c.what);
        SplashRun run;
        run.writeProbe();
        SplashDescription splash = timed(1500, 300);
        splash.targetFile = "probe.exe";
        run.writeSplash(splash);
        run.setShowCommand(c.showCommand);
        ASSERT_TRUE(run.start());
        HWND window = run.waitForWindow("SPLASH_BMP", 15000, false);
        ASSERT_NE(window, nullptr);
        const double createdAt = run.elapsed();
        auto runs = run.waitForProbeRuns(1, 10000);
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_GE(runs[0].startedAfter, createdAt + 300 - early);
        EXPECT_EQ(IsWindowVisible(window) != FALSE, c.visible);
        EXPECT_EQ(IsIconic(window) != FALSE, c.iconic);
        EXPECT_EQ(run.waitForExit(10000), 0u);
        const double endedAt = run.elapsed();
        EXPECT_GE(endedAt, createdAt + 1500 - early);
        EXPECT_LE(endedAt, createdAt + 1500 + late);
        EXPECT_EQ(run.probeRuns().size(), 1u);
    }
}

TEST(Input, LeftClickEscAndCloseEndAtOnceAndLaunch) {
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way == 0 ? "left click" : way == 1 ? "Esc" : "WM_CLOSE");
        Started s;
        startSplash(s, timed(60000, 20000));
        RECT rect = factsOf(s.window).rect;
        if (way == 0) {
            clickAt((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        } else if (way == 1) {
            SetForegroundWindow(s.window);
            pumpFor(200);
            sendKey(VK_ESCAPE);
        } else {
            PostMessageA(s.window, WM_CLOSE, 0, 0);
        }
        EXPECT_EQ(s.run.waitForExit(5000), 0u);
        EXPECT_EQ(s.run.waitForProbeRuns(1, 3000).size(), 1u) << "the shutdown launches the target";
    }
}

TEST(Input, AltF4AndTheRightButtonLeaveItOpen) {
    Started s;
    startSplash(s, timed(60000, 20000));
    RECT rect = factsOf(s.window).rect;
    SetForegroundWindow(s.window);
    pumpFor(200);
    sendKey(VK_F4, true);
    clickAt((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2, true);
    pumpFor(1500);
    EXPECT_TRUE(s.run.running());
    EXPECT_TRUE(IsWindowVisible(s.window));
    EXPECT_TRUE(s.run.probeRuns().empty());
    PostMessageA(s.window, WM_CLOSE, 0, 0);
    EXPECT_EQ(s.run.waitForExit(10000), 0u);
}

TEST(Drawing, UnscaledPicturesMatchTheirReferenceRenderings) {
    for (const char* name : {"pal1", "pal4", "pal8", "rgb16", "rgb24", "rgb32", "pal8topdown"}) {
        SCOPED_TRACE(name);
        std::string corpus = SPLASH_BMP_DIR;
        ByteVector bmp = fileBytes(windowsPath(corpus + "/g/" + name + ".bmp"));
        ByteVector png = fileBytes(windowsPath(corpus + "/ref/" + name + ".png"));
        ASSERT_FALSE(bmp.empty());
        int width = 0, height = 0, channels = 0;
        unsigned char* reference = stbi_load_from_memory(png.data(), static_cast<int>(png.size()),
                                                         &width, &height, &channels, 3);
        ASSERT_NE(reference, nullptr);
        SplashDescription splash = timed(60000, 20000);
        splash.picture = bmp;
        Started s;
        startSplash(s, splash);
        pumpFor(300);
        RECT rect = factsOf(s.window).rect;
        ASSERT_EQ(rect.right - rect.left, width);
        ASSERT_EQ(rect.bottom - rect.top, height);
        std::vector<UINT> screen = captureScreen(rect);
        int differing = 0;
        for (int i = 0; i < width * height; ++i) {
            UINT expected = static_cast<UINT>(reference[i * 3]) << 16 |
                            static_cast<UINT>(reference[i * 3 + 1]) << 8 | reference[i * 3 + 2];
            if (screen[i] != expected)
                ++differing;
        }
        stbi_image_free(reference);
        EXPECT_EQ(differing, 0);
        PostMessageA(s.window, WM_CLOSE, 0, 0);
        EXPECT_EQ(s.run.waitForExit(10000), 0u);
    }
}

TEST(Drawing, ALargerPictureIsScaledIntoTheWholeWindow) {
    SplashDescription splash = timed(60000, 20000);
    splash.picture = patternBitmap(2048, 768);
    Started s;
    startSplash(s, splash);
    pumpFor(300);
    RECT rect = factsOf(s.window).rect;
    ASSERT_EQ(rect.right - rect.left, 1024);
    ASSERT_EQ(rect.bottom - rect.top, 384);
    std::vector<UINT> screen = captureScreen(rect);
    // The four quadrants of the pattern, each sampled at its centre.
    auto at = [&](int x, int y) { return screen[static_cast<size_t>(y) * 1024 + x]; };
    EXPECT_EQ(at(256, 96), 0x102000u);
    EXPECT_EQ(at(768, 96), 0xE0C000u);
    EXPECT_EQ(at(256, 288), 0xE020C0u);
    EXPECT_EQ(at(768, 288), 0x10C0C0u);
    PostMessageA(s.window, WM_CLOSE, 0, 0);
    EXPECT_EQ(s.run.waitForExit(10000), 0u);
}

TEST(Sound, PlaysFromMemoryAndStopsWhenTheWindowHides) {
    const std::string unixFile = soundCaptureFile();
    const std::string captured = windowsPath(unixFile);
    struct Case {
        const char* what;
        UINT displayTime, launchDelay;
        double seconds;
        double lowShare, highShare; // of the WAV's own data size
    };
    for (const Case& c : {Case{"plays whole", 60000, 20000, 0.5, 0.8, 3.0},
                          Case{"stops on hiding", 100, 2500, 2.0, 0.0, 0.45}}) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(captured);
        SplashDescription splash = timed(c.displayTime, c.launchDelay);
        splash.sound = toneWav(c.seconds);
        Started s;
        startSplash(s, splash);
        if (c.displayTime > c.launchDelay) {
            pumpFor(static_cast<DWORD>(c.seconds * 1000) + 1500);
            PostMessageA(s.window, WM_CLOSE, 0, 0);
        }
        EXPECT_EQ(s.run.waitForExit(20000), 0u);
        const double dataBytes = static_cast<double>(splash.sound.size() - 44);
        std::error_code error;
        const double playedBytes = static_cast<double>(std::filesystem::file_size(captured, error));
        EXPECT_GE(playedBytes, c.lowShare * dataBytes);
        EXPECT_LE(playedBytes, c.highShare * dataBytes);
    }
    std::filesystem::remove(captured);
}

TEST(Sound, NoSoundOpensNoDevice) {
    const std::string unixFile = soundCaptureFile();
    const std::string captured = windowsPath(unixFile);
    std::filesystem::remove(captured);
    Started s;
    startSplash(s, timed(60000, 20000));
    pumpFor(800);
    PostMessageA(s.window, WM_CLOSE, 0, 0);
    EXPECT_EQ(s.run.waitForExit(10000), 0u);
    EXPECT_FALSE(std::filesystem::exists(captured));
}
