// The preview: the player's layout and requirements decisions on the screen asked for, a few
// pixels of what it draws, and the timeline in words.
#include "splash_preview.h"

#include "carried_font.h"
#include "splash_build.h"
#include "system_code_page.h"
#include "test_files.h"

#include <gtest/gtest.h>

namespace {

// A splash of a 400 x 300 picture (or a file the player refuses) needing 800 x 600 and 16 bit.
SplashReport splashOf(bool validPicture, UINT display, UINT launch, bool sound) {
    ByteVector player = fakePlayer();
    BuildSettings options;
    BuildInputs inputs;
    options.picture = "logo.bmp";
    MemoryInput picture(encodeBitmap24(gradientPicture(400, 300, false), Rgb{}));
    inputs.picture = &picture;
    MemoryInput tone(waveFile(1, 22050, 16, 22050 * 2 * 3)); // 3000 ms
    if (sound) {
        options.sound = "tone.wav";
        inputs.sound = &tone;
    }
    options.output = "splash.exe";
    options.target = "setup.exe";
    inputs.converter = &systemCodePage();
    inputs.targetUtf8 = options.target;
    options.displayTime = display;
    options.launchDelay = launch;
    options.resolution = "800 x 600";
    options.colourDepth = "16 bit";
    inputs.player = PlayerImage{player.data(), player.size()};
    SplashReport report = readSplashBytes(joinParts(buildSplash(options, inputs).parts),
                                          options.output, systemCodePage());
    if (!validPicture) {
        report.picture[0] = 'X';
        report.pictureVerdict = BitmapVerdict::notBitmapFile;
    }
    return report;
}

// The font the front-ends draw the requirements box with, the same on every system.
const PreviewFont& boxFont() {
    static const PreviewFont font = carriedPreviewFont();
    return font;
}

UINT pixel(const PreviewImage& image, UINT x, UINT y) {
    const unsigned char* p = &image.rgb[(std::size_t(y) * image.width + x) * 3];
    return UINT(p[0]) << 16 | UINT(p[1]) << 8 | p[2];
}

} // namespace

