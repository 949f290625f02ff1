// The preview: the player's layout and requirements decisions on a screen of the author's
// choosing, drawn into a PNG.
#include "splash_preview.h"

#include "bitmap_format.h"
#include "code_page.h"
#include "fade_timeline.h"
#include "message_text.h"
#include "picture_fit.h"
#include "picture_intake.h"
#include "picture_key.h"
#include "picture_shape.h"
#include "requirements_decision.h"
#include "screen_values.h"
#include "start_time_model.h"
#include "tool_error.h"

#include <stb_image_write.h>
#include <stb_truetype.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

std::string ms(UINT value) {
    return std::to_string(value) + " ms";
}

std::string placementText(const WindowPlacement& window) {
    return sizeText(window.width, window.height) + " at (" + std::to_string(window.x) + ", " +
           std::to_string(window.y) + ")";
}

// Windows 95, 98 and Me have no halftone stretching: the player's stretch there drops and
// repeats pixels.
bool stretchesCoarsely(const OsVersion& version) {
    return version.platformId == 1;
}

std::string windowsName(const OsVersion& version) {
    static const char* const names[] = {"", "95", "98", "Me", "NT 4", "2000", "XP"};
    if (isLaterThanXp(version))
        return "later than XP (NT " + std::to_string(version.major) + "." +
               std::to_string(version.minor) + ")";
    int code = versionCodeOf(version);
    return code == 0 ? "older than 95" : names[code];
}

void fill(PreviewImage& image, int left, int top, int right, int bottom, Rgb colour) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, static_cast<int>(image.width));
    bottom = std::min(bottom, static_cast<int>(image.height));
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) {
            unsigned char* p = &image.rgb[(std::size_t(y) * image.width + x) * 3];
            p[0] = colour.red;
            p[1] = colour.green;
            p[2] = colour.blue;
        }
}

// Copies `picture` to (left, top), clipped to the screen; with a `shown` mask (a byte a pixel of
// the picture, top row first) only the pixels it marks.
void paste(PreviewImage& image, const RgbaPicture& picture, UINT left, UINT top,
           const std::vector<unsigned char>* shown = nullptr) {
    for (UINT y = 0; y < picture.height && top + y < image.height; ++y)
        for (UINT x = 0; x < picture.width && left + x < image.width; ++x) {
            if (shown != nullptr && !(*shown)[std::size_t(y) * picture.width + x])
                continue;
            const unsigned char* from = &picture.rgba[(std::size_t(y) * picture.width + x) * 4];
            unsigned char* to = &image.rgb[(std::size_t(top + y) * image.width + left + x) * 3];
            to[0] = from[0];
            to[1] = from[1];
            to[2] = from[2];
        }
}

// Each target pixel takes the source pixel under its centre, as a stretch without halftone.
RgbaPicture nearestPixels(const RgbaPicture& picture, WindowSize size) {
    RgbaPicture scaled;
    scaled.width = size.width;
    scaled.height = size.height;
    scaled.rgba.resize(std::size_t(size.width) * size.height * 4);
    for (UINT y = 0; y < size.height; ++y) {
        UINT fromY = static_cast<UINT>((std::uint64_t(y) * 2 + 1) * picture.height /
                                       (std::uint64_t(size.height) * 2));
        for (UINT x = 0; x < size.width; ++x) {
            UINT fromX = static_cast<UINT>((std::uint64_t(x) * 2 + 1) * picture.width /
                                           (std::uint64_t(size.width) * 2));
            std::copy_n(&picture.rgba[(std::size_t(fromY) * picture.width + fromX) * 4], 4,
                        &scaled.rgba[(std::size_t(y) * size.width + x) * 4]);
        }
    }
    return scaled;
}

struct Face {
    stbtt_fontinfo info{};
    float scale = 1;
};

