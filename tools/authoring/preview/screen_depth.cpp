// Colour reduction of a screen: 16-bit channels widened again by repeating their top bits, as
// a capture of such a screen reads them; 8-bit screens through the nearest static colour.
#include "screen_depth.h"

#include "palette_quantiser.h"

namespace {

unsigned char keepBits(unsigned char value, int bits) {
    const unsigned kept = value >> (8 - bits);
    return static_cast<unsigned char>(kept << (8 - bits) | kept >> (2 * bits - 8));
}

} // namespace

void showOnSixteenBitScreen(std::vector<unsigned char>& rgba, SixteenBitLayout layout) {
    const int greenBits = layout == SixteenBitLayout::red5green6blue5 ? 6 : 5;
    for (std::size_t i = 0; i + 3 < rgba.size(); i += 4) {
        rgba[i] = keepBits(rgba[i], 5);
        rgba[i + 1] = keepBits(rgba[i + 1], greenBits);
        rgba[i + 2] = keepBits(rgba[i + 2], 5);
    }
}

void showOnPaletteScreen(std::vector<unsigned char>& rgba) {
    const std::size_t pixels = rgba.size() / 4;
    std::vector<unsigned char> rgb(pixels * 3);
    for (std::size_t i = 0; i < pixels; ++i)
        for (int c = 0; c < 3; ++c)
            rgb[i * 3 + c] = rgba[i * 4 + c];
    const IndexedPicture mapped = mapToPalette(rgb.data(), static_cast<std::uint32_t>(pixels), 1,
                                               systemStaticColours(), false);
    for (std::size_t i = 0; i < pixels; ++i) {
        const PaletteColour& colour = mapped.palette[mapped.indices[i]];
        rgba[i * 4] = colour.red;
        rgba[i * 4 + 1] = colour.green;
        rgba[i * 4 + 2] = colour.blue;
    }
}
