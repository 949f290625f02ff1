// Writes a splash into a copy of the player: the payload block the settings decoder reads
// back, and the trailer that lets the reader find it.
#pragma once

#include "splash_extension.h"
#include "text_error.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

typedef std::vector<unsigned char> ByteVector;

// Everything one payload block carries, in the block's order.
struct SplashDescription {
    ByteVector picture; // a BMP file image; empty for none
    ByteVector sound;   // a WAV file image; empty for none
    std::string targetFile;
    UINT displayTime = 0;
    UINT launchDelay = 0;
    std::string versionList; // e.g. "1 2 3 4 5 6"; at most 99 characters
    std::string resolution;  // e.g. "800 x 600"; at most 99 characters
    std::string colourDepth; // e.g. "8 bit"; at most 99 characters
    std::string requirementsMessage;
    std::string skippedText; // carried in the block, ignored by the player
    std::array<unsigned char, 8> skippedBytes{};
    UINT imageOption = 0;
    // Written after the image option only when a setting is on, so that a splash without them
    // is byte for byte what it was before the extension existed.
    SplashExtension extension;
};

// The extension's bytes for `extension`, as the block carries it after the image option; empty
// when no setting is on.
ByteVector extensionBytes(const SplashExtension& extension);

// The payload block for `splash`. Raises a text exception for what the player could not read
// back: a text holding a NUL, a fixed-field text of 100 or more characters, a picture, sound or
// block larger than 4294967295 bytes.
ByteVector buildPayloadBlock(const SplashDescription& splash);

// `playerImage` followed by `block` and the 20-byte trailer ("Trailer Section", its NUL, the
// block's size little-endian). Raises a text exception when the block is empty, when the block
// and trailer exceed what the reader can reach, or when the result would be larger than
// 4294967295 bytes.
ByteVector appendPayload(const ByteVector& playerImage, const ByteVector& block);

// appendPayload of buildPayloadBlock.
ByteVector appendSplash(const ByteVector& playerImage, const SplashDescription& splash);

// appendSplash in parts, for a writer that copies the player's and the picture's bytes from
// where they already are: the image is the player, `head`, the `pictureSize` bytes of the
// picture, then `tail` (the rest of the block and the trailer). `splash.picture` is not read.
// Raises the text exceptions of appendSplash for a player of `playerSize` bytes.
struct SplashParts {
    ByteVector head;
    ByteVector tail;
};
SplashParts splashAroundPicture(std::uint64_t playerSize, const SplashDescription& splash,
                                std::uint64_t pictureSize);
