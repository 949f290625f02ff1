// Splashes made by the authoring tool run as the player shows them: the tool converts a PNG and
// the player draws the converted pixels; a picture the tool fitted to the screen is drawn
// unscaled; on the 16-bit screen, the player shows what the tool's preview drew for it.
#include "splash_driver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include "stb_image_write.h"
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include "stb_image.h"

using namespace driver;

namespace {

// Runs splashpack with `arguments` and returns its exit code.
DWORD runSplashpack(const std::string& arguments) {
    std::string command = "\"" + windowsPath(SPLASHPACK_PATH) + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION tool{};
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &tool))
        return 1;
    WaitForSingleObject(tool.hProcess, 60000);
    DWORD toolExit = 1;
    GetExitCodeProcess(tool.hProcess, &toolExit);
    CloseHandle(tool.hProcess);
    CloseHandle(tool.hThread);
    return toolExit;
}

// A PNG of that size whose colours change along both axes; its pixels are returned as RGB.
std::vector<unsigned char> writeGradientPng(const std::string& path, int width, int height) {
    std::vector<unsigned char> rgb(width * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            unsigned char* p = &rgb[(y * width + x) * 3];
            p[0] = static_cast<unsigned char>(x * 255 / width);
            p[1] = static_cast<unsigned char>(y * 255 / height);
            p[2] = static_cast<unsigned char>((x + y) % 256);
        }
    if (stbi_write_png(path.c_str(), width, height, 3, rgb.data(), width * 3) == 0)
        rgb.clear();
    return rgb;
}

std::string buildArguments(const SplashRun& run, const std::string& picture) {
    return "build --player \"" + windowsPath(SPLASH_PLAYER_FILE) + "\" --picture \"" + picture +
           "\" --target probe.exe --display-time 60s --launch-delay 20s --output \"" +
           run.programPath() + "\" --quiet";
}

} // namespace

#if SPLASH_SCREEN_DEPTH == 16
// The preview of a 16-bit screen keeps the bits such a screen keeps: the player's window, read
// back from the screen, holds the preview's pixels.
TEST(Authored, ThePreviewOfASixteenBitScreenIsWhatThePlayerShows) {
    SplashRun run;
    const int width = 256, height = 64;
    const std::string png = run.folder() + "\\picture.png";
    ASSERT_FALSE(writeGradientPng(png, width, height).empty());
    run.writeProbe();
    ASSERT_EQ(runSplashpack(buildArguments(run, png)), 0u);
    const std::string preview = run.folder() + "\\preview.png";
    ASSERT_EQ(runSplashpack("preview \"" + run.programPath() +
                            "\" --screen 1024x768 --depth 16 -o \"" + preview + "\""),
              0u);
    const ByteVector previewBytes = fileBytes(preview);
    int previewWidth = 0, previewHeight = 0, channels = 0;
    unsigned char* drawn =
        stbi_load_from_memory(previewBytes.data(), static_cast<int>(previewBytes.size()),
                              &previewWidth, &previewHeight, &channels, 3);
    ASSERT_NE(drawn, nullptr);
    ASSERT_EQ(previewWidth, 1024);

    ASSERT_TRUE(run.start());
    const ShownSplash shown = captureShownSplash(run);
    ASSERT_NE(shown.window, nullptr);
    const HWND window = shown.window;
    const RECT& rect = shown.rect;
    EXPECT_EQ(rect.left, (1024 - width) / 2);
    EXPECT_EQ(rect.top, (768 - height) / 2);
    ASSERT_EQ(rect.right - rect.left, width);
    ASSERT_EQ(rect.bottom - rect.top, height);
    const std::vector<UINT>& screen = shown.pixels;
    int differing = 0;
    UINT firstShown = 0, firstDrawn = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned char* p = &drawn[((rect.top + y) * previewWidth + rect.left + x) * 3];
            const UINT expected =
                static_cast<UINT>(p[0]) << 16 | static_cast<UINT>(p[1]) << 8 | p[2];
            if (screen[y * width + x] != expected && differing++ == 0) {
                firstShown = screen[y * width + x];
                firstDrawn = expected;
            }
        }
    stbi_image_free(drawn);
    EXPECT_EQ(differing, 0) << std::hex << "first: shown " << firstShown << ", previewed "
                            << firstDrawn;
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(run.waitForExit(10000), 0u);
}
#else
TEST(Authored, APngSplashBuiltBySplashpackShowsItsPixels) {
    SplashRun run;
    const int width = 40, height = 30;
    const std::string png = run.folder() + "\\picture.png";
    std::vector<unsigned char> rgb = writeGradientPng(png, width, height);
    ASSERT_FALSE(rgb.empty());
    run.writeProbe();
    ASSERT_EQ(runSplashpack(buildArguments(run, png)), 0u);

    ASSERT_TRUE(run.start());
    const ShownSplash shown = captureShownSplash(run);
    ASSERT_NE(shown.window, nullptr);
    const HWND window = shown.window;
    const RECT& rect = shown.rect;
    ASSERT_EQ(rect.right - rect.left, width);
    ASSERT_EQ(rect.bottom - rect.top, height);
    const std::vector<UINT>& screen = shown.pixels;
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

// Fitted for this 1024 x 768 screen at build time, a 1600 x 1000 picture becomes the player's
// own 1024 x 640, and the player draws those pixels as they are.
TEST(Authored, APictureFittedAtBuildTimeIsDrawnUnscaled) {
    SplashRun run;
    const std::string png = run.folder() + "\\large.png";
    ASSERT_FALSE(writeGradientPng(png, 1600, 1000).empty());
    run.writeProbe();
    ASSERT_EQ(runSplashpack(buildArguments(run, png) + " --fit 1024x768"), 0u);
    ASSERT_EQ(runSplashpack("extract --picture \"" + run.folder() + "\\shown.bmp\" \"" +
                            run.programPath() + "\" --quiet"),
              0u);
    const ByteVector bmp = fileBytes(run.folder() + "\\shown.bmp");
    ASSERT_GT(bmp.size(), 54u);
    const int width = static_cast<int>(bmp[18] | bmp[19] << 8);
    const int height = static_cast<int>(bmp[22] | bmp[23] << 8);
    ASSERT_EQ(width, 1024);
    ASSERT_EQ(height, 640);
    const size_t stride = (width * 3 + 3) / 4 * 4;
    ASSERT_EQ(bmp.size(), 54 + stride * height);

    ASSERT_TRUE(run.start());
    const ShownSplash shown = captureShownSplash(run);
    ASSERT_NE(shown.window, nullptr);
    const HWND window = shown.window;
    const RECT& rect = shown.rect;
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 64);
    ASSERT_EQ(rect.right - rect.left, width);
    ASSERT_EQ(rect.bottom - rect.top, height);
    const std::vector<UINT>& screen = shown.pixels;
    int differing = 0, sampled = 0;
    for (int y = 0; y < height; y += 7)
        for (int x = 0; x < width; x += 11) {
            // The BMP's rows run from the bottom up, blue first.
            const unsigned char* p = &bmp[54 + (height - 1 - y) * stride + x * 3];
            UINT expected = static_cast<UINT>(p[2]) << 16 | static_cast<UINT>(p[1]) << 8 | p[0];
            ++sampled;
            if (screen[y * width + x] != expected)
                ++differing;
        }
    EXPECT_GT(sampled, 8000);
    EXPECT_EQ(differing, 0);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(run.waitForExit(10000), 0u);
}