// The box's text at one size in the first of the fonts that has each character, as a system
// falls back from its interface font to one that has the script's letters.
class BoxFont {
  public:
    BoxFont(const std::vector<PreviewFont>& fonts, float pixels) {
        for (const PreviewFont& font : fonts) {
            Face face;
            if (!openFace(font, face)) {
                // Without its first font the box has no text at all; a later one only fills in.
                if (faces.empty())
                    throw InputError("the font \"" + font.name + "\" cannot be read");
                continue;
            }
            // The first font sets the size; the others draw their letters at the same em size,
            // since their heights also make room for marks stacked above and below.
            face.scale = faces.empty() ? stbtt_ScaleForPixelHeight(&face.info, pixels)
                                       : stbtt_ScaleForMappingEmToPixels(&face.info, emPixels);
            if (faces.empty())
                emPixels = face.scale / stbtt_ScaleForMappingEmToPixels(&face.info, 1);
            int ascent = 0, descent = 0, gap = 0;
            stbtt_GetFontVMetrics(&face.info, &ascent, &descent, &gap);
            baseline = std::max(baseline, static_cast<int>(std::ceil(ascent * face.scale)));
            lineHeight = std::max(
                lineHeight, static_cast<int>(std::ceil((ascent - descent + gap) * face.scale)));
            faces.push_back(face);
        }
        if (faces.empty())
            throw InputError("no font was given for the requirements box");
    }

    int width(const std::u32string& text) const {
        float pen = 0;
        for (std::size_t i = 0; i < text.size(); ++i)
            pen += advance(text, i);
        return static_cast<int>(std::ceil(pen));
    }

    // Draws one line whose top is `top`, blending `colour` by the glyphs' coverage.
    void draw(PreviewImage& image, int left, int top, const std::u32string& text,
              Rgb colour) const {
        float pen = static_cast<float>(left);
        for (std::size_t i = 0; i < text.size(); ++i) {
            const Face& face = faceFor(text[i]);
            int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
            int glyph = stbtt_FindGlyphIndex(&face.info, static_cast<int>(text[i]));
            stbtt_GetGlyphBitmapBox(&face.info, glyph, face.scale, face.scale, &x0, &y0, &x1, &y1);
            if (x1 > x0 && y1 > y0) {
                std::vector<unsigned char> coverage(std::size_t(x1 - x0) * (y1 - y0));
                stbtt_MakeGlyphBitmap(&face.info, coverage.data(), x1 - x0, y1 - y0, x1 - x0,
                                      face.scale, face.scale, glyph);
                blend(image, static_cast<int>(std::lround(pen)) + x0, top + baseline + y0, x1 - x0,
                      y1 - y0, coverage, colour);
            }
            pen += advance(text, i);
        }
    }

    // Whether some font has the character; the others are drawn as the first font's empty box.
    bool has(char32_t c) const {
        return std::any_of(faces.begin(), faces.end(), [c](const Face& face) {
            return stbtt_FindGlyphIndex(&face.info, static_cast<int>(c)) != 0;
        });
    }

    int lineHeight = 0;

  private:
    static bool openFace(const PreviewFont& font, Face& face) {
        const unsigned char* bytes = font.bytes.data();
        if (font.bytes.empty())
            return false;
        const int offset = stbtt_GetFontOffsetForIndex(bytes, font.index);
        return offset >= 0 && stbtt_InitFont(&face.info, bytes, offset) != 0;
    }

    const Face& faceFor(char32_t c) const {
        for (const Face& face : faces)
            if (stbtt_FindGlyphIndex(&face.info, static_cast<int>(c)) != 0)
                return face;
        return faces.front();
    }

    float advance(const std::u32string& text, std::size_t i) const {
        const Face& face = faceFor(text[i]);
        int width = 0, bearing = 0;
        stbtt_GetCodepointHMetrics(&face.info, static_cast<int>(text[i]), &width, &bearing);
        int kern = i + 1 < text.size() && &faceFor(text[i + 1]) == &face
                       ? stbtt_GetCodepointKernAdvance(&face.info, static_cast<int>(text[i]),
                                                       static_cast<int>(text[i + 1]))
                       : 0;
        return (width + kern) * face.scale;
    }

    static void blend(PreviewImage& image, int left, int top, int width, int height,
                      const std::vector<unsigned char>& coverage, Rgb colour) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                int px = left + x, py = top + y;
                if (px < 0 || py < 0 || px >= static_cast<int>(image.width) ||
                    py >= static_cast<int>(image.height))
                    continue;
                unsigned alpha = coverage[std::size_t(y) * width + x];
                unsigned char* p = &image.rgb[(std::size_t(py) * image.width + px) * 3];
                const unsigned char ink[3] = {colour.red, colour.green, colour.blue};
                for (int c = 0; c < 3; ++c)
                    p[c] =
                        static_cast<unsigned char>((ink[c] * alpha + p[c] * (255 - alpha)) / 255);
            }
    }

    std::vector<Face> faces;
    float emPixels = 0;
    int baseline = 0;
};

