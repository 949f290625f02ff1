// The build: what it writes decodes back through the player's own reader to the settings given,
// the warnings appear exactly where the player surprises, and refused builds write nothing.
#include "build_command.h"

#include "payload_reader.h"
#include "picture_fit.h"
#include "splash_settings.h"
#include "target_search.h"
#include "test_files.h"
#include "tool_error.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct BuildFixture {
    ScratchFolder folder;
    ByteVector player = fakePlayer();
    ByteVector picture = corpusFile("g/pal8.bmp");
    ByteVector sound = waveFile(1, 22050, 16, 300);
    BuildOptions options;

    BuildFixture() {
        writeFile(folder.path("logo.bmp"), picture);
        writeFile(folder.path("jingle.wav"), sound);
        writeFile(folder.path("readme.txt"), {'h', 'i'});
        options.picture = folder.path("logo.bmp");
        options.output = folder.path("setup.exe");
        options.target = "readme.txt";
    }

    PlayerImage embedded() const { return PlayerImage{player.data(), player.size()}; }
    BuildOutcome build() { return runBuild(options, embedded()); }

    // A refused build leaves the folder as the fixture made it (with `extra`).
    void expectUntouched(std::vector<std::string> extra = {}) {
        std::vector<std::string> names = {"jingle.wav", "logo.bmp", "readme.txt"};
        names.insert(names.end(), extra.begin(), extra.end());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, folder.names());
    }

    template <typename Error> std::string errorOf() {
        try {
            build();
        } catch (const Error& error) {
            return error.what();
        }
        return "";
    }
};

} // namespace

TEST(BuildCommand, RoundTripThroughThePlayersDecoder) {
    struct Case {
        bool sound;
        const char* versions;
        std::vector<int> codes;
        const char* resolution;
        UINT width, height;
        const char* depth;
        int bits;
        const char* message;
    };
    const Case cases[] = {
        {true,
         "1 2 3 4 5 6",
         {1, 2, 3, 4, 5, 6},
         "800 x 600",
         800,
         600,
         "16 bit",
         16,
         "Needs a better machine."},
        {false, "2 6", {2, 6}, "", 0, 0, "", 0, ""},
        {true, "4", {4}, "1 x 65535", 1, 65535, "32 bit", 32, "line one\nline two"},
    };
    for (const Case& c : cases) {
        BuildFixture f;
        if (c.sound)
            f.options.sound = f.folder.path("jingle.wav");
        f.options.target = "docs\\readme.txt";
        f.options.displayTime = 4321;
        f.options.launchDelay = 1234;
        f.options.versionList = c.versions;
        f.options.resolution = c.resolution;
        f.options.colourDepth = c.depth;
        f.options.message = c.message;
        f.options.imageOption = 0xA1B2C3D4;
        f.build();

        ByteVector written = readFile(f.options.output);
        ASSERT_GT(written.size(), f.player.size());
        EXPECT_TRUE(std::equal(f.player.begin(), f.player.end(), written.begin()));

        SplashSettings settings;
        settings.load(f.options.output);
        ASSERT_EQ(f.picture.size(), settings.picture.size);
        EXPECT_TRUE(std::equal(f.picture.begin(), f.picture.end(), settings.picture.data));
        if (c.sound) {
            ASSERT_EQ(f.sound.size(), settings.sound.size);
            EXPECT_TRUE(std::equal(f.sound.begin(), f.sound.end(), settings.sound.data));
        } else {
            EXPECT_EQ(nullptr, settings.sound.data);
        }
        EXPECT_EQ("docs\\readme.txt", settings.targetFile);
        EXPECT_EQ(4321u, settings.displayTime);
        EXPECT_EQ(1234u, settings.launchDelay);
        VersionSet expected;
        for (int code : c.codes)
            expected.insert(osVersionForCode(code));
        EXPECT_EQ(expected, settings.requiredVersions) << c.versions;
        EXPECT_EQ(c.width, settings.requiredResolution.width);
        EXPECT_EQ(c.height, settings.requiredResolution.height);
        EXPECT_EQ(c.bits, settings.requiredColourBits);
        EXPECT_EQ(c.message, settings.requirementsMessage);
        EXPECT_EQ(0xA1B2C3D4u, settings.imageOption);
        settings.release();
    }
}

