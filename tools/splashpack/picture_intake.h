// Turns the author's picture into the BMP the payload carries: a BMP the player reads goes in
// byte for byte, anything else is decoded and written as an uncompressed 24-bit BMP.
#pragma once

#include "bitmap_format.h"
#include "command_line.h"
#include "payload_writer.h"

#include <cstdint>
#include <string>
#include <vector>

struct PictureLimits {
    UINT maxWidth = 32767;
    UINT maxHeight = 32767;
    std::uint64_t maxBytes = defaultMaxPictureBytes; // of the BMP that goes into the payload
    Rgb background{255, 255, 255};                   // under transparent pixels
};

struct PreparedPicture {
    ByteVector bitmap; // the payload's picture
    bool converted = false;
    std::string sourceFormat; // "BMP", "PNG", "JPEG", "GIF", or why a BMP was converted
    UINT width = 0;
    UINT height = 0;
    std::vector<std::string> notes; // what the conversion did, for the author
};

// Prepares the picture whose file bytes are `file` (moved in: a BMP that goes in byte for byte
// is not copied); `name` is the file's name for messages.
// Raises InputError when the picture cannot be read, is damaged, or exceeds `limits`.
PreparedPicture preparePicture(ByteVector file, const std::string& name,
                               const PictureLimits& limits);

// What the player's check found, in words: "accepted", "compressed", ...
std::string bitmapVerdictText(BitmapVerdict verdict);