// The message's lines, broken at spaces to fit `width` pixels; a line feed always breaks.
std::vector<std::u32string> wrapLines(const BoxFont& font, const std::u32string& text, int width) {
    std::vector<std::u32string> lines;
    std::u32string paragraph;
    auto flush = [&] {
        std::u32string line;
        std::size_t start = 0;
        while (start <= paragraph.size()) {
            std::size_t end = paragraph.find(U' ', start);
            if (end == std::u32string::npos)
                end = paragraph.size();
            std::u32string word = paragraph.substr(start, end - start);
            std::u32string joined = line.empty() ? word : line + U' ' + word;
            if (!line.empty() && font.width(joined) > width) {
                lines.push_back(line);
                line = word;
            } else {
                line = joined;
            }
            start = end + 1;
        }
        lines.push_back(line);
        paragraph.clear();
    };
    for (char32_t c : text) {
        if (c == U'\n')
            flush();
        else if (c == U'\t')
            paragraph += U' ';
        else if (c != U'\r')
            paragraph += c;
    }
    flush();
    return lines;
}

// The requirements box, centred on the screen as the system places a box without an owner.
void drawRequirementsBox(PreviewImage& image, const std::string& message,
                         const std::vector<PreviewFont>& boxFonts) {
    const Rgb face{192, 192, 192}, shadow{64, 64, 64}, title{0, 0, 128}, white{255, 255, 255},
        black{0, 0, 0}, warning{255, 204, 0};
    BoxFont font(boxFonts, 14);
    const int margin = 16, icon = 32, captionHeight = font.lineHeight + 6;
    const int buttonWidth = 75, buttonHeight = 23;
    const int screenWidth = static_cast<int>(image.width);
    const int textRoom = std::max(
        120, std::min(screenWidth - 3 * margin - icon - 16, std::max(360, screenWidth / 2)));
    const std::vector<std::u32string> lines = wrapLines(font, utf8Characters(message), textRoom);
    int textWidth = 0;
    for (const std::u32string& line : lines)
        textWidth = std::max(textWidth, font.width(line));
    const std::u32string caption = utf8Characters(requirementsCaption);
    const int width = std::max({3 * margin + icon + textWidth, font.width(caption) + 2 * margin,
                                buttonWidth + 2 * margin});
    const int textHeight = std::max(icon, static_cast<int>(lines.size()) * font.lineHeight);
    const int height = captionHeight + 2 * margin + textHeight + buttonHeight + margin;
    const int left = (screenWidth - width) / 2;
    const int top = (static_cast<int>(image.height) - height) / 2;

    fill(image, left, top, left + width, top + height, shadow);
    fill(image, left, top, left + width - 1, top + height - 1, white);
    fill(image, left + 1, top + 1, left + width - 1, top + height - 1, face);
    fill(image, left + 3, top + 3, left + width - 3, top + captionHeight, title);
    font.draw(image, left + 8, top + 5, caption, white);

    // The warning icon: a yellow triangle with a black mark.
    const int iconLeft = left + margin, iconTop = top + captionHeight + margin;
    for (int y = 0; y < icon; ++y) {
        const int half = (y + 1) / 2;
        fill(image, iconLeft + icon / 2 - half, iconTop + y, iconLeft + icon / 2 + half + 1,
             iconTop + y + 1, warning);
    }
    fill(image, iconLeft + icon / 2 - 1, iconTop + 10, iconLeft + icon / 2 + 2, iconTop + 23,
         black);
    fill(image, iconLeft + icon / 2 - 1, iconTop + 25, iconLeft + icon / 2 + 2, iconTop + 28,
         black);

    int lineTop = iconTop;
    for (const std::u32string& line : lines) {
        font.draw(image, iconLeft + icon + margin, lineTop, line, black);
        lineTop += font.lineHeight;
    }

    const int buttonLeft = left + (width - buttonWidth) / 2;
    const int buttonTop = top + height - margin - buttonHeight;
    fill(image, buttonLeft, buttonTop, buttonLeft + buttonWidth, buttonTop + buttonHeight, black);
    fill(image, buttonLeft + 1, buttonTop + 1, buttonLeft + buttonWidth - 1,
         buttonTop + buttonHeight - 1, face);
    const std::u32string ok = U"OK";
    font.draw(image, buttonLeft + (buttonWidth - font.width(ok)) / 2,
              buttonTop + (buttonHeight - font.lineHeight) / 2, ok, black);
}