TEST(BuildCommand, InputsStayAsTheyWereAndOnlyTheOutputAppears) {
    BuildFixture f;
    f.options.sound = f.folder.path("jingle.wav");
    f.options.picture = f.folder.path("logo.png");
    writeFile(f.options.picture, encodePng(gradientPicture(9, 9, true), 4));
    ByteVector png = readFile(f.options.picture);
    BuildOutcome outcome = f.build();
    EXPECT_EQ(png, readFile(f.options.picture));
    EXPECT_EQ(f.sound, readFile(f.options.sound));
    EXPECT_EQ(
        std::vector<std::string>({"jingle.wav", "logo.bmp", "logo.png", "readme.txt", "setup.exe"}),
        f.folder.names());
    EXPECT_EQ(2u, outcome.notes.size());
    ASSERT_EQ(1u, outcome.written.size());
    EXPECT_EQ("wrote \"" + f.options.output + "\" (" +
                  std::to_string(readFile(f.options.output).size()) + " bytes)",
              outcome.written[0]);
}

TEST(BuildCommand, WarningsWhereThePlayerSurprises) {
#ifdef _WIN32
    // The expected texts spell paths with '/'; the Windows build joins them with '\\'.
    GTEST_SKIP() << "expected texts are written for '/' paths";
#endif
    const std::string versionsXp =
        "only Windows 95, 98, Me, NT 4, 2000 and XP meet --versions: every later Windows (Vista "
        "and newer, also XP x64 and Server 2003) refuses the splash with the requirements message";
    struct Case {
        UINT display;
        UINT delay;
        const char* versions;
        const char* target;
        bool found;
        std::vector<std::string> warnings;
    };
    const Case cases[] = {
        {3000, 1000, "1 2 3 4 5 6", "a.exe", true, {versionsXp}},
        {3000,
         1000,
         "1 3",
         "a.exe",
         true,
         {"only Windows 95 and Me meet --versions: every later Windows (Vista and newer, also XP "
          "x64 and Server 2003) refuses the splash with the requirements message"}},
        {1049,
         1000,
         "1 2 3 4 5 6",
         "a.exe",
         true,
         {versionsXp, "the display time of 1049 ms ends less than 50 ms after the launch delay "
                      "of 1000 ms; the player raises it to 1050 ms"}},
        {1000,
         1000,
         "1 2 3 4 5 6",
         "a.exe",
         true,
         {versionsXp, "the display time of 1000 ms ends less than 50 ms after the launch delay "
                      "of 1000 ms; the player raises it to 1050 ms"}},
        {1050, 1000, "1 2 3 4 5 6", "a.exe", true, {versionsXp}},
        {3000,
         1000,
         "4",
         "a.exe",
         true,
         {"only Windows NT 4 meets --versions: every later Windows (Vista and newer, also XP x64 "
          "and Server 2003) refuses the splash with the requirements message"}},
        {999,
         1000,
         "1 2 3 4 5 6",
         "a.exe",
         true,
         {versionsXp, "the display time of 999 ms is shorter than the launch delay of 1000 ms: "
                      "the window hides after 999 ms and the target opens only after 1000 ms"}},
        {3000,
         1000,
         "1 2 3 4 5 6",
         "",
         false,
         {versionsXp, "no --target: when the launch delay ends the player reports \"The "
                      "application to load is unknown.\""}},
        {3000,
         1000,
         "6",
         "caf\xc3\xa9.exe",
         true,
         {"only Windows XP meets --versions: every later Windows (Vista and newer, also XP x64 and "
          "Server 2003) refuses the splash with the requirements message",
          "the target or the message holds characters outside ASCII, stored in code page 1252; "
          "the player shows them as written only on a Windows whose ANSI code page is 1252"}},
    };
    for (const Case& c : cases) {
        BuildSettings options;
        options.displayTime = c.display;
        options.launchDelay = c.delay;
        options.versionList = c.versions;
        options.target = c.target;
        EXPECT_EQ(c.warnings, settingsWarnings(options, TargetSearch{c.found, ""}))
            << c.display << " " << c.target;
    }

    BuildSettings missing;
    missing.output = "cd/setup.exe";
    missing.target = "setup\\install.exe";
    std::vector<std::string> warnings =
        settingsWarnings(missing, searchTarget(missing.output, missing.target));
    ASSERT_EQ(2u, warnings.size());
    EXPECT_EQ("the target \"setup\\install.exe\" is not beside \"cd/setup.exe\" (looked for "
              "\"cd/setup/install.exe\"); the player reports \"Cannot Run File\" unless it is "
              "there when the splash runs",
              warnings[1]);
}

