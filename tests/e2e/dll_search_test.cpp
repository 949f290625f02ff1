// A player copied beside a planted winmm.dll never loads it, even where the system is told to
// prefer a DLL found beside the program (the rig's override for splash_planted.exe), and its
// sound still plays through the system's own library.
#include "splash_driver.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace driver;

namespace {

const char* const programName = "splash_planted.exe";

bool plantWasLoaded(const SplashRun& run) {
    return std::filesystem::exists(run.folder() + "\\planted.log");
}

void plantBeside(SplashRun& run) {
    run.writeFile("winmm.dll", fileBytes(windowsPath(SPLASH_PLANTED_LIBRARY)));
}

} // namespace

// Without this, the test below could pass on a rig that never loads a planted DLL at all.
TEST(DllSearch, ThePlantIsLoadedByAProgramThatSearchesBesideItself) {
    SplashRun run(programName);
    run.writeProgram(fileBytes(windowsPath(SPLASH_PLAIN_LOADER)));
    plantBeside(run);
    ASSERT_TRUE(run.start());
    EXPECT_EQ(run.waitForExit(20000), 0u);
    EXPECT_TRUE(plantWasLoaded(run));
}

TEST(DllSearch, ThePlayerLoadsTheSystemsLibraryAndPlays) {
    const std::string captured = windowsPath(soundCaptureFile());
    std::filesystem::remove(captured);
    SplashRun run(programName);
    SplashDescription splash = basicSplash();
    splash.launchDelay = 20000;
    splash.sound = toneWav(0.5);
    splash.targetFile = "probe.exe";
    run.writeProbe();
    run.writeSplash(splash);
    plantBeside(run);
    ASSERT_TRUE(run.start());
    HWND window = run.waitForWindow("SPLASH_BMP", 15000);
    ASSERT_NE(window, nullptr);
    pumpFor(1500);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(run.waitForExit(20000), 0u);
    EXPECT_FALSE(plantWasLoaded(run));
    std::error_code error;
    EXPECT_GT(std::filesystem::file_size(captured, error), 0u) << "no sound was played";
    std::filesystem::remove(captured);
}