// The player's window: its picture, or, for a picture it refuses, an area it never paints,
// shown as a chequered grey.
void drawSplashWindow(PreviewImage& image, const SplashReport& report, const PreviewScreen& screen,
                      const PreviewPlan& plan) {
    const WindowPlacement& window = plan.window;
    if (!plan.pictureShown) {
        for (UINT y = 0; y < window.height; y += 8)
            for (UINT x = 0; x < window.width; x += 8) {
                const unsigned char grey = ((x + y) / 8) % 2 ? 96 : 64;
                fill(image, static_cast<int>(window.x + x), static_cast<int>(window.y + y),
                     static_cast<int>(window.x + std::min(x + 8, window.width)),
                     static_cast<int>(window.y + std::min(y + 8, window.height)),
                     Rgb{grey, grey, grey});
            }
        return;
    }
    RgbaPicture picture = decodeShownBitmap(report.picture);
    WindowSize size{window.width, window.height};
    if (picture.width != size.width || picture.height != size.height)
        picture = stretchesCoarsely(screen.version) ? nearestPixels(picture, size)
                                                    : resizePicture(picture, size);
    if (!report.extension.shaped) {
        paste(image, picture, window.x, window.y);
        return;
    }
    // The player's own shape: what lies under the cut-out pixels shows through.
    std::vector<unsigned char> shown(std::size_t(size.width) * size.height, 0);
    BitmapLayout layout;
    checkBitmap(report.picture.data(), static_cast<UINT>(report.picture.size()), layout);
    for (const ShapeRect& rect : pictureShape(report.picture.data(), layout,
                                              report.extension.keyColour, size.width, size.height))
        for (UINT y = rect.top; y < rect.bottom; ++y)
            std::fill_n(&shown[std::size_t(y) * size.width + rect.left], rect.right - rect.left, 1);
    paste(image, picture, window.x, window.y, &shown);
}

// Below 17 bits the screen cannot hold what the player drew: a 16-bit screen drops the low bits
// of each channel, and on a palette screen Windows maps the picture to the static colours, since
// the player selects no palette of its own; a 16-colour screen has only the VGA colours.
void showInScreenColours(PreviewImage& image, const PreviewScreen& screen) {
    const ScreenColours colours = screenColoursOf(screen.colourBits);
    if (colours == ScreenColours::all)
        return;
    std::vector<unsigned char> rgba(std::size_t(image.width) * image.height * 4);
    for (std::size_t i = 0, pixels = rgba.size() / 4; i < pixels; ++i)
        std::copy_n(&image.rgb[i * 3], 3, &rgba[i * 4]);
    if (colours == ScreenColours::vgaSixteen)
        showOnVgaScreen(rgba);
    else if (colours == ScreenColours::staticTwenty)
        showOnPaletteScreen(rgba);
    else
        showOnSixteenBitScreen(rgba,
                               sixteenBitLayoutOf(screen.colourBits, screen.sixteenBitLayout));
    for (std::size_t i = 0, pixels = rgba.size() / 4; i < pixels; ++i)
        std::copy_n(&rgba[i * 4], 3, &image.rgb[i * 3]);
}

// The colours of the screen in words, for a screen that cannot show every colour drawn.
std::string coloursLine(const PreviewScreen& screen) {
    switch (screenColoursOf(screen.colourBits)) {
    case ScreenColours::vgaSixteen:
        return std::string("Colours: approximated: each pixel as the nearest of the 16 VGA "
                           "colours, which a 16-colour screen has") +
               (screen.colourBits == 1 ? " (a 16-colour VGA driver reports 1 bit a pixel, in 4 "
                                         "planes)"
                                       : "") +
               "; Windows' own mapping may differ in places";
    case ScreenColours::staticTwenty:
        return "Colours: approximated: each pixel as the nearest of the 20 static colours, "
               "since the player selects no palette; Windows' own mapping may differ in places";
    case ScreenColours::sixteenBit:
        return std::string("Colours: ") +
               (sixteenBitLayoutOf(screen.colourBits, screen.sixteenBitLayout) ==
                        SixteenBitLayout::red5green6blue5
                    ? "5-6-5"
                    : "5-5-5") +
               " bits of red, green and blue a pixel, as a " +
               std::to_string(std::max(15, static_cast<int>(screen.colourBits))) +
               "-bit screen keeps them";
    default:
        return "";
    }
}

