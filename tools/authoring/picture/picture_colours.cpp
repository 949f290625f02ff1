// Colour reduction at build time: the picture as the player would show it, quantised to an
// optimal palette or mapped to the static colours, written as a palette BMP.
#include "picture_colours.h"

#include "message_text.h"
#include "palette_quantiser.h"
#include "picture_fit.h"
#include "tool_error.h"

#include <new>
#include <utility>

namespace {

unsigned bitsFor(PictureColours colours) {
    return colours == PictureColours::palette16 ? 4 : 8;
}

unsigned entriesFor(PictureColours colours) {
    switch (colours) {
    case PictureColours::palette16:
        return 16;
    case PictureColours::system:
        return static_cast<unsigned>(systemStaticColours().size());
    default:
        return 256;
    }
}

} // namespace

std::string coloursInWords(PictureColours colours) {
    switch (colours) {
    case PictureColours::palette256:
        return "256 colours";
    case PictureColours::palette16:
        return "16 colours";
    case PictureColours::system:
        return "the 20 system colours";
    default:
        return "all its colours";
    }
}

std::uint64_t paletteBitmapSize(UINT width, UINT height, PictureColours colours) {
    const std::uint64_t stride = (std::uint64_t(width) * bitsFor(colours) + 31) / 32 * 4;
    return 14 + 40 + 4 * entriesFor(colours) + stride * height;
}

namespace {

void reduceColours(PreparedPicture& picture, const InputSource& file, const std::string& name,
                   PictureColours colours, bool dither) {
    RgbaPicture shown;
    try {
        shown = decodeShownBitmap(picture.unchanged ? file.readAll() : picture.bitmap);
    } catch (const InputError& error) {
        throw InputError("picture " + inQuotes(name) + " " + error.what());
    }
    const std::uint64_t before = picture.unchanged ? file.size() : picture.bitmap.size();
    std::vector<unsigned char> rgb(std::size_t(shown.width) * shown.height * 3);
    for (std::size_t pixel = 0, at = 0; pixel < rgb.size(); pixel += 3, at += 4) {
        rgb[pixel] = shown.rgba[at];
        rgb[pixel + 1] = shown.rgba[at + 1];
        rgb[pixel + 2] = shown.rgba[at + 2];
    }
    shown.rgba.clear();
    const IndexedPicture indexed =
        colours == PictureColours::system
            ? mapToPalette(rgb.data(), shown.width, shown.height, systemStaticColours(), dither)
            : quantisePicture(rgb.data(), shown.width, shown.height, entriesFor(colours), dither);
    picture.bitmap = encodePaletteBitmap(indexed, bitsFor(colours));
    picture.unchanged = false;
    picture.converted = true;
    picture.notes.push_back("picture " + inQuotes(name) + " stored in " + coloursInWords(colours) +
                            (dither ? ", dithered" : ", not dithered") +
                            " (--colours): " + byteCountText(picture.bitmap.size()) +
                            " instead of " + byteCountText(before));
}

} // namespace

void reducePictureColours(PreparedPicture& picture, const InputSource& file,
                          const std::string& name, PictureColours colours, bool dither,
                          bool fitGiven) {
    if (colours == PictureColours::all)
        return;
    try {
        reduceColours(picture, file, name, colours, dither);
    } catch (const std::bad_alloc&) {
        throw InputError(
            outOfMemoryText(name, WindowSize{picture.width, picture.height}, fitGiven));
    }
}
