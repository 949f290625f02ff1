// The settings beyond the format in the authoring core: each goes into the payload's extension
// and comes back through inspect and --like; the key colour is chosen for transparent pixels and
// kept exact through --fit and --colours; the preview draws the shape and says when the splash
// fades and closes.
#include "bitmap_format.h"
#include "picture_fit.h"
#include "picture_key.h"
#include "splash_build.h"
#include "splash_preview.h"
#include "splash_report.h"
#include "system_code_page.h"
#include "test_files.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <functional>

namespace {

using Json = nlohmann::json;

const KeyColour magenta{255, 0, 255};

// A splash built from `picture` (any format the tool reads) with `options`, and what it warned.
struct Built {
    ByteVector file;
    std::vector<std::string> notes;
    std::vector<std::string> warnings; // "[option] text"
};

Built buildWith(const ByteVector& picture, BuildSettings options) {
    const ByteVector player = fakePlayer();
    options.picture = "logo.png";
    options.output = "splash.exe";
    if (options.target.empty())
        options.target = "setup.exe";
    MemoryInput pictureInput(picture);
    BuildInputs inputs;
    inputs.player = PlayerImage{player.data(), player.size()};
    inputs.picture = &pictureInput;
    inputs.converter = &systemCodePage();
    inputs.targetUtf8 = options.target;
    inputs.target.found = true;
    SplashBuild splash = buildSplash(options, inputs);
    Built built{joinParts(splash.parts), splash.notes, {}};
    for (const Warning& warning : splash.warnings)
        built.warnings.push_back("[" + warning.option + "] " + warning.text);
    return built;
}

SplashReport reportOf(const ByteVector& file) {
    return readSplashBytes(file, "splash.exe", systemCodePage());
}

std::string lineOf(const std::string& text, const std::string& label) {
    const std::size_t at = text.find("\n" + label + " ");
    if (at == std::string::npos)
        return "";
    const std::size_t start = text.find_first_not_of(' ', at + 1 + label.size());
    return text.substr(start, text.find('\n', start) - start);
}

bool anyContains(const std::vector<std::string>& texts, const std::string& part) {
    return std::any_of(texts.begin(), texts.end(), [&](const std::string& text) {
        return text.find(part) != std::string::npos;
    });
}

// A picture with a square of `inside` in a ground of `outside`, every pixel opaque.
RgbaPicture squareIn(UINT size, Rgb outside, Rgb inside, UINT from, UINT to) {
    RgbaPicture picture;
    picture.width = size;
    picture.height = size;
    for (UINT y = 0; y < size; ++y)
        for (UINT x = 0; x < size; ++x) {
            const bool in = x >= from && x < to && y >= from && y < to;
            const Rgb c = in ? inside : outside;
            picture.rgba.insert(picture.rgba.end(), {c.red, c.green, c.blue, 255});
        }
    return picture;
}

// The colours the player shows for the stored picture, top row first, 0x00RRGGBB.
std::vector<UINT> shownColours(const ByteVector& bmp) {
    const RgbaPicture shown = decodeShownBitmap(bmp);
    std::vector<UINT> colours;
    for (std::size_t at = 0; at < shown.rgba.size(); at += 4)
        colours.push_back(UINT(shown.rgba[at]) << 16 | UINT(shown.rgba[at + 1]) << 8 |
                          shown.rgba[at + 2]);
    return colours;
}

UINT colourOf(KeyColour key) {
    return UINT(key.red) << 16 | UINT(key.green) << 8 | key.blue;
}

} // namespace