void appendBytes(void* context, void* data, int size) {
    ByteVector& bytes = *static_cast<ByteVector*>(context);
    const unsigned char* from = static_cast<const unsigned char*>(data);
    bytes.insert(bytes.end(), from, from + size);
}

// When the splash fades in and out on the preview's Windows, in words; empty without fades.
std::string fadesLine(const SplashReport& report, const PreviewScreen& screen, bool noTarget) {
    const UINT in = report.extension.fadeIn;
    const UINT out = report.extension.fadeOut;
    if (in == 0 && out == 0)
        return "";
    if (!systemFades(screen.version))
        return "Fades: none on Windows " + windowsName(screen.version) +
               ", which has no layered windows: the splash shows and closes at once";
    const UINT close = report.settledDisplayTime;
    std::string line = "Fades:";
    if (in != 0)
        line += " in from the first paint to " + ms(in < close ? in : close);
    if (out != 0) {
        line += std::string(in != 0 ? ";" : "") + " out from " + ms(out < close ? close - out : 0) +
                " to the close at " + ms(close);
        if (report.extension.waitForTarget && !noTarget)
            line += ", or over " + ms(out) + " once \"" + report.targetFile + "\" shows a window";
    }
    return line;
}

// The length of a PCM sound in milliseconds, as inspect gives it; 0 when it cannot be told.
UINT soundLength(const SoundFacts& facts) {
    if (facts.formatTag != 1 || !facts.problem.empty())
        return 0;
    return static_cast<UINT>(std::min<std::uint64_t>(soundMilliseconds(facts), 0xFFFFFFFFu));
}

} // namespace

PreviewPlan planPreview(const SplashReport& report, const PreviewScreen& screen) {
    RequirementsFindings findings;
    findings.versionMet =
        versionAllowed(report.versions, screen.version, report.extension.laterWindows);
    findings.allowedVersions = formatVersionSet(report.versions);
    findings.currentVersion = versionName(screen.version);
    ScreenResolution current;
    current.width = screen.width;
    current.height = screen.height;
    findings.resolutionMet = resolutionMeets(current.width, current.height, report.resolution.width,
                                             report.resolution.height);
    findings.requiredResolution = formatResolution(report.resolution);
    findings.currentResolution = formatResolution(current);
    findings.colourMet = colourDepthMeets(screen.colourBits, report.colourBits);
    findings.requiredColour = formatColourDepth(report.colourBits);
    findings.currentColour = formatColourDepth(screen.colourBits);

    PreviewPlan plan;
    plan.details = requirementsDetails(findings);
    plan.message = chooseRequirementsMessage(report.requirementsMessage);
    plan.pictureShown = report.pictureVerdict == BitmapVerdict::accepted;
    plan.window = layoutSplashWindow(plan.pictureShown, report.pictureWidth, report.pictureHeight,
                                     WindowSize{screen.width, screen.height});
    return plan;
}

PreviewImage renderPreview(const SplashReport& report, const PreviewScreen& screen,
                           const PreviewPlan& plan, const std::vector<PreviewFont>& fonts) {
    PreviewImage image;
    image.width = screen.width;
    image.height = screen.height;
    image.rgb.assign(std::size_t(image.width) * image.height * 3, 0);
    if (plan.details.empty())
        drawSplashWindow(image, report, screen, plan);
    else
        drawRequirementsBox(image, plan.message, fonts);
    showInScreenColours(image, screen);
    return image;
}

