// A splash that its author signed after splashpack built it runs as it would unsigned: its
// trailer is found before the certificate table that signing appended. The build and the signing
// happen before this program runs (sign_splash.sh, its fixture), since the signing tool is a
// Linux program.
#include "splash_driver.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace driver;

TEST(Signed, ASignedSplashShowsItsPictureAndLaunchesItsTarget) {
    const std::string folder = windowsPath(SPLASH_SIGNED_FOLDER);
    const ByteVector signedSplash = fileBytes(folder + "\\splash.exe");
    const ByteVector bmp = fileBytes(folder + "\\picture.bmp");
    // The table, not the trailer, ends the file: the player has to look before it.
    ASSERT_GT(signedSplash.size(), 20u);
    ASSERT_NE(std::memcmp(&signedSplash[signedSplash.size() - 20], "Trailer Section", 16), 0);
    // splashpack makes the splash a multiple of 8 bytes long, so signing pads nothing: data
    // directory 4 names a table that starts where the unsigned splash, its trailer, ended.
    const ByteVector unsignedSplash = fileBytes(folder + "\\unsigned.exe");
    auto read32 = [&signedSplash](size_t at) {
        size_t value = 0;
        for (int i = 3; i >= 0; --i)
            value = value << 8 | signedSplash[at + i];
        return value;
    };
    const size_t optional = read32(0x3C) + 24;
    const bool pe32 = signedSplash[optional] == 0x0B && signedSplash[optional + 1] == 0x01;
    EXPECT_EQ(unsignedSplash.size() % 8, 0u);
    EXPECT_EQ(read32(optional + (pe32 ? 128 : 144)), unsignedSplash.size());
    ASSERT_GT(bmp.size(), 54u);
    const int width = bmp[18] | bmp[19] << 8;
    const int height = bmp[22] | bmp[23] << 8;
    const size_t stride = (width * 3 + 3) / 4 * 4;
    ASSERT_EQ(bmp.size(), 54 + stride * height);

    SplashRun run;
    run.writeProgram(signedSplash);
    run.writeProbe();
    ASSERT_TRUE(run.start());
    const ShownSplash shown = captureShownSplash(run);
    ASSERT_NE(shown.window, nullptr);
    const HWND window = shown.window;
    const RECT& rect = shown.rect;
    ASSERT_EQ(rect.right - rect.left, width);
    ASSERT_EQ(rect.bottom - rect.top, height);
    const std::vector<UINT>& screen = shown.pixels;
    int differing = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            // The BMP's rows run from the bottom up, blue first.
            const unsigned char* p = &bmp[54 + (height - 1 - y) * stride + x * 3];
            UINT expected = static_cast<UINT>(p[2]) << 16 | static_cast<UINT>(p[1]) << 8 | p[0];
            if (screen[y * width + x] != expected)
                ++differing;
        }
    EXPECT_EQ(differing, 0);
    // The launch delay is 1 s, the display time 60 s: the timer launches the target.
    EXPECT_EQ(run.waitForProbeRuns(1, 15000).size(), 1u);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(run.waitForExit(10000), 0u);
    EXPECT_EQ(run.probeRuns().size(), 1u) << "launched once";
}
