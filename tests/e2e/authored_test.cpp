// A splash made by the authoring tool from a PNG runs as the player shows it: the tool converts
// the picture, and the player draws the converted pixels.
#include "splash_driver.h"

#include <gtest/gtest.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include "stb_image_write.h"

using namespace driver;

TEST(Authored, APngSplashBuiltBySplashpackShowsItsPixels) {
    SplashRun run;
    const int width = 40, height = 30;
    std::vector<unsigned char> rgb(width * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            unsigned char* p = &rgb[(y * width + x) * 3];
            p[0] = static_cast<unsigned char>(x * 6);
            p[1] = static_cast<unsigned char>(y * 8);
            p[2] = 0x80;
        }
    const std::string png = run.folder() + "\\picture.png";
    ASSERT_NE(stbi_write_png(png.c_str(), width, height, 3, rgb.data(), width * 3), 0);
    run.writeProbe();

    std::string command =
        "\"" + windowsPath(SPLASHPACK_PATH) + "\" build --player \"" +
        windowsPath(SPLASH_PLAYER_FILE) + "\" --picture \"" + png +
        "\" --target probe.exe --display-time 60s --launch-delay 20s --output \"" +
        run.programPath() + "\" --quiet";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION tool{};
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &tool));
    WaitForSingleObject(tool.hProcess, 60000);
    DWORD toolExit = 1;
    GetExitCodeProcess(tool.hProcess, &toolExit);
    CloseHandle(tool.hProcess);
    CloseHandle(tool.hThread);
    ASSERT_EQ(toolExit, 0u);

    ASSERT_TRUE(run.start());
    HWND window = run.waitForWindow("SPLASH_BMP", 15000);
    ASSERT_NE(window, nullptr);
    pumpFor(300);
    RECT rect = factsOf(window).rect;
    ASSERT_EQ(rect.right - rect.left, width);
    ASSERT_EQ(rect.bottom - rect.top, height);
    std::vector<UINT> screen = captureScreen(rect);
    int differing = 0;
    for (int i = 0; i < width * height; ++i) {
        UINT expected = static_cast<UINT>(rgb[i * 3]) << 16 |
                        static_cast<UINT>(rgb[i * 3 + 1]) << 8 | rgb[i * 3 + 2];
        if (screen[i] != expected)
            ++differing;
    }
    EXPECT_EQ(differing, 0);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(run.waitForExit(10000), 0u);
    EXPECT_EQ(run.waitForProbeRuns(1, 5000).size(), 1u);
}
