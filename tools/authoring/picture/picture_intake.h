// Turns the author's picture into the BMP the payload carries: a BMP the player reads goes in
// byte for byte, anything else is decoded and written as an uncompressed 24-bit BMP.
#pragma once

#include "bitmap_format.h"
#include "input_source.h"
#include "payload_writer.h"
#include "setting_values.h"
#include "splash_extension.h"
#include "window_layout.h"

#include <cstdint>
#include <string>
#include <vector>

struct PictureLimits {
    UINT maxWidth = 32767;
    UINT maxHeight = 32767;
    std::uint64_t maxBytes = defaultMaxPictureBytes; // of the BMP that goes into the payload
    Rgb background{255, 255, 255};                   // under transparent pixels
    std::uint64_t maxDecodedPixels = defaultMaxDecodedPixels; // of the source, while it is read
    // A fit follows: the limits above apply to the fitted picture (checkPictureLimits), and only
    // maxDecodedPixels to the source.
    bool fitFollows = false;
    // A fit or a colour reduction follows and makes another picture of the source: the limits
    // above wait for it (checkPictureLimits).
    bool reshapeFollows = false;
    UINT fitWidth = 0; // the fit's screen, with fitFollows
    UINT fitHeight = 0;
    // Pixels below half opacity are cut out of the splash: they take a key colour that no other
    // pixel shows, instead of the background.
    bool cutTransparent = false;
};

struct PreparedPicture {
    ByteVector bitmap; // the payload's picture; empty when it is the input file unchanged
    bool converted = false;
    bool unchanged = false;   // the input goes in byte for byte (from an InputSource)
    std::string sourceFormat; // "BMP", "PNG", "JPEG", "GIF", or why a BMP was converted
    UINT width = 0;
    UINT height = 0;
    std::vector<std::string> notes; // what the conversion did, for the author
    std::vector<std::string>
        warnings;       // where the player draws it otherwise than the author may expect
    bool keyed = false; // the pixels of `keyColour` are cut out of the splash
    KeyColour keyColour;
};

// Prepares the picture whose file bytes are `file` (moved in: a BMP that goes in byte for byte
// is not copied); `name` is the file's name for messages.
// Raises InputError when the picture cannot be read, is damaged, or exceeds `limits`.
PreparedPicture preparePicture(ByteVector file, const std::string& name,
                               const PictureLimits& limits);

// The same for the picture in `file`. A BMP that the player reads is checked from its headers
// and its size and comes back `unchanged`, with no bytes in `bitmap`: the caller copies the
// file. Any other picture is read whole.
PreparedPicture preparePicture(const InputSource& file, const std::string& name,
                               const PictureLimits& limits);

// Raises InputError when the prepared picture, `bytes` long in the payload, exceeds the limits
// of the splash's picture (the player's, --max-picture and --max-picture-bytes).
void checkPictureLimits(const PreparedPicture& picture, std::uint64_t bytes,
                        const std::string& name, const PictureLimits& limits);

// The refusal when memory runs out while the picture named `name`, of `size` pixels (0 x 0 when
// not yet known), is read or reshaped: its size and the options that help. `fitGiven`: --fit
// already shrinks it as it is read.
std::string outOfMemoryText(const std::string& name, WindowSize size, bool fitGiven);

// What the player's check found, in words: "accepted", "compressed", ...
std::string bitmapVerdictText(BitmapVerdict verdict);