// Stored in 256 colours, the picture is an 8-bit BMP with its own palette, which the player
// draws as it is: every pixel on the screen is the palette entry its index names.
TEST(Authored, APaletteSplashIsDrawnFromItsColourTable) {
    SplashRun run;
    const int width = 64, height = 48;
    const std::string png = run.folder() + "\\picture.png";
    ASSERT_FALSE(writeGradientPng(png, width, height).empty());
    run.writeProbe();
    ASSERT_EQ(runSplashpack(buildArguments(run, png) + " --colours 256"), 0u);
    ASSERT_EQ(runSplashpack("extract --picture \"" + run.folder() + "\\shown.bmp\" \"" +
                            run.programPath() + "\" --quiet"),
              0u);
    const ByteVector bmp = fileBytes(run.folder() + "\\shown.bmp");
    ASSERT_GT(bmp.size(), 54u);
    ASSERT_EQ(bmp[28], 8); // bits a pixel
    const size_t entries = bmp[46] | bmp[47] << 8;
    const size_t stride = (width + 3) / 4 * 4;
    ASSERT_EQ(bmp.size(), 54 + entries * 4 + stride * height);

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
            const size_t index = bmp[54 + entries * 4 + (height - 1 - y) * stride + x];
            ASSERT_LT(index, entries);
            const unsigned char* entry = &bmp[54 + index * 4];
            UINT expected =
                static_cast<UINT>(entry[2]) << 16 | static_cast<UINT>(entry[1]) << 8 | entry[0];
            if (screen[y * width + x] != expected)
                ++differing;
        }
    EXPECT_EQ(differing, 0);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(run.waitForExit(10000), 0u);
}

// Converted at build time to 11025 Hz, 8 bits, the sound plays through the system whole: the
// device receives about as many bytes as the stored sound holds.
TEST(Authored, AConvertedSoundPlaysAtItsNewLength) {
    SplashRun run;
    const std::string png = run.folder() + "\\picture.png";
    ASSERT_FALSE(writeGradientPng(png, 40, 30).empty());
    const std::string wav = run.folder() + "\\tone.wav";
    const ByteVector tone = toneWav(1.0);
    std::ofstream(wav, std::ios::binary)
        .write(reinterpret_cast<const char*>(tone.data()),
               static_cast<std::streamsize>(tone.size()));
    run.writeProbe();
    ASSERT_EQ(runSplashpack(buildArguments(run, png) + " --sound \"" + wav +
                            "\" --sound-rate 11025 --sound-bits 8"),
              0u);
    ASSERT_EQ(runSplashpack("extract --sound \"" + run.folder() + "\\stored.wav\" --picture \"" +
                            run.folder() + "\\stored.bmp\" \"" + run.programPath() + "\" --quiet"),
              0u);
    const ByteVector stored = fileBytes(run.folder() + "\\stored.wav");
    // One second of 8-bit mono at 11025 Hz, and the pad byte that keeps the chunk even.
    ASSERT_EQ(stored.size(), 44u + 11025u + 1u);

    const std::string captured = windowsPath(soundCaptureFile());
    std::filesystem::remove(captured);
    ASSERT_TRUE(run.start());
    HWND window = run.waitForWindow("SPLASH_BMP", 15000);
    ASSERT_NE(window, nullptr);
    pumpFor(2500);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(run.waitForExit(10000), 0u);
    std::error_code error;
    const double played = static_cast<double>(std::filesystem::file_size(captured, error));
    EXPECT_GE(played, 0.8 * 11025);
    EXPECT_LE(played, 3.0 * 11025);
    std::filesystem::remove(captured);
}
#endif
