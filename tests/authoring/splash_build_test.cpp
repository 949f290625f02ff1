// The build of a splash from bytes: what the core makes decodes back through the player's own
// reader to the settings given, and a picture larger than the screen is shrunk or warned about.
#include "splash_build.h"

#include "little_endian.h"
#include "picture_fit.h"
#include "player_bytes.h"
#include "sound_check.h"
#include "splash_report.h"
#include "system_code_page.h"
#include "test_files.h"
#include "tool_error.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Bytes in memory that count how often they are read whole.
class CountedInput : public MemoryInput {
  public:
    CountedInput(ByteVector bytes, int& reads) : MemoryInput(std::move(bytes)), reads(reads) {}
    ByteVector readAll() const override {
        ++reads;
        return MemoryInput::readAll();
    }

  private:
    int& reads;
};

struct CoreBuild {
    ByteVector player = fakePlayer();
    ByteVector picture = corpusFile("g/pal8.bmp");
    ByteVector sound = waveFile(1, 22050, 16, 300);
    BuildSettings options;
    std::vector<std::string> notes; // of the last build
    std::vector<Warning> warnings;

    KeptPicture* kept = nullptr; // the page's picture kept between builds; null for none
    int pictureReads = 0;        // of the picture's bytes, in all builds

    CoreBuild() {
        options.picture = "logo.bmp";
        options.output = "setup.exe";
        options.target = "readme.txt";
    }

    // The splash's bytes, its parts joined as a page joins them.
    ByteVector build() {
        CountedInput pictureInput(picture, pictureReads);
        MemoryInput soundInput(sound);
        BuildInputs inputs;
        inputs.player = PlayerImage{player.data(), player.size()};
        inputs.picture = &pictureInput;
        inputs.sound = options.sound.empty() ? nullptr : &soundInput;
        inputs.converter = &systemCodePage();
        inputs.targetUtf8 = options.target;
        inputs.messageUtf8 = options.message;
        inputs.keptPicture = kept;
        SplashBuild splash = buildSplash(options, inputs);
        notes = splash.notes;
        warnings = splash.warnings;
        return joinParts(splash.parts);
    }
};

} // namespace

TEST(SplashBuild, RoundTripThroughThePlayersDecoder) {
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
        CoreBuild f;
        if (c.sound)
            f.options.sound = "jingle.wav";
        f.options.target = "docs\\readme.txt";
        f.options.displayTime = 4321;
        f.options.launchDelay = 1234;
        f.options.versionList = c.versions;
        f.options.resolution = c.resolution;
        f.options.colourDepth = c.depth;
        f.options.message = c.message;
        f.options.imageOption = 0xA1B2C3D4;
        ByteVector written = f.build();
        ASSERT_GT(written.size(), f.player.size());
        EXPECT_TRUE(std::equal(f.player.begin(), f.player.end(), written.begin()));
        EXPECT_EQ(0u, written.size() % 8) << "signing pads nothing";

        SplashReport settings = readSplashBytes(written, f.options.output, systemCodePage());
        EXPECT_EQ(f.picture, settings.picture);
        if (c.sound)
            EXPECT_EQ(f.sound, settings.sound);
        else
            EXPECT_TRUE(settings.sound.empty());
        EXPECT_EQ("docs\\readme.txt", settings.targetFile);
        EXPECT_EQ(4321u, settings.displayTime);
        EXPECT_EQ(1234u, settings.launchDelay);
        VersionSet expected;
        for (int code : c.codes)
            expected.insert(osVersionForCode(code));
        EXPECT_EQ(expected, settings.versions) << c.versions;
        EXPECT_EQ(c.width, settings.resolution.width);
        EXPECT_EQ(c.height, settings.resolution.height);
        EXPECT_EQ(c.bits, settings.colourBits);
        EXPECT_EQ(c.message, settings.requirementsMessage);
        EXPECT_EQ(0xA1B2C3D4u, settings.imageOption);
    }
}