TEST(ExtensionBuild, EachSettingGoesInAndComesBackThroughInspectAndLike) {
    const ByteVector picture = encodePng(squareIn(16, Rgb{0, 255, 0}, Rgb{9, 9, 9}, 4, 12), 4);
    struct Row {
        const char* what;
        std::function<void(BuildSettings&)> set;
        std::string textLine; // of inspect's text for the setting
        const char* label;
        const char* jsonKey;
        Json json;
    };
    const Row rows[] = {
        {"wait for the target", [](BuildSettings& o) { o.waitForTarget = true; },
         "yes: after the launch the splash closes once the target shows a window or ends, at "
         "the latest at 3000 ms",
         "Wait for target", "waitForTarget", Json(true)},
        {"a key colour",
         [](BuildSettings& o) {
             o.shape = PictureShape::keyColour;
             o.keyColour = Rgb{0, 255, 0};
         },
         "the pixels of #00ff00 are cut out of the window", "Shape", "keyColour", Json("#00ff00")},
        {"fades",
         [](BuildSettings& o) {
             o.fadeIn = 300;
             o.fadeOut = 500;
         },
         "in 300 ms, out 500 ms, on Windows 2000 and later", "Fades", "fadeOutMs", Json(500)},
        {"later Windows", [](BuildSettings& o) { o.laterWindows = true; },
         "yes: every Windows later than XP passes the version test", "Later Windows",
         "laterWindows", Json(true)},
    };
    const Built plain = buildWith(picture, BuildSettings());
    const SplashReport plainReport = reportOf(plain.file);
    EXPECT_FALSE(plainReport.extension.any());
    const std::string plainText = reportText(plainReport);
    EXPECT_EQ(lineOf(plainText, "Wait for target"), "no");
    EXPECT_EQ(lineOf(plainText, "Shape"), "none");
    EXPECT_EQ(lineOf(plainText, "Fades"), "none");
    EXPECT_EQ(lineOf(plainText, "Later Windows"), "no: the version test is exact");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        BuildSettings options;
        row.set(options);
        const Built built = buildWith(picture, options);
        const SplashReport report = reportOf(built.file);
        EXPECT_TRUE(report.extension.any());
        // The block of the plain splash, then the extension, then the trailer.
        EXPECT_GT(built.file.size(), plain.file.size());
        EXPECT_EQ(lineOf(reportText(report), row.label), row.textLine);
        EXPECT_EQ(Json::parse(reportJson(report))[row.jsonKey], row.json);
        // --like starts from every setting of the splash: the same picture gives the same bytes.
        BuildSettings like = settingsOfSplash(report);
        like.target = "setup.exe";
        EXPECT_EQ(buildWith(picture, like).file, built.file);
    }
}

TEST(ExtensionBuild, TransparentPixelsTakeAKeyColourNoOtherPixelShows) {
    // Magenta is in the picture, so the key must be another colour; the corner pixels are clear.
    RgbaPicture source = squareIn(8, Rgb{255, 0, 255}, Rgb{255, 0, 254}, 2, 6);
    const std::size_t clear[] = {0, 7, 56, 63};
    for (std::size_t pixel : clear)
        source.rgba[pixel * 4 + 3] = 100;
    source.rgba[9 * 4 + 3] = 128; // half opacity stays, blended over the background
    BuildSettings options;
    options.shape = PictureShape::transparency;
    options.background = Rgb{0, 0, 0};
    const Built built = buildWith(encodePng(source, 4), options);
    const SplashReport report = reportOf(built.file);
    ASSERT_TRUE(report.extension.shaped);
    const KeyColour key = report.extension.keyColour;
    EXPECT_EQ(colourOf(key), 0xFF00FDu) << "the first colour down from magenta that is free";
    const std::vector<UINT> colours = shownColours(report.picture);
    for (std::size_t pixel = 0; pixel < colours.size(); ++pixel) {
        const bool cut = std::find(std::begin(clear), std::end(clear), pixel) != std::end(clear);
        EXPECT_EQ(colours[pixel] == colourOf(key), cut) << "pixel " << pixel;
    }
    EXPECT_EQ(colours[9], 0x800080u) << "magenta at half opacity over black";
    EXPECT_TRUE(anyContains(built.notes, "take the key colour #ff00fd"));

    // Without a pixel below half opacity there is nothing to cut out.
    const Built opaque =
        buildWith(encodePng(squareIn(8, Rgb{1, 2, 3}, Rgb{4, 5, 6}, 2, 6), 4), options);
    EXPECT_FALSE(reportOf(opaque.file).extension.shaped);
    EXPECT_TRUE(anyContains(opaque.warnings,
                            "[cut-transparent] picture \"logo.png\" has no pixel below half"));
}

