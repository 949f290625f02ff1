// Fewer colours for a lighter splash: a picture reduced to a palette of at most 256 colours,
// chosen for it or given (the 20 static colours a 256-colour screen keeps), and stored as the
// 8-bit or 4-bit BMP that the player draws as it is.
#pragma once

#include <cstdint>
#include <vector>

struct PaletteColour {
    unsigned char red = 0;
    unsigned char green = 0;
    unsigned char blue = 0;
    bool operator==(const PaletteColour& other) const {
        return red == other.red && green == other.green && blue == other.blue;
    }
};

// Pixels as indices into a palette, top row first, one byte a pixel.
struct IndexedPicture {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<PaletteColour> palette;
    std::vector<unsigned char> indices;
};

// The 20 colours that Windows keeps in every palette of a 256-colour screen: the first ten and
// the last ten entries of its default palette.
const std::vector<PaletteColour>& systemStaticColours();

// Chooses at most `colours` (2 to 256) colours for the picture of `width` x `height` pixels at
// `rgb` (three bytes a pixel, red first, top row first) and maps every pixel to them, spreading
// each pixel's error over its neighbours (Floyd-Steinberg) when `dither` is set.
IndexedPicture quantisePicture(const unsigned char* rgb, std::uint32_t width, std::uint32_t height,
                               unsigned colours, bool dither);

// Maps every pixel to the nearest colour of `palette` (1 to 256 entries), dithered or not.
IndexedPicture mapToPalette(const unsigned char* rgb, std::uint32_t width, std::uint32_t height,
                            const std::vector<PaletteColour>& palette, bool dither);

// An uncompressed bottom-up BMP of 4 bits a pixel (a palette of at most 16 colours) or 8 bits
// a pixel, with a 40-byte info header and a colour table of exactly the palette's entries.
std::vector<unsigned char> encodePaletteBitmap(const IndexedPicture& picture,
                                               unsigned bitsPerPixel);
