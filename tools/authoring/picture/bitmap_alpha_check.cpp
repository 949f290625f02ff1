// The fourth bytes of a 32-bit BMP: reserved for the player, often alpha for the author's tools.
#include "bitmap_alpha_check.h"

#include <cstdint>

bool hasAlphaBytes(const unsigned char* bytes, std::size_t size, const BitmapLayout& layout) {
    if (layout.bitCount != 32 || layout.width <= 0)
        return false;
    // Rows of 32-bit pixels need no padding.
    std::uint64_t rowBytes = std::uint64_t(layout.width) * 4;
    std::uint64_t end = layout.bitsOffset + rowBytes * layout.absoluteHeight;
    if (end > size)
        return false;
    for (std::uint64_t at = layout.bitsOffset + 3; at < end; at += 4)
        if (bytes[at] != 0)
            return true;
    return false;
}

std::string ignoredAlphaWarning() {
    return "is a 32-bit BMP whose fourth bytes are not all zero; it goes in as it is and the "
           "player ignores that alpha channel, drawing every pixel opaque (--background lies "
           "under transparent pixels only in pictures the tool converts)";
}
