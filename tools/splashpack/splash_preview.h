// `splashpack preview`: what the player shows on a given screen, drawn without Windows: the
// picture fitted and centred by the player's own layout, or its requirements box, and the
// timeline of the launch, the close and the sound in words.
#pragma once

#include "command_line.h"
#include "splash_report.h"
#include "window_layout.h"

#include <cstdint>
#include <string>
#include <vector>

// The machine the preview stands for.
struct PreviewScreen {
    UINT width = 0;
    UINT height = 0;
    std::int32_t colourBits = 32;
    OsVersion version = osVersionForCode(6);
};

// What the player does on that machine.
struct PreviewPlan {
    std::string details;       // the player's details of the failed requirements; empty: met
    std::string message;       // the text of its requirements box
    bool pictureShown = false; // the player accepts the picture
    WindowPlacement window;    // the splash window, when the requirements are met
};

PreviewPlan planPreview(const SplashReport& report, const PreviewScreen& screen);

// A picture of the whole screen, top row first, three bytes a pixel (red, green, blue).
struct PreviewImage {
    UINT width = 0;
    UINT height = 0;
    std::vector<unsigned char> rgb;
};

// The screen as the player leaves it: black but for the splash window or the requirements box,
// whose text is drawn with the TrueType font in `fontFile`. Raises InputError when the font is
// needed and cannot be read.
PreviewImage renderPreview(const SplashReport& report, const PreviewScreen& screen,
                           const PreviewPlan& plan, const std::string& fontFile);

// The course of events in words, one line each: requirements, picture, launch, close, sound.
std::vector<std::string> previewTimeline(const SplashReport& report, const PreviewScreen& screen,
                                         const PreviewPlan& plan);

// The font the requirements box is drawn with (Debian's fonts-dejavu-core).
constexpr const char* previewFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// Reads the splash, writes the PNG and returns the lines to print. Raises InputError for a
// file that is no splash, an output that exists (without --force) or a font that is missing.
std::vector<std::string> runPreview(const PreviewOptions& options);
