// Colour reduction of a screen: 16-bit channels widened again by repeating their top bits, as
// a capture of such a screen reads them; palette screens through the nearest colour they have.
#include "screen_depth.h"

#include "palette_quantiser.h"

namespace {

unsigned char keepBits(unsigned char value, int bits) {
    const unsigned kept = value >> (8 - bits);
    return static_cast<unsigned char>(kept << (8 - bits) | kept >> (2 * bits - 8));
}

// The standard VGA palette: the static colours less the four that Windows adds for 256-colour
// screens.
const std::vector<PaletteColour>& vgaColours() {
    static const std::vector<PaletteColour> colours = [] {
        const std::vector<PaletteColour>& twenty = systemStaticColours();
        std::vector<PaletteColour> sixteen(twenty.begin(), twenty.begin() + 8);
        sixteen.insert(sixteen.end(), twenty.end() - 8, twenty.end());
        return sixteen;
    }();
    return colours;
}

void showInColours(std::vector<unsigned char>& rgba, const std::vector<PaletteColour>& palette) {
    const std::size_t pixels = rgba.size() / 4;
    std::vector<unsigned char> rgb(pixels * 3);
    for (std::size_t i = 0; i < pixels; ++i)
        for (int c = 0; c < 3; ++c)
            rgb[i * 3 + c] = rgba[i * 4 + c];
    const IndexedPicture mapped =
        mapToPalette(rgb.data(), static_cast<std::uint32_t>(pixels), 1, palette, false);
    for (std::size_t i = 0; i < pixels; ++i) {
        const PaletteColour& colour = mapped.palette[mapped.indices[i]];
        rgba[i * 4] = colour.red;
        rgba[i * 4 + 1] = colour.green;
        rgba[i * 4 + 2] = colour.blue;
    }
}

} // namespace

ScreenColours screenColoursOf(std::int32_t colourBits) {
    if (colourBits > 16)
        return ScreenColours::all;
    if (colourBits > 8)
        return ScreenColours::sixteenBit;
    if (colourBits > 4)
        return ScreenColours::staticTwenty;
    return ScreenColours::vgaSixteen;
}

SixteenBitLayout sixteenBitLayoutOf(std::int32_t colourBits, SixteenBitLayout asked) {
    return colourBits < 16 ? SixteenBitLayout::red5green5blue5 : asked;
}

void showOnSixteenBitScreen(std::vector<unsigned char>& rgba, SixteenBitLayout layout) {
    const int greenBits = layout == SixteenBitLayout::red5green6blue5 ? 6 : 5;
    for (std::size_t i = 0; i + 3 < rgba.size(); i += 4) {
        rgba[i] = keepBits(rgba[i], 5);
        rgba[i + 1] = keepBits(rgba[i + 1], greenBits);
        rgba[i + 2] = keepBits(rgba[i + 2], 5);
    }
}

void showOnPaletteScreen(std::vector<unsigned char>& rgba) {
    showInColours(rgba, systemStaticColours());
}

void showOnVgaScreen(std::vector<unsigned char>& rgba) {
    showInColours(rgba, vgaColours());
}