TEST(SplashPreview, LayoutRequirementsAndPixels) {
    struct Case {
        const char* what;
        bool valid;
        UINT width, height;
        std::int32_t bits;
        int version;
        bool met;
        WindowPlacement window;
    };
    const Case cases[] = {
        {"fits: centred", true, 1024, 768, 32, 6, true, {312, 234, 400, 300}},
        {"exactly the minimum", true, 800, 600, 16, 1, true, {200, 150, 400, 300}},
        {"refused picture: default window", false, 1024, 768, 32, 6, true, {452, 339, 120, 90}},
        {"too narrow", true, 799, 768, 32, 6, false, {}},
        {"too few colours", true, 1024, 768, 8, 6, false, {}},
        {"a version the splash lacks", true, 1024, 768, 32, 0, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SplashReport report = splashOf(c.valid, 3000, 1000, false);
        if (c.version == 0)
            report.versions = {osVersionForCode(1)};
        PreviewScreen screen{c.width, c.height, c.bits,
                             osVersionForCode(c.version ? c.version : 6)};
        PreviewPlan plan = planPreview(report, screen);
        EXPECT_EQ(c.met, plan.details.empty());
        PreviewImage image = renderPreview(report, screen, plan, {boxFont()});
        ASSERT_EQ(c.width, image.width);
        ASSERT_EQ(c.height, image.height);
        EXPECT_EQ(0u, pixel(image, 0, 0));
        EXPECT_EQ(0u, pixel(image, c.width - 1, c.height - 1));
        if (!c.met) {
            EXPECT_EQ("Sorry, your system does not meet all of the necessary system requirements.",
                      plan.message);
            // The box's grey face at the centre of the screen, where the picture would be.
            EXPECT_EQ(0xC0C0C0u, pixel(image, c.width / 2 - 150, c.height / 2));
            continue;
        }
        EXPECT_EQ(c.window.x, plan.window.x);
        EXPECT_EQ(c.window.y, plan.window.y);
        EXPECT_EQ(c.window.width, plan.window.width);
        EXPECT_EQ(c.window.height, plan.window.height);
        EXPECT_EQ(0u, pixel(image, c.window.x - 1, c.window.y));
        EXPECT_NE(0u, pixel(image, c.window.x + c.window.width - 1, c.window.y));
        if (c.valid) {
            // The picture's bottom-right pixel, unscaled: full red and green of the gradient.
            EXPECT_EQ(0xFFFF00u, pixel(image, c.window.x + c.window.width - 1,
                                       c.window.y + c.window.height - 1) &
                                     0xFFFF00u);
        }
    }
    // Letters the box's fonts lack are named, each once, so that the author is warned of boxes.
    EXPECT_EQ(U"", charactersNoFontHas("Caf\xc3\xa9\r\n\t\x01", {boxFont()}));
    EXPECT_EQ(U"\u30C6\u30B9",
              charactersNoFontHas("\xe3\x83\x86\xe3\x82\xb9\xe3\x83\x86 x", {boxFont()}));
}

TEST(SplashPreview, TimelineInWords) {
    struct Case {
        UINT display, launch;
        bool sound;
        std::string target;             // as read back, in UTF-8
        std::vector<std::string> lines; // after the requirements and picture lines
    };
    const Case cases[] = {
        {4000,
         1000,
         true,
         "setup.exe",
         {"Launch: \"setup.exe\" at 1000 ms", "Close: at 4000 ms",
          "Sound: 3000 ms, ends 1000 ms before the close"}},
        {1000,
         1000,
         true,
         "setup.exe",
         {"Launch: \"setup.exe\" at 1000 ms",
          "Close: at 1050 ms (the display time of 1000 ms is raised to 50 ms after the launch)",
          "Sound: 3000 ms, cut off at 1050 ms, 1950 ms before its end"}},
        {500,
         1000,
         false,
         "caf\xc3\xa9.exe",
         {"Launch: \"caf\xc3\xa9.exe\" at 1000 ms",
          "Close: the window hides and the sound stops at 500 ms; the player ends after the "
          "launch",
          "Sound: none"}},
        {4000,
         1000,
         true,
         "",
         {"Launch: at 1000 ms, with no target: the player reports \"The application to load is "
          "unknown.\"",
          "Close: not at 4000 ms: the box stops both timers and the sound at 1000 ms, and they "
          "start again at full length once it is dismissed",
          "Sound: 3000 ms, cut off at 1000 ms, 2000 ms before its end"}},
    };
    for (const Case& c : cases) {
        SplashReport report = splashOf(true, c.display, c.launch, c.sound);
        report.targetFile = c.target;
        PreviewScreen screen{1024, 768, 32, osVersionForCode(6)};
        std::vector<std::string> lines =
            previewTimeline(report, screen, planPreview(report, screen));
        ASSERT_EQ(6u, lines.size());
        EXPECT_EQ("Requirements: met on 1024 x 768, 32 bit, Windows XP", lines[0]);
        EXPECT_EQ("Picture: 400 x 300 at (312, 234), drawn as it is", lines[1]);
        EXPECT_EQ(c.lines, std::vector<std::string>(lines.begin() + 2, lines.end() - 1))
            << c.display;
        EXPECT_EQ(0u, lines.back().find("Start-up: from a CD-ROM"));
    }
}

// Each pixel as a screen of that depth keeps it: the player's draw, then the screen's colours.
TEST(SplashPreview, ColoursOfTheScreenDepth) {
    RgbaPicture picture;
    picture.width = 4;
    picture.height = 1;
    // The last is one of the four colours that a 256-colour screen adds to the VGA sixteen.
    picture.rgba = {0x12, 0x34, 0x56, 255, 0xF0, 0x20, 0x10, 255,
                    0xC8, 0xC4, 0xC2, 255, 0xA6, 0xCA, 0xF0, 255};
    struct Case {
        std::int32_t bits;
        SixteenBitLayout layout;
        UINT pixels[4];
        const char* colours; // the timeline's line, empty for none
    };
    const SixteenBitLayout l565 = SixteenBitLayout::red5green6blue5;
    const char* const fiveFiveFive =
        "Colours: 5-5-5 bits of red, green and blue a pixel, as a 16-bit screen keeps them";
    const char* const vga =
        "Colours: approximated: each pixel as the nearest of the 16 VGA colours, "
        "which a 16-colour screen has; Windows' own mapping may differ in places";
    const Case cases[] = {
        {32, l565, {0x123456, 0xF02010, 0xC8C4C2, 0xA6CAF0}, ""},
        {24, l565, {0x123456, 0xF02010, 0xC8C4C2, 0xA6CAF0}, ""},
        {16,
         l565,
         {0x103452, 0xF72010, 0xCEC7C6, 0xA5CBF7},
         "Colours: 5-6-5 bits of red, green and blue a pixel, as a 16-bit screen keeps them"},
        {16,
         SixteenBitLayout::red5green5blue5,
         {0x103152, 0xF72110, 0xCEC6C6, 0xA5CEF7},
         fiveFiveFive},
        // A 15-bit screen is 5-5-5 whatever the 16-bit layout.
        {15,
         l565,
         {0x103152, 0xF72110, 0xCEC6C6, 0xA5CEF7},
         "Colours: 5-5-5 bits of red, green and blue a pixel, as a 15-bit screen keeps them"},
        {8,
         l565,
         {0x000080, 0xFF0000, 0xC0C0C0, 0xA6CAF0},
         "Colours: approximated: each pixel as the nearest of the 20 static colours, since the "
         "player selects no palette; Windows' own mapping may differ in places"},
        {4, l565, {0x000080, 0xFF0000, 0xC0C0C0, 0xC0C0C0}, vga},
        // A 16-colour VGA driver reports 1 bit a pixel, in 4 planes.
        {1,
         l565,
         {0x000080, 0xFF0000, 0xC0C0C0, 0xC0C0C0},
         "Colours: approximated: each pixel as the nearest of the 16 VGA colours, which a "
         "16-colour screen has (a 16-colour VGA driver reports 1 bit a pixel, in 4 planes); "
         "Windows' own mapping may differ in places"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits);
        SplashReport report = splashOf(true, 3000, 1000, false);
        report.picture = encodeBitmap24(picture, Rgb{});
        report.pictureWidth = 4;
        report.pictureHeight = 1;
        report.colourBits = 0;
        PreviewScreen screen{800, 600, c.bits, osVersionForCode(6), c.layout};
        PreviewPlan plan = planPreview(report, screen);
        ASSERT_TRUE(plan.details.empty());
        PreviewImage image = renderPreview(report, screen, plan, {});
        for (UINT i = 0; i < 4; ++i)
            EXPECT_EQ(c.pixels[i], pixel(image, plan.window.x + i, plan.window.y)) << i;
        EXPECT_EQ(0u, pixel(image, 0, 0));
        std::vector<std::string> lines = previewTimeline(report, screen, plan);
        EXPECT_EQ(c.colours, c.colours[0] == '\0' ? "" : lines.at(1));
        EXPECT_EQ(c.colours[0] == '\0' ? 6u : 7u, lines.size());
    }
}