TEST(ExtensionBuild, TheKeyStaysExactThroughColoursAndFit) {
    // A gradient (more colours than any palette holds) with a magenta frame four pixels wide.
    RgbaPicture source = gradientPicture(64, 48, false);
    for (UINT y = 0; y < source.height; ++y)
        for (UINT x = 0; x < source.width; ++x)
            if (x < 4 || y < 4 || x >= 60 || y >= 44) {
                unsigned char* p = &source.rgba[(std::size_t(y) * source.width + x) * 4];
                p[0] = 255;
                p[1] = 0;
                p[2] = 255;
            }
    struct Row {
        const char* what;
        std::function<void(BuildSettings&)> set;
        UINT width, height; // of the stored picture
        UINT frame;         // its cut-out border
    };
    const Row rows[] = {
        {"256 colours, dithered", [](BuildSettings& o) { o.colours = PictureColours::palette256; },
         64, 48, 4},
        {"16 colours, dithered", [](BuildSettings& o) { o.colours = PictureColours::palette16; },
         64, 48, 4},
        {"the system colours, which hold magenta",
         [](BuildSettings& o) { o.colours = PictureColours::system; }, 64, 48, 4},
        {"a fit to half the size",
         [](BuildSettings& o) {
             o.fitWidth = 32;
             o.fitHeight = 24;
         },
         32, 24, 2},
        {"a fit and 16 colours",
         [](BuildSettings& o) {
             o.fitWidth = 32;
             o.fitHeight = 24;
             o.colours = PictureColours::palette16;
         },
         32, 24, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        BuildSettings options;
        options.shape = PictureShape::keyColour;
        options.keyColour = Rgb{255, 0, 255};
        row.set(options);
        const SplashReport report = reportOf(buildWith(encodePng(source, 4), options).file);
        ASSERT_EQ(report.pictureWidth, row.width);
        ASSERT_EQ(report.pictureHeight, row.height);
        const std::vector<UINT> colours = shownColours(report.picture);
        int wrong = 0;
        for (UINT y = 0; y < row.height; ++y)
            for (UINT x = 0; x < row.width; ++x) {
                const bool frame = x < row.frame || y < row.frame || x >= row.width - row.frame ||
                                   y >= row.height - row.frame;
                wrong += (colours[std::size_t(y) * row.width + x] == 0xFF00FFu) != frame;
            }
        EXPECT_EQ(wrong, 0) << "pixels cut out that should show, or shown that should be cut";
    }
}

TEST(ExtensionBuild, WarningsOfTheNewSettings) {
    const ByteVector picture = encodePng(squareIn(8, Rgb{1, 2, 3}, Rgb{4, 5, 6}, 2, 6), 4);
    struct Row {
        const char* what;
        std::function<void(BuildSettings&)> set;
        const char* expected; // part of a warning; "" for none of the parts below
    };
    const Row rows[] = {
        {"fades where 95 may run it", [](BuildSettings& o) { o.fadeIn = 200; },
         "fades show on Windows 2000 and later only"},
        {"fades on 2000 and XP only",
         [](BuildSettings& o) {
             o.fadeIn = 200;
             o.versionList = "5 6";
         },
         ""},
        {"fades longer than the display",
         [](BuildSettings& o) {
             o.fadeIn = 2000;
             o.fadeOut = 1500;
             o.versionList = "5 6";
         },
         "they overlap, and the splash never shows fully"},
        {"a wait that the hidden window never uses",
         [](BuildSettings& o) {
             o.waitForTarget = true;
             o.displayTime = 500;
             o.launchDelay = 2000;
         },
         "--wait-for-target has no effect"},
        {"a key colour the picture lacks",
         [](BuildSettings& o) {
             o.shape = PictureShape::keyColour;
             o.keyColour = Rgb{200, 0, 0};
         },
         "no pixel of the picture has the key colour #c80000"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        BuildSettings options;
        row.set(options);
        const Built built = buildWith(picture, options);
        for (const char* part :
             {"fades show on", "they overlap", "--wait-for-target has no", "no pixel of the"})
            EXPECT_EQ(anyContains(built.warnings, part), std::string(row.expected).find(part) == 0)
                << part;
    }
    // Later Windows lets every later Windows run the splash: no warning that they refuse it.
    BuildSettings later;
    EXPECT_TRUE(anyContains(buildWith(picture, later).warnings, "every later Windows"));
    later.laterWindows = true;
    EXPECT_FALSE(anyContains(buildWith(picture, later).warnings, "every later Windows"));
}

TEST(ExtensionPreview, TheShapeShowsTheScreenAndTheTimelineSaysWhen) {
    // A 40 x 30 picture whose left half is the key, on a 100 x 100 screen: at (30, 35).
    RgbaPicture source = squareIn(40, Rgb{255, 0, 255}, Rgb{255, 0, 255}, 0, 0);
    source.height = 30;
    source.rgba.resize(40 * 30 * 4);
    for (UINT y = 0; y < 30; ++y)
        for (UINT x = 20; x < 40; ++x) {
            unsigned char* p = &source.rgba[(std::size_t(y) * 40 + x) * 4];
            p[0] = 200;
            p[1] = 100;
            p[2] = 50;
        }
    BuildSettings options;
    options.shape = PictureShape::keyColour;
    options.keyColour = Rgb{255, 0, 255};
    options.waitForTarget = true;
    options.fadeIn = 300;
    options.fadeOut = 500;
    options.displayTime = 4000;
    options.launchDelay = 1000;
    options.versionList = "2 6";
    const SplashReport report = reportOf(buildWith(encodePng(source, 4), options).file);

    PreviewScreen xp;
    xp.width = 100;
    xp.height = 100;
    const PreviewPlan plan = planPreview(report, xp);
    ASSERT_TRUE(plan.details.empty());
    const PreviewImage image = renderPreview(report, xp, plan, {});
    auto pixelAt = [&](UINT x, UINT y) {
        const unsigned char* p = &image.rgb[(std::size_t(y) * image.width + x) * 3];
        return UINT(p[0]) << 16 | UINT(p[1]) << 8 | p[2];
    };
    EXPECT_EQ(pixelAt(35, 40), 0u) << "the black screen under a cut-out pixel";
    EXPECT_EQ(pixelAt(55, 40), 0xC86432u) << "the picture's own pixel";

    const std::vector<std::string> onXp = previewTimeline(report, xp, plan);
    EXPECT_TRUE(anyContains(onXp, "Close: when \"setup.exe\" shows a window or ends, at the "
                                  "latest at 4000 ms"));
    EXPECT_TRUE(anyContains(onXp, "Fades: in from the first paint to 300 ms; out from 3500 ms "
                                  "to the close at 4000 ms, or over 500 ms once \"setup.exe\" "
                                  "shows a window"));
    EXPECT_TRUE(anyContains(onXp, "Shape: the pixels of #ff00ff are cut out"));
    PreviewScreen old = xp;
    old.version = osVersionForCode(2);
    EXPECT_TRUE(anyContains(previewTimeline(report, old, planPreview(report, old)),
                            "Fades: none on Windows 98"));
}

TEST(ExtensionPreview, LaterWindowsMeetsTheVersionsOnlyWithTheOptIn) {
    const ByteVector picture = encodePng(squareIn(8, Rgb{1, 2, 3}, Rgb{4, 5, 6}, 2, 6), 4);
    PreviewScreen ten;
    ten.width = 800;
    ten.height = 600;
    ten.version = OsVersion{2, 6, 2};
    BuildSettings options;
    const SplashReport exact = reportOf(buildWith(picture, options).file);
    EXPECT_FALSE(planPreview(exact, ten).details.empty());
    options.laterWindows = true;
    const SplashReport later = reportOf(buildWith(picture, options).file);
    const PreviewPlan plan = planPreview(later, ten);
    EXPECT_TRUE(plan.details.empty());
    EXPECT_TRUE(anyContains(previewTimeline(later, ten, plan),
                            "Requirements: met on 800 x 600, 32 bit, Windows later than XP "
                            "(NT 6.2)"));
}