TEST(BuildCommand, TargetIsLookedForBesideTheOutput) {
    BuildFixture f;
    auto targetWarnings = [&f] {
        BuildOutcome outcome = f.build();
        return std::count_if(outcome.warnings.begin(), outcome.warnings.end(),
                             [](const std::string& w) { return w.find("the target") == 0; });
    };
    f.options.force = true;
    EXPECT_EQ(0, targetWarnings());
    f.options.target = "readme.doc";
    EXPECT_EQ(1, targetWarnings());
}

TEST(BuildCommand, RefusedBuildsWriteNothing) {
    {
        BuildFixture f;
        writeFile(f.options.output, {'o', 'l', 'd'});
        EXPECT_EQ("\"" + f.options.output + "\" exists; --force replaces it",
                  f.errorOf<InputError>());
        EXPECT_EQ(ByteVector({'o', 'l', 'd'}), readFile(f.options.output));
        f.options.force = true;
        f.build();
        EXPECT_NE(ByteVector({'o', 'l', 'd'}), readFile(f.options.output));
    }
    {
        BuildFixture f;
        f.options.output = f.options.picture;
        f.options.force = true;
        EXPECT_EQ("\"" + f.options.picture +
                      "\" is an input of this build; inputs are never "
                      "written",
                  f.errorOf<InputError>());
        EXPECT_EQ(f.picture, readFile(f.options.picture));
    }
    {
        BuildFixture f;
        f.player.clear();
        EXPECT_EQ("this splashpack was built without a player; name one with --player FILE",
                  f.errorOf<UsageError>());
        writeFile(f.folder.path("player.exe"), fakePlayer());
        f.options.player = f.folder.path("player.exe");
        f.build();
        EXPECT_TRUE(
            std::equal(f.player.begin(), f.player.end(), readFile(f.options.output).begin()));
        // A finished splash is no player to build on.
        f.options.player = f.options.output;
        f.options.output = f.folder.path("second.exe");
        EXPECT_EQ("player \"" + f.options.player +
                      "\" already carries a splash (it ends in a trailer); give the bare player",
                  f.errorOf<InputError>());
    }
    {
        BuildFixture f;
        writeFile(f.options.picture, {'G', 'I', 'F', '8', '9', 'a', 0});
        EXPECT_EQ(0u, f.errorOf<InputError>().find("picture \"" + f.options.picture +
                                                   "\" cannot be read: "));
        f.expectUntouched();
    }
    {
        BuildFixture f;
        f.options.sound = f.folder.path("logo.bmp");
        EXPECT_EQ("sound \"" + f.options.sound + "\" is not a WAV file (no RIFF/WAVE header)",
                  f.errorOf<InputError>());
        f.expectUntouched();
    }
    {
        BuildFixture f;
        f.options.message = std::string("a\0b", 3);
        EXPECT_EQ("the splash cannot be built: buildPayloadBlock - the requirements message "
                  "holds a NUL character.",
                  f.errorOf<InputError>());
        f.expectUntouched();
    }
    {
        BuildFixture f;
        f.options.autorun = true;
        f.options.output = f.folder.path("my setup.exe");
        EXPECT_EQ("autorun.inf cannot open \"my setup.exe\": its open= line is a command line, "
                  "so the name must hold no spaces",
                  f.errorOf<InputError>());
        f.options.output = f.folder.path("setup.exe");
        writeFile(f.folder.path("autorun.inf"), {'x'});
        EXPECT_EQ("\"" + f.folder.path("autorun.inf") + "\" exists; --force replaces it",
                  f.errorOf<InputError>());
        f.expectUntouched({"autorun.inf"});
    }
}