TEST(SplashBuild, FitShrinksToThePlayersSizeAndWarnsWithoutIt) {
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
        CoreBuild f;
        ByteVector input =
            c.png ? encodePng(c.picture, 4) : encodeBitmap24(c.picture, Rgb{255, 255, 255});
        f.options.picture = c.png ? "logo.png" : "logo.bmp";
        f.picture = input;
        f.options.fitWidth = c.fitWidth;
        f.options.fitHeight = c.fitHeight;
        f.options.resolution = "200 x 150";
        // The limits are those of the picture that goes in, after the fit.
        f.options.maxWidth = 201;
        f.options.maxHeight = 150;
        f.options.maxPictureBytes = 54 + 604 * 150;
        ByteVector shown = readSplashBytes(f.build(), f.options.output, systemCodePage()).picture;
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
                      f.notes.back());
        }
        // The stretched picture is a matter for --fit, which the warning names.
        bool warned = std::any_of(f.warnings.begin(), f.warnings.end(), [](const Warning& w) {
            return w.option == "fit" && w.text.find("--fit") != w.text.npos;
        });
        EXPECT_EQ(c.stretchWarned, warned);
    }
    CoreBuild tooLarge;
    tooLarge.picture = encodeBitmap24(stripes, Rgb{});
    tooLarge.options.fitWidth = 200;
    tooLarge.options.fitHeight = 150;
    tooLarge.options.maxPictureBytes = 1000;
    try {
        tooLarge.build();
        ADD_FAILURE() << "a fitted picture above --max-picture-bytes was taken";
    } catch (const InputError& error) {
        EXPECT_EQ(std::string("picture \"logo.bmp\" takes 75054 bytes, more than the limit of "
                              "1000 bytes (--max-picture-bytes)"),
                  error.what());
    }
    // In 16 colours the same picture goes in within a limit its 24-bit form exceeds.
    CoreBuild reduced;
    reduced.picture = encodeBitmap24(stripes, Rgb{});
    reduced.options.colours = PictureColours::palette16;
    reduced.options.maxPictureBytes = 60000;
    EXPECT_EQ(4u, readLittleEndian16(
                      &readSplashBytes(reduced.build(), "s", systemCodePage()).picture[28]));
    EXPECT_EQ("the picture of 201 x 150 is larger than the smallest screen (200 x 150), where "
              "the player stretches it to 200 x 149 on every paint: slower to show, and coarser "
              "on Windows 95, 98 and Me, which lack halftone; --fit 200x150 shrinks it once when "
              "the splash is built",
              stretchWarning(WindowSize{201, 150}, "200 x 150"));
    EXPECT_EQ("", stretchWarning(WindowSize{201, 150}, ""));
}

TEST(SplashBuild, AKeptPictureServesOnlyTheShapingItWasMadeFor) {
    // The page's sequence of changes: each row changes a setting, and the picture is read again
    // only when the setting shapes it; the splash is always the one a fresh build makes.
    struct Row {
        const char* change;
        void (*apply)(BuildSettings&);
        bool readAgain;
    };
    const Row rows[] = {
        {"first build", [](BuildSettings&) {}, true},
        {"target", [](BuildSettings& o) { o.target = "setup.exe"; }, false},
        {"message", [](BuildSettings& o) { o.message = "Too small"; }, false},
        {"display time", [](BuildSettings& o) { o.displayTime = 4000; }, false},
        {"fit", [](BuildSettings& o) { o.fitWidth = 64, o.fitHeight = 48; }, true},
        {"colours", [](BuildSettings& o) { o.colours = PictureColours::palette256; }, true},
        {"no dither", [](BuildSettings& o) { o.dither = false; }, true},
        {"background",
         [](BuildSettings& o) {
             o.background = Rgb{0, 0, 0};
         },
         true},
        {"key colour", [](BuildSettings& o) { o.shape = PictureShape::keyColour; }, true},
        {"largest picture", [](BuildSettings& o) { o.maxPictureBytes = 1 << 20; }, true},
        {"picture's name", [](BuildSettings& o) { o.picture = "other.png"; }, true},
        {"target again", [](BuildSettings& o) { o.target = "go.exe"; }, false},
    };
    KeptPicture kept;
    CoreBuild page;
    page.kept = &kept;
    page.picture = encodePng(gradientPicture(150, 100, true), 4);
    page.options.picture = "logo.png";
    for (const Row& row : rows) {
        SCOPED_TRACE(row.change);
        row.apply(page.options);
        const int readsBefore = page.pictureReads;
        const ByteVector built = page.build();
        EXPECT_EQ(row.readAgain, page.pictureReads > readsBefore);
        CoreBuild fresh;
        fresh.picture = page.picture;
        fresh.options = page.options;
        EXPECT_EQ(fresh.build(), built);
        EXPECT_EQ(fresh.notes, page.notes);
    }
}