std::vector<std::string> previewTimeline(const SplashReport& report, const PreviewScreen& screen,
                                         const PreviewPlan& plan) {
    std::vector<std::string> lines;
    const std::string machine = sizeText(screen.width, screen.height) + ", " +
                                formatColourDepth(screen.colourBits) + ", Windows " +
                                windowsName(screen.version);
    const std::string colours = coloursLine(screen);
    if (!plan.details.empty()) {
        std::string failed;
        for (std::size_t at = 0; at < plan.details.size();) {
            std::size_t end = plan.details.find('\n', at);
            if (end == std::string::npos)
                end = plan.details.size();
            if (end > at)
                failed += "\n  " + plan.details.substr(at, end - at);
            at = end + 1;
        }
        lines.push_back("Requirements: not met on " + machine +
                        ": the player shows its requirements box and ends, with no picture, "
                        "sound or launch" +
                        failed);
        if (!colours.empty())
            lines.push_back(colours);
        return lines;
    }
    lines.push_back("Requirements: met on " + machine);
    if (!colours.empty())
        lines.push_back(colours);

    const WindowPlacement& window = plan.window;
    if (!plan.pictureShown)
        lines.push_back("Picture: refused (" + bitmapVerdictText(report.pictureVerdict) +
                        "); an unpainted " + placementText(window));
    else if (window.width == report.pictureWidth && window.height == report.pictureHeight)
        lines.push_back("Picture: " + placementText(window) + ", drawn as it is");
    else
        lines.push_back("Picture: " + sizeText(report.pictureWidth, report.pictureHeight) +
                        " stretched to " + placementText(window) + " on every paint" +
                        (stretchesCoarsely(screen.version) ? ", without halftone" : ""));
    if (plan.pictureShown && report.extension.shaped)
        lines.push_back("Shape: the pixels of " + keyColourText(report.extension.keyColour) +
                        " are cut out of the window; what lies under them shows through, and "
                        "clicks there reach it");

    const UINT launch = report.launchDelay;
    const UINT close = report.settledDisplayTime;
    const bool noTarget = report.targetFile.empty();
    lines.push_back(noTarget ? "Launch: at " + ms(launch) +
                                   ", with no target: the player reports \"The application to "
                                   "load is unknown.\""
                             : "Launch: \"" + report.targetFile + "\" at " + ms(launch));
    std::string closing;
    if (close < launch)
        closing = "Close: the window hides and the sound stops at " + ms(close) +
                  (noTarget ? "; the launch then shows only that box"
                            : "; the player ends after the launch");
    else if (noTarget)
        // The launch without a target stops both timers and the sound before its box; the
        // window's next paint, once the box is gone, arms the timers again at full length.
        closing = "Close: not at " + ms(close) + ": the box stops both timers and the sound at " +
                  ms(launch) + ", and they start again at full length once it is dismissed";
    else if (report.extension.waitForTarget)
        closing = "Close: when \"" + report.targetFile +
                  "\" shows a window or ends, at the latest at " + ms(close);
    else
        closing = "Close: at " + ms(close);
    if (close != report.displayTime)
        closing += " (the display time of " + ms(report.displayTime) +
                   " is raised to 50 ms after the launch)";
    lines.push_back(closing);
    const std::string fades = fadesLine(report, screen, noTarget);
    if (!fades.empty())
        lines.push_back(fades);

    const UINT soundStop = noTarget ? std::min(close, launch) : close;
    const char* stopper = noTarget && launch <= close ? " before the box" : " before the close";
    if (report.sound.empty()) {
        lines.push_back("Sound: none");
    } else {
        const UINT length = soundLength(report.soundFacts);
        if (length == 0)
            lines.push_back("Sound: of a length the preview cannot tell; it stops at " +
                            ms(soundStop) + " at the latest");
        else if (length <= soundStop)
            lines.push_back("Sound: " + ms(length) + ", ends " + ms(soundStop - length) + stopper);
        else
            lines.push_back("Sound: " + ms(length) + ", cut off at " + ms(soundStop) + ", " +
                            ms(length - soundStop) + " before its end");
    }
    // Everything above starts once the player has read its whole file.
    lines.push_back("Start-up: " + describeStartTimes(report.fileBytes));
    return lines;
}

bool previewNeedsFont(const PreviewPlan& plan) {
    return !plan.details.empty();
}

std::u32string charactersNoFontHas(const std::string& message,
                                   const std::vector<PreviewFont>& fonts) {
    const BoxFont font(fonts, 14);
    std::u32string missing;
    for (char32_t c : utf8Characters(message))
        if (c >= 0x20 && !font.has(c) && missing.find(c) == std::u32string::npos)
            missing += c;
    return missing;
}

std::string missingCharactersInWords(const std::u32string& missing) {
    std::string named;
    for (std::size_t i = 0; i < missing.size() && i < 3; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(missing[i]));
        named += (i > 0 ? ", " : "") + std::string(name);
    }
    if (missing.size() > 3)
        named += " and " + std::to_string(missing.size() - 3) + " more characters";
    return named;
}

ByteVector previewPng(const PreviewImage& image) {
    ByteVector png;
    if (!stbi_write_png_to_func(appendBytes, &png, static_cast<int>(image.width),
                                static_cast<int>(image.height), 3, image.rgb.data(),
                                static_cast<int>(image.width * 3)))
        throw InputError("the preview cannot be encoded as PNG");
    return png;
}