// --player takes a bare Windows GUI program for x86 only; the refused build writes nothing.
TEST(BuildCommand, PlayersThatAreRefused) {
    auto changed = [](std::initializer_list<std::pair<std::size_t, unsigned char>> bytes) {
        ByteVector player = fakePlayer();
        for (const auto& change : bytes)
            player[change.first] = change.second;
        return player;
    };
    ByteVector withTrailer = fakePlayer();
    withTrailer.insert(withTrailer.end(), trailerMarker, trailerMarker + sizeof trailerMarker);
    withTrailer.insert(withTrailer.end(), {0xFF, 0xFF, 0, 0}); // a size the reader refuses
    struct Case {
        ByteVector player;
        const char* problem;
    };
    const Case cases[] = {
        {ByteVector(100, 'x'), " is not a Windows program: it does not start with \"MZ\""},
        {changed({{0x3C, 0xF0}, {0x3D, 0xFF}}), " is not a Windows program: it has no PE header"},
        {changed({{0x81, 'X'}}), " is not a Windows program: it has no PE header"},
        {changed({{0x84, 0x64}, {0x85, 0xAA}}),
         " is not a program for x86 Windows (machine 43620)"},
        {changed({{0x94, 0x10}}), " is not a Windows program: its optional header is cut short"},
        {changed({{0xDC, 3}}), " is not a Windows GUI program (subsystem 3); the player is one"},
        {withTrailer, " already carries a splash (it ends in a trailer); give the bare player"},
    };
    for (const Case& c : cases) {
        BuildFixture f;
        writeFile(f.folder.path("player.exe"), c.player);
        f.options.player = f.folder.path("player.exe");
        EXPECT_EQ("player \"" + f.options.player + "\"" + c.problem, f.errorOf<InputError>());
        f.expectUntouched({"player.exe"});
    }
    BuildFixture amd64;
    writeFile(amd64.folder.path("player.exe"), changed({{0x84, 0x64}, {0x85, 0x86}}));
    amd64.options.player = amd64.folder.path("player.exe");
    EXPECT_EQ("", amd64.errorOf<InputError>());
}

TEST(BuildCommand, AutorunOpensTheSplash) {
    EXPECT_EQ("[autorun]\r\nopen=setup.exe\r\nicon=setup.exe\r\n", autorunText("setup.exe", ""));
    EXPECT_EQ("[autorun]\r\nopen=a.exe\r\nicon=a.exe\r\nlabel=Demo Disc\r\n",
              autorunText("a.exe", "Demo Disc"));
    BuildFixture f;
    f.options.autorun = true;
    f.options.autorunLabel = "Demo";
    BuildOutcome outcome = f.build();
    std::string text = autorunText("setup.exe", "Demo");
    EXPECT_EQ(ByteVector(text.begin(), text.end()), readFile(f.folder.path("autorun.inf")));
    ASSERT_EQ(2u, outcome.written.size());
    EXPECT_EQ("wrote \"" + f.folder.path("autorun.inf") + "\"", outcome.written[1]);
}

