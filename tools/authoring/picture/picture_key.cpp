// Key colours: chosen where the picture leaves one free, kept off every pixel that shows.
#include "picture_key.h"

#include "bitmap_format.h"
#include "picture_shape.h"

#include <cstdio>
#include <vector>

namespace {

typedef std::uint32_t Colour; // 0x00RRGGBB

Colour colourAt(const unsigned char* pixel) {
    return Colour(pixel[0]) << 16 | Colour(pixel[1]) << 8 | pixel[2];
}

Colour colourOf(KeyColour key) {
    return Colour(key.red) << 16 | Colour(key.green) << 8 | key.blue;
}

void setColour(unsigned char* pixel, Colour colour) {
    pixel[0] = static_cast<unsigned char>(colour >> 16);
    pixel[1] = static_cast<unsigned char>(colour >> 8);
    pixel[2] = static_cast<unsigned char>(colour);
    pixel[3] = 255;
}

// A shown pixel of the key's colour moves one step off it in blue.
void keepOffKey(unsigned char* pixel, KeyColour key) {
    if (colourAt(pixel) == colourOf(key))
        pixel[2] = static_cast<unsigned char>(key.blue == 255 ? 254 : key.blue + 1);
}

// As the 24-bit encoder blends a pixel over the background.
unsigned char blend(unsigned value, unsigned under, unsigned alpha) {
    return static_cast<unsigned char>((value * alpha + under * (255 - alpha) + 127) / 255);
}

} // namespace

bool cutTransparentPixels(RgbaPicture& picture, Rgb background, KeyColour& key) {
    bool anyCut = false;
    for (std::size_t at = 3; at < picture.rgba.size() && !anyCut; at += 4)
        anyCut = picture.rgba[at] < keyOpacityThreshold;
    if (!anyCut)
        return false;
    std::vector<bool> used(std::size_t(1) << 24);
    for (std::size_t at = 0; at < picture.rgba.size(); at += 4) {
        unsigned char* pixel = &picture.rgba[at];
        if (pixel[3] < keyOpacityThreshold)
            continue;
        setColour(pixel, Colour(blend(pixel[0], background.red, pixel[3])) << 16 |
                             Colour(blend(pixel[1], background.green, pixel[3])) << 8 |
                             blend(pixel[2], background.blue, pixel[3]));
        used[colourAt(pixel)] = true;
    }
    // A picture of more than 2^24 - 1 pixels could use every other colour; it is far beyond the
    // player's 32767 a side, so a free one is always found.
    Colour free = 0xFF00FF;
    while (used[free])
        free = (free - 1) & 0xFFFFFF;
    key = KeyColour{static_cast<unsigned char>(free >> 16), static_cast<unsigned char>(free >> 8),
                    static_cast<unsigned char>(free)};
    for (std::size_t at = 0; at < picture.rgba.size(); at += 4)
        if (picture.rgba[at + 3] < keyOpacityThreshold)
            setColour(&picture.rgba[at], free);
    return true;
}

void hideKeyColour(RgbaPicture& picture, KeyColour key) {
    for (std::size_t at = 0; at < picture.rgba.size(); at += 4)
        picture.rgba[at + 3] = colourAt(&picture.rgba[at]) == colourOf(key) ? 0 : 255;
}

void showKeyColour(RgbaPicture& picture, KeyColour key) {
    for (std::size_t at = 0; at < picture.rgba.size(); at += 4) {
        unsigned char* pixel = &picture.rgba[at];
        if (pixel[3] < keyOpacityThreshold) {
            setColour(pixel, colourOf(key));
        } else {
            pixel[3] = 255;
            keepOffKey(pixel, key);
        }
    }
}

bool keyColourCutsOut(const ByteVector& bmp, KeyColour key) {
    BitmapLayout layout;
    if (bmp.size() > 0xFFFFFFFFu ||
        checkBitmap(bmp.data(), static_cast<UINT>(bmp.size()), layout) != BitmapVerdict::accepted)
        return false;
    const UINT width = static_cast<UINT>(layout.width);
    return !shapeIsWhole(pictureShape(bmp.data(), layout, key, width, layout.absoluteHeight), width,
                         layout.absoluteHeight);
}

std::string keyColourText(KeyColour key) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", key.red, key.green, key.blue);
    return text;
}
