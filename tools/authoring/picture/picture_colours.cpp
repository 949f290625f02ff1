// Colour reduction at build time: the picture as the player would show it, quantised to an
// optimal palette or mapped to the static colours, written as a palette BMP.
#include "picture_colours.h"

#include "message_text.h"
#include "palette_quantiser.h"
#include "picture_fit.h"
#include "picture_key.h"
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

bool isKey(const unsigned char* pixel, const PaletteColour& key) {
    return pixel[0] == key.red && pixel[1] == key.green && pixel[2] == key.blue;
}

// The reduction of a keyed picture: the palette is chosen from the other pixels alone, one entry
// short, and none of its entries is the key; the key's pixels take the last entry. For the
// mapping they carry a colour of that palette instead, so that the error the dither passes
// through them is only what their neighbours sent.
IndexedPicture reduceKeepingKey(std::vector<unsigned char>& rgb, UINT width, UINT height,
                                PictureColours colours, bool dither, KeyColour keyColour) {
    const PaletteColour key{keyColour.red, keyColour.green, keyColour.blue};
    std::vector<PaletteColour> palette;
    if (colours == PictureColours::system) {
        for (const PaletteColour& entry : systemStaticColours())
            if (!(entry == key))
                palette.push_back(entry);
    } else {
        std::vector<unsigned char> others;
        for (std::size_t at = 0; at < rgb.size(); at += 3)
            if (!isKey(&rgb[at], key))
                others.insert(others.end(), &rgb[at], &rgb[at] + 3);
        if (others.empty())
            others = {0, 0, 0};
        palette = quantisePicture(others.data(), static_cast<std::uint32_t>(others.size() / 3), 1,
                                  entriesFor(colours) - 1, false)
                      .palette;
        for (PaletteColour& entry : palette)
            if (entry == key)
                entry.blue = static_cast<unsigned char>(key.blue == 255 ? 254 : key.blue + 1);
    }
    std::vector<bool> keyed(std::size_t(width) * height);
    for (std::size_t pixel = 0; pixel < keyed.size(); ++pixel) {
        unsigned char* at = &rgb[pixel * 3];
        if (!isKey(at, key))
            continue;
        keyed[pixel] = true;
        at[0] = palette.front().red;
        at[1] = palette.front().green;
        at[2] = palette.front().blue;
    }
    IndexedPicture indexed = mapToPalette(rgb.data(), width, height, palette, dither);
    const unsigned char keyIndex = static_cast<unsigned char>(palette.size());
    indexed.palette.push_back(key);
    for (std::size_t pixel = 0; pixel < keyed.size(); ++pixel)
        if (keyed[pixel])
            indexed.indices[pixel] = keyIndex;
    return indexed;
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
        picture.keyed
            ? reduceKeepingKey(rgb, shown.width, shown.height, colours, dither, picture.keyColour)
        : colours == PictureColours::system
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
