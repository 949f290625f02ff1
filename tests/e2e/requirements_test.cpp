// The requirements check of player copies: Windows versions through Wine's per-program version,
// the screen size of this program's virtual desktop (1024 x 768), its colour depth, and the
// message shown.
#include "splash_driver.h"

#include <gtest/gtest.h>

using namespace driver;

namespace {

const char* const defaultMessage =
    "Sorry, your system does not meet all of the necessary system requirements.";

// Runs a copy named `program` with `splash`; returns the requirements box's body, or "" when
// the splash window came up instead.
std::string outcomeOf(const std::string& program, const SplashDescription& splash) {
    SplashRun run(program);
    run.writeProbe();
    run.writeSplash(splash);
    EXPECT_TRUE(run.start());
    BoxFacts box;
    DWORD deadline = GetTickCount() + 15000;
    while (static_cast<LONG>(GetTickCount() - deadline) < 0) {
        if (HWND window = run.waitForWindow("SPLASH_BMP", 0)) {
            PostMessageA(window, WM_CLOSE, 0, 0);
            EXPECT_EQ(run.waitForExit(10000), 0u);
            return "";
        }
        if (run.waitForMessageBox(box, 0))
            break;
        pumpFor(10);
    }
    if (box.window == nullptr) {
        ADD_FAILURE() << "neither a window nor a box";
        return "?";
    }
    EXPECT_EQ(box.caption, "System Requirements Not Met");
    SplashRun::pressOk(box);
    EXPECT_EQ(run.waitForExit(10000), 0u);
    EXPECT_EQ(run.waitForWindow("SPLASH_BMP", 0, false), nullptr)
        << "no window after a failed check";
    return box.body.empty() ? "(empty)" : box.body;
}

SplashDescription requiring(const std::string& versions, const std::string& resolution,
                            const std::string& colour, const std::string& message = "") {
    SplashDescription splash = basicSplash();
    splash.targetFile = "probe.exe";
    splash.launchDelay = 60000;
    splash.versionList = versions;
    splash.resolution = resolution;
    splash.colourDepth = colour;
    splash.requirementsMessage = message;
    return splash;
}

} // namespace

TEST(Requirements, EachWindowsVersionAgainstSetsThatDoAndDoNotHoldIt) {
    struct Case {
        const char* program;
        const char* code;
    };
    for (const Case& c : {Case{"splash_win95.exe", "1"}, Case{"splash_win98.exe", "2"},
                          Case{"splash_winme.exe", "3"}, Case{"splash_nt40.exe", "4"},
                          Case{"splash_win2k.exe", "5"}, Case{"splash_winxp.exe", "6"}}) {
        SCOPED_TRACE(c.program);
        EXPECT_EQ(outcomeOf(c.program, requiring(c.code, "", "")), "");
        std::string others;
        for (const char* code : {"1", "2", "3", "4", "5", "6"})
            if (std::string(code) != c.code)
                others += std::string(code) + " ";
        EXPECT_EQ(outcomeOf(c.program, requiring(others, "", "")), defaultMessage);
    }
    // Later Windows is named by no code: every set fails it, as designed.
    EXPECT_EQ(outcomeOf("splash_win7.exe", requiring("1 2 3 4 5 6", "", "")), defaultMessage);
    EXPECT_EQ(outcomeOf("splash_win10.exe", requiring("1 2 3 4 5 6", "", "")), defaultMessage);
}

TEST(Requirements, ResolutionOnePixelShortFails) {
    EXPECT_EQ(outcomeOf("splash.exe", requiring("6", "1024 x 768", "")), "");
    EXPECT_EQ(outcomeOf("splash.exe", requiring("6", "1025 x 100", "")), defaultMessage);
    EXPECT_EQ(outcomeOf("splash.exe", requiring("6", "100 x 769", "")), defaultMessage);
    EXPECT_EQ(outcomeOf("splash.exe", requiring("6", "1025 X 9999", "")), defaultMessage)
        << "a capital X leaves only the width";
}

TEST(Requirements, ColourDepthOfThisScreen) {
#if SPLASH_SCREEN_DEPTH == 16
    EXPECT_EQ(outcomeOf("splash.exe", requiring("6", "", "16 bit")), "");
    EXPECT_EQ(outcomeOf("splash.exe", requiring("6", "", "8 bit")), "");
    EXPECT_EQ(outcomeOf("splash.exe", requiring("6", "", "24 bit")), defaultMessage);
#else
    EXPECT_EQ(outcomeOf("splash.exe", requiring("6", "", "24 bit")), "");
    EXPECT_EQ(outcomeOf("splash.exe", requiring("6", "", "32 bit")), "");
    EXPECT_EQ(outcomeOf("splash.exe", requiring("6", "", "33 bit")), defaultMessage);
#endif
}

TEST(Requirements, TheMessageShown) {
    EXPECT_EQ(outcomeOf("splash.exe", requiring("1", "", "", "Needs Windows 95.")),
              "Needs Windows 95.");
    EXPECT_EQ(outcomeOf("splash.exe", requiring("1", "", "", " \t\r\n ")), defaultMessage);
    EXPECT_EQ(outcomeOf("splash.exe", requiring("1", "", "", "  Kept as written.\n")),
              "  Kept as written.\n");
    // All three tests failing still give one box.
    EXPECT_EQ(outcomeOf("splash.exe", requiring("", "5000 x 5000", "64 bit", "Three.")), "Three.");
}