TEST(BuildCommand, FitShrinksToThePlayersSizeAndWarnsWithoutIt) {
    // A picture with one-pixel black and white stripes: shrunk to half in linear light it is a
    // light grey near 188, where averaging the stored values would give 128.
    RgbaPicture stripes;
    stripes.width = 400;
    stripes.height = 250;
    for (UINT y = 0; y < stripes.height; ++y)
        for (UINT x = 0; x < stripes.width; ++x) {
            unsigned char value = x % 2 ? 255 : 0;
            stripes.rgba.insert(stripes.rgba.end(), {value, value, value, 255});
        }
    struct Case {
        const char* what;
        RgbaPicture picture;
        bool png;
        UINT fitWidth, fitHeight; // 0: no --fit
        UINT width, height;       // what goes into the splash
        bool stretchWarned;       // with --min-resolution 200x150
    };
    const Case cases[] = {
        {"wider", stripes, false, 200, 150, 200, 125, false},
        {"taller", gradientPicture(125, 250, false), false, 200, 150, 75, 150, false},
        {"one pixel wider", gradientPicture(201, 150, false), false, 200, 150, 200, 149, false},
        {"a thin line keeps a pixel", gradientPicture(3, 300, false), false, 100, 100, 1, 100,
         false},
        {"fits: byte for byte", gradientPicture(200, 150, false), false, 200, 150, 200, 150, false},
        {"fits: converted as without --fit", gradientPicture(64, 48, false), true, 200, 150, 64, 48,
         false},
        {"no --fit: warned", gradientPicture(201, 150, false), false, 0, 0, 201, 150, true},
        {"no --fit, fits: quiet", gradientPicture(200, 150, false), false, 0, 0, 200, 150, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BuildFixture f;
        ByteVector input =
            c.png ? encodePng(c.picture, 4) : encodeBitmap24(c.picture, Rgb{255, 255, 255});
        f.options.picture = f.folder.path(c.png ? "logo.png" : "logo.bmp");
        writeFile(f.options.picture, input);
        f.options.fitWidth = c.fitWidth;
        f.options.fitHeight = c.fitHeight;
        f.options.resolution = "200 x 150";
        BuildOutcome outcome = f.build();

        SplashSettings settings;
        settings.load(f.options.output);
        ByteVector shown(settings.picture.data, settings.picture.data + settings.picture.size);
        settings.release();
        RgbaPicture picture = readBitmap24(shown);
        EXPECT_EQ(c.width, picture.width);
        EXPECT_EQ(c.height, picture.height);
        if (!c.png && c.width == c.picture.width && c.height == c.picture.height) {
            EXPECT_EQ(input, shown);
        }
        if (c.png) {
            EXPECT_EQ(0, largestDifference(c.picture, picture));
        }
        if (c.picture.rgba == stripes.rgba) {
            EXPECT_NEAR(188, picture.rgba[(62 * 200 + 100) * 4], 4);
            EXPECT_EQ("picture \"" + f.options.picture +
                          "\" shrunk from 400 x 250 to 200 x 125 pixels to fit 200 x 150 (--fit)",
                      outcome.notes.back());
        }
        bool warned = std::any_of(outcome.warnings.begin(), outcome.warnings.end(),
                                  [](const std::string& w) { return w.find("--fit") != w.npos; });
        EXPECT_EQ(c.stretchWarned, warned);
    }
    EXPECT_EQ("the picture of 201 x 150 is larger than the smallest screen (200 x 150), where "
              "the player stretches it to 200 x 149 on every paint: slower to show, and coarser "
              "on Windows 95, 98 and Me, which lack halftone; --fit 200x150 shrinks it once when "
              "the splash is built",
              stretchWarning(WindowSize{201, 150}, "200 x 150"));
    EXPECT_EQ("", stretchWarning(WindowSize{201, 150}, ""));
}
