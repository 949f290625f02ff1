// The inverse of the settings decoder, for the authoring tool, the tests and the drivers.
#include "payload_writer.h"

#include "payload_reader.h"

#include <cstdint>

namespace {

constexpr std::size_t fixedFieldSize = 100;
constexpr std::uint64_t largestSize = 0xFFFFFFFFu;

void checkSize(std::uint64_t size, const char* what) {
    if (size > largestSize)
        raiseText(std::string("buildPayloadBlock - the ") + what +
                  " is larger than 4294967295 bytes.");
}

void checkNoNul(const std::string& text, const char* what) {
    if (text.find('\0') != std::string::npos)
        raiseText(std::string("buildPayloadBlock - the ") + what + " holds a NUL character.");
}

void appendNumber(ByteVector& bytes, UINT value) {
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(static_cast<unsigned char>(value >> shift));
}

void appendBytes(ByteVector& bytes, const ByteVector& more) {
    bytes.insert(bytes.end(), more.begin(), more.end());
}

void appendText(ByteVector& bytes, const std::string& text) {
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.push_back(0);
}

// The text, its NUL and NUL padding up to the field's 100 bytes.
void appendFixedText(ByteVector& bytes, const std::string& text, const char* what) {
    checkNoNul(text, what);
    if (text.size() >= fixedFieldSize)
        raiseText(std::string("buildPayloadBlock - the ") + what +
                  " has 100 or more characters; its field holds at most 99.");
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.insert(bytes.end(), fixedFieldSize - text.size(), 0);
}

} // namespace

ByteVector buildPayloadBlock(const SplashDescription& splash) {
    checkSize(splash.picture.size(), "picture");
    checkSize(splash.sound.size(), "sound");
    checkNoNul(splash.targetFile, "target file name");
    checkNoNul(splash.requirementsMessage, "requirements message");
    checkNoNul(splash.skippedText, "skipped text");
    std::uint64_t total = 4 + std::uint64_t(splash.picture.size()) + 4 + splash.sound.size() +
                          splash.targetFile.size() + 1 + 8 + 3 * fixedFieldSize +
                          splash.requirementsMessage.size() + 1 + splash.skippedText.size() + 1 +
                          splash.skippedBytes.size() + 4;
    checkSize(total, "payload block");

    ByteVector block;
    block.reserve(static_cast<std::size_t>(total));
    appendNumber(block, static_cast<UINT>(splash.picture.size()));
    appendBytes(block, splash.picture);
    appendNumber(block, static_cast<UINT>(splash.sound.size()));
    appendBytes(block, splash.sound);
    appendText(block, splash.targetFile);
    appendNumber(block, splash.displayTime);
    appendNumber(block, splash.launchDelay);
    appendFixedText(block, splash.versionList, "version list");
    appendFixedText(block, splash.resolution, "resolution text");
    appendFixedText(block, splash.colourDepth, "colour text");
    appendText(block, splash.requirementsMessage);
    appendText(block, splash.skippedText);
    block.insert(block.end(), splash.skippedBytes.begin(), splash.skippedBytes.end());
    appendNumber(block, splash.imageOption);
    return block;
}

ByteVector appendPayload(const ByteVector& playerImage, const ByteVector& block) {
    if (block.empty())
        raiseText("appendPayload - the payload block is empty.");
    // The reader positions itself from the file's end with a signed 32-bit distance.
    if (std::uint64_t(block.size()) + trailerSize > largestDataWithTrailer)
        raiseText("appendPayload - the payload block with its trailer is larger than " +
                  uintToText(largestDataWithTrailer) + " bytes.");
    std::uint64_t total = std::uint64_t(playerImage.size()) + block.size() + trailerSize;
    if (total > largestSize)
        raiseText("appendPayload - the player with its payload is larger than 4294967295 bytes.");

    ByteVector image;
    image.reserve(static_cast<std::size_t>(total));
    appendBytes(image, playerImage);
    appendBytes(image, block);
    image.insert(image.end(), trailerMarker, trailerMarker + sizeof(trailerMarker));
    appendNumber(image, static_cast<UINT>(block.size()));
    return image;
}

ByteVector appendSplash(const ByteVector& playerImage, const SplashDescription& splash) {
    return appendPayload(playerImage, buildPayloadBlock(splash));
}
