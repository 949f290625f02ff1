// The splashpack.exe an author unpacks from the zip makes a splash that runs: built from a PNG, a
// WAV and a target with the player the tool carries, it shows the PNG's pixels and launches the
// target. The package, its unpacking and the build happen before this program runs
// (package_splash.sh, its fixture), since cpack and unzip are Linux programs.
#include "splash_driver.h"

#include <gtest/gtest.h>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include "stb_image.h"

using namespace driver;

TEST(Packaged, ASplashBuiltByThePackagedToolShowsItsPictureAndLaunchesItsTarget) {
    const std::string folder = windowsPath(SPLASH_PACKAGE_FOLDER);
    const ByteVector png = fileBytes(folder + "\\picture.png");
    int width = 0, height = 0, channels = 0;
    unsigned char* rgb = stbi_load_from_memory(png.data(), static_cast<int>(png.size()), &width,
                                               &height, &channels, 3);
    ASSERT_NE(rgb, nullptr);

    SplashRun run;
    run.writeProgram(fileBytes(folder + "\\splash.exe"));
    run.writeProbe();
    ASSERT_TRUE(run.start());
    const ShownSplash shown = captureShownSplash(run);
    ASSERT_NE(shown.window, nullptr);
    const HWND window = shown.window;
    const RECT& rect = shown.rect;
    EXPECT_EQ(rect.right - rect.left, width);
    EXPECT_EQ(rect.bottom - rect.top, height);
    const std::vector<UINT>& screen = shown.pixels;
    int differing = 0;
    for (int i = 0; i < width * height && i < static_cast<int>(screen.size()); ++i) {
        UINT expected = static_cast<UINT>(rgb[i * 3]) << 16 |
                        static_cast<UINT>(rgb[i * 3 + 1]) << 8 | rgb[i * 3 + 2];
        if (screen[i] != expected)
            ++differing;
    }
    stbi_image_free(rgb);
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(run.waitForProbeRuns(1, 15000).size(), 1u);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(run.waitForExit(10000), 0u);
}