TEST(SplashBuild, LighterPicturesAndSoundsAndTheSlowStartWarning) {
    struct Case {
        const char* what;
        PictureColours colours;
        bool dither;
        SoundTarget sound;
        unsigned pictureBits; // of the stored BMP
        UINT soundRate, soundChannels, soundBits;
        const char* offered; // the options the slow-start warning names; "" for no warning
    };
    const Case cases[] = {
        {"as given",
         PictureColours::all,
         true,
         {},
         24,
         44100,
         2,
         16,
         "--colours 256, --sound-rate 22050, --mono, --sound-bits 8"},
        {"256 colours",
         PictureColours::palette256,
         true,
         {},
         8,
         44100,
         2,
         16,
         "--sound-rate 22050, --mono, --sound-bits 8"},
        {"16 colours, lighter sound",
         PictureColours::palette16,
         false,
         {11025, 8, true},
         4,
         11025,
         1,
         8,
         ""},
        {"system colours, 16-bit mono",
         PictureColours::system,
         true,
         {0, 16, true},
         8,
         44100,
         1,
         16,
         "--sound-rate 22050, --sound-bits 8"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CoreBuild f;
        f.picture = encodeBitmap24(gradientPicture(320, 240, false), Rgb{});
        // A player of a megabyte, so that a second's reading at 8x turns on the payload.
        f.player.resize(1000000);
        f.sound = waveFile(2, 44100, 16, 200000);
        f.options.sound = "jingle.wav";
        f.options.displayTime = 10000;
        f.options.colours = c.colours;
        f.options.dither = c.dither;
        f.options.soundTarget = c.sound;
        SplashReport stored = readSplashBytes(f.build(), f.options.output, systemCodePage());
        EXPECT_EQ(c.pictureBits, readLittleEndian16(&stored.picture[28]));
        SoundFacts sound = checkSound(stored.sound, "stored");
        EXPECT_EQ(1u, sound.formatTag);
        EXPECT_EQ(c.soundRate, sound.samplesPerSecond);
        EXPECT_EQ(c.soundChannels, sound.channels);
        EXPECT_EQ(c.soundBits, sound.bitsPerSample);
        auto slow = std::find_if(f.warnings.begin(), f.warnings.end(), [](const Warning& w) {
            return w.text.find("from an 8x CD-ROM") != w.text.npos;
        });
        if (*c.offered == '\0') {
            EXPECT_EQ(f.warnings.end(), slow);
            continue;
        }
        ASSERT_NE(f.warnings.end(), slow);
        std::string offered;
        for (const char* option :
             {"--colours 256", "--sound-rate 22050", "--mono", "--sound-bits 8"})
            if (slow->text.find(std::string(option) + " would make it") != std::string::npos)
                offered += (offered.empty() ? "" : ", ") + std::string(option);
        EXPECT_EQ(c.offered, offered);
    }
}

// A signed player goes in as it was before it was signed, padding, table, directory entry and
// checksum undone, so that inspect names it as --version does.
TEST(SplashBuild, ASignedPlayerGoesInAsItWasBeforeSigning) {
    for (UINT size : {4096u, 4093u}) {
        CoreBuild f;
        const ByteVector bare = fakePlayer(size);
        f.player = signedCopy(bare);
        ByteVector written = f.build();
        EXPECT_TRUE(std::equal(bare.begin(), bare.end(), written.begin())) << size;
        EXPECT_EQ(0u, written.size() % 8);
        EXPECT_EQ((Warning{"player", "the player is signed: its certificate table is left out of "
                                     "the splash, since the payload appended after it would "
                                     "break that signature; sign the finished splash instead"}),
                  f.warnings.back());
        SplashReport report = readSplashBytes(written, f.options.output, systemCodePage());
        EXPECT_EQ(0u, report.tableBytes);
        EXPECT_EQ(size, report.playerBytes);
        EXPECT_EQ(fnv1a64(bare.data(), bare.size()), report.playerHash);
    }
}
