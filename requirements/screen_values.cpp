// The resolution and colour-depth texts of the payload.
#include "screen_values.h"

#include "decimal_text.h"

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

void skipWhiteSpace(const char*& position) {
    while (isWhiteSpace(*position))
        ++position;
}

// One "%u" conversion: white space, an optional sign, decimal digits, taken as strtoul does
// with base 10 and a 32-bit unsigned long (the player's platform): a magnitude above
// 4294967295 gives 4294967295, and a '-' negates the value modulo 2^32 ("-1" is 4294967295).
// Returns false, leaving `position` alone, when no digit follows.
bool readUnsigned(const char*& position, std::uint32_t& value) {
    const char* p = position;
    skipWhiteSpace(p);
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    if (!isDigit(*p))
        return false;
    const std::uint64_t limit = 4294967295ULL;
    std::uint64_t magnitude = 0;
    for (; isDigit(*p); ++p) {
        if (magnitude <= limit)
            magnitude = magnitude * 10 + static_cast<std::uint64_t>(*p - '0');
    }
    if (magnitude > limit)
        value = 4294967295U;
    else
        value = static_cast<std::uint32_t>(negative ? 0 - magnitude : magnitude);
    position = p;
    return true;
}

} // namespace

ScreenResolution parseResolution(const char* text) {
    ScreenResolution resolution;
    if (text == nullptr)
        return resolution;
    const char* position = text;
    if (!readUnsigned(position, resolution.width))
        return resolution;
    // The format's spaces match any white space, none included; its 'x' only itself.
    skipWhiteSpace(position);
    if (*position != 'x')
        return resolution;
    ++position;
    readUnsigned(position, resolution.height);
    return resolution;
}

std::string formatResolution(const ScreenResolution& resolution) {
    // "%d x %d": each value as the signed 32-bit number it is passed as.
    return signedDecimalText(static_cast<std::int32_t>(resolution.width)) + " x " +
           signedDecimalText(static_cast<std::int32_t>(resolution.height));
}

std::int32_t parseColourDepth(const char* text) {
    std::uint32_t bits = 0;
    if (text != nullptr) {
        const char* position = text;
        // " bit" after the number cannot change what has been read.
        readUnsigned(position, bits);
    }
    return static_cast<std::int32_t>(bits);
}

std::string formatColourDepth(std::int32_t bits) {
    return signedDecimalText(bits) + " bit";
}
