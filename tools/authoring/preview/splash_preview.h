// The preview: what the player shows on a given screen, drawn without Windows: the
// picture fitted and centred by the player's own layout, or its requirements box, and the
// timeline of the launch, the close and the sound in words.
#pragma once

#include "payload_writer.h"
#include "screen_depth.h"
#include "setting_values.h"
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
    // How a screen of 9 to 16 bits packs a pixel.
    SixteenBitLayout sixteenBitLayout = SixteenBitLayout::red5green6blue5;
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

// A TrueType font the requirements box is drawn with, as the front-end supplies it.
struct PreviewFont {
    std::string name; // for messages
    ByteVector bytes;
    int index = 0; // of the font in a collection
};

// True when the preview draws the requirements box, whose text needs the font.
bool previewNeedsFont(const PreviewPlan& plan);

// The screen as the player leaves it: black but for the splash window or the requirements box,
// whose characters are each drawn with the first of `fonts` that has it; in the colours a
// screen of that depth keeps. Raises InputError when the fonts are needed and the first cannot
// be read; a later one that cannot be read is passed over.
PreviewImage renderPreview(const SplashReport& report, const PreviewScreen& screen,
                           const PreviewPlan& plan, const std::vector<PreviewFont>& fonts);

// The characters of `message` (UTF-8) that none of `fonts` has, each once, in order: the box
// shows them as empty boxes. Raises InputError as renderPreview does.
std::u32string charactersNoFontHas(const std::string& message,
                                   const std::vector<PreviewFont>& fonts);

// The first three of `missing` ("U+0E01, U+0E02, U+0E03 and 5 more characters"), for a warning.
std::string missingCharactersInWords(const std::u32string& missing);

// The course of events in words, one line each: requirements, picture, launch, close, sound.
std::vector<std::string> previewTimeline(const SplashReport& report, const PreviewScreen& screen,
                                         const PreviewPlan& plan);

// The image as a PNG file's bytes. Raises InputError when it cannot be encoded.
ByteVector previewPng(const PreviewImage& image);
