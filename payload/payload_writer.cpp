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

void appendEntry(ByteVector& bytes, UINT tag, const ByteVector& data) {
    appendNumber(bytes, tag);
    appendNumber(bytes, static_cast<UINT>(data.size()));
    appendBytes(bytes, data);
}

// The block's size, after every check that the player could read the block back, for a
// picture of `pictureSize` bytes.
std::uint64_t checkedBlockSize(const SplashDescription& splash, std::uint64_t pictureSize) {
    checkSize(pictureSize, "picture");
    checkSize(splash.sound.size(), "sound");
    checkNoNul(splash.targetFile, "target file name");
    checkNoNul(splash.requirementsMessage, "requirements message");
    checkNoNul(splash.skippedText, "skipped text");
    std::uint64_t total = 4 + pictureSize + 4 + splash.sound.size() + splash.targetFile.size() + 1 +
                          8 + 3 * fixedFieldSize + splash.requirementsMessage.size() + 1 +
                          splash.skippedText.size() + 1 + splash.skippedBytes.size() + 4 +
                          extensionBytes(splash.extension).size();
    checkSize(total, "payload block");
    return total;
}

// The fields of the block that follow the picture, in their order, added to `bytes`.
void appendBlockAfterPicture(ByteVector& bytes, const SplashDescription& splash) {
    appendNumber(bytes, static_cast<UINT>(splash.sound.size()));
    appendBytes(bytes, splash.sound);
    appendText(bytes, splash.targetFile);
    appendNumber(bytes, splash.displayTime);
    appendNumber(bytes, splash.launchDelay);
    appendFixedText(bytes, splash.versionList, "version list");
    appendFixedText(bytes, splash.resolution, "resolution text");
    appendFixedText(bytes, splash.colourDepth, "colour text");
    appendText(bytes, splash.requirementsMessage);
    appendText(bytes, splash.skippedText);
    bytes.insert(bytes.end(), splash.skippedBytes.begin(), splash.skippedBytes.end());
    appendNumber(bytes, splash.imageOption);
    appendBytes(bytes, extensionBytes(splash.extension));
}

// The fields of the block, in their order, added to `bytes`.
void appendBlock(ByteVector& bytes, const SplashDescription& splash) {
    appendNumber(bytes, static_cast<UINT>(splash.picture.size()));
    appendBytes(bytes, splash.picture);
    appendBlockAfterPicture(bytes, splash);
}

// The size of the player with a block of `blockSize` bytes and the trailer, after the checks
// that the reader could find the block again.
std::uint64_t checkedImageSize(std::uint64_t playerSize, std::uint64_t blockSize) {
    if (blockSize == 0)
        raiseText("appendPayload - the payload block is empty.");
    // The reader positions itself from the file's end with a signed 32-bit distance.
    if (blockSize + trailerSize > largestDataWithTrailer)
        raiseText("appendPayload - the payload block with its trailer is larger than " +
                  uintToText(largestDataWithTrailer) + " bytes.");
    std::uint64_t total = playerSize + blockSize + trailerSize;
    if (total > largestSize)
        raiseText("appendPayload - the player with its payload is larger than 4294967295 bytes.");
    return total;
}

void appendTrailer(ByteVector& image, std::uint64_t blockSize) {
    image.insert(image.end(), trailerMarker, trailerMarker + sizeof(trailerMarker));
    appendNumber(image, static_cast<UINT>(blockSize));
}

} // namespace

ByteVector extensionBytes(const SplashExtension& extension) {
    if (!extension.any())
        return ByteVector();
    ByteVector entries;
    if (extension.waitForTarget)
        appendEntry(entries, extensionTagWaitForTarget, ByteVector());
    if (extension.shaped)
        appendEntry(entries, extensionTagShape,
                    ByteVector{extension.keyColour.red, extension.keyColour.green,
                               extension.keyColour.blue, 0});
    if (extension.fadeIn != 0 || extension.fadeOut != 0) {
        ByteVector times;
        appendNumber(times, extension.fadeIn);
        appendNumber(times, extension.fadeOut);
        appendEntry(entries, extensionTagFades, times);
    }
    if (extension.laterWindows)
        appendEntry(entries, extensionTagLaterWindows, ByteVector());
    ByteVector bytes(extensionMarker, extensionMarker + sizeof extensionMarker);
    appendNumber(bytes, extensionVersion);
    appendNumber(bytes, static_cast<UINT>(entries.size()));
    appendBytes(bytes, entries);
    return bytes;
}

ByteVector buildPayloadBlock(const SplashDescription& splash) {
    const std::uint64_t total = checkedBlockSize(splash, splash.picture.size());
    ByteVector block;
    block.reserve(static_cast<std::size_t>(total));
    appendBlock(block, splash);
    return block;
}

ByteVector appendPayload(const ByteVector& playerImage, const ByteVector& block) {
    const std::uint64_t total = checkedImageSize(playerImage.size(), block.size());
    ByteVector image;
    image.reserve(static_cast<std::size_t>(total));
    appendBytes(image, playerImage);
    appendBytes(image, block);
    appendTrailer(image, block.size());
    return image;
}

// Written straight into the one output buffer: a large picture is copied once, not twice.
ByteVector appendSplash(const ByteVector& playerImage, const SplashDescription& splash) {
    const std::uint64_t blockSize = checkedBlockSize(splash, splash.picture.size());
    const std::uint64_t total = checkedImageSize(playerImage.size(), blockSize);
    ByteVector image;
    image.reserve(static_cast<std::size_t>(total));
    appendBytes(image, playerImage);
    appendBlock(image, splash);
    appendTrailer(image, blockSize);
    return image;
}

SplashParts splashAroundPicture(std::uint64_t playerSize, const SplashDescription& splash,
                                std::uint64_t pictureSize) {
    const std::uint64_t blockSize = checkedBlockSize(splash, pictureSize);
    checkedImageSize(playerSize, blockSize);
    SplashParts parts;
    appendNumber(parts.head, static_cast<UINT>(pictureSize));
    parts.tail.reserve(static_cast<std::size_t>(blockSize - 4 - pictureSize + trailerSize));
    appendBlockAfterPicture(parts.tail, splash);
    appendTrailer(parts.tail, blockSize);
    return parts;
}
