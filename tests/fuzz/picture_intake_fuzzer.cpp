// Fuzz target: picture intake, bytes in and the picture that goes into the splash out, as the
// build makes it: the picture read (PNG, JPEG, GIF or BMP), fitted and reduced in colours as the
// last two bytes of the input choose. Every input is built or refused with an InputError; what is
// built is a BMP the player accepts, of the size it claims, within the fit.
#include "bitmap_format.h"
#include "fuzz_checks.h"
#include "input_source.h"
#include "picture_colours.h"
#include "picture_fit.h"
#include "picture_intake.h"
#include "tool_error.h"

#include <cstdint>
#include <cstring>

namespace {

// The options of one run, from the input's last two bytes (so that a picture file with two bytes
// appended is a starting input as it stands):
//   first:  bits 0-2 the colours (0 to 4 all of them, 5 256, 6 16, 7 the system's: the colour
//           reduction is slow, so most runs leave it out), bit 3 a fit, bits 4-7 the fit's
//           height in steps of 4
//   second: bits 0-5 the fit's width, 1 to 64; bit 6 no dither
struct FuzzOptions {
    PictureColours colours = PictureColours::all;
    bool dither = true;
    bool fit = false;
    UINT fitWidth = 0;
    UINT fitHeight = 0;
};

FuzzOptions optionsOf(unsigned char first, unsigned char second) {
    const PictureColours colours[] = {PictureColours::palette256, PictureColours::palette16,
                                      PictureColours::system};
    FuzzOptions options;
    options.colours = (first & 7) < 5 ? PictureColours::all : colours[(first & 7) - 5];
    options.fit = (first & 8) != 0;
    options.fitHeight = 1 + (first >> 4) * 4;
    options.fitWidth = 1 + (second & 63);
    options.dither = (second & 64) == 0;
    return options;
}

void checkBuilt(const PreparedPicture& picture, const ByteVector& input,
                const FuzzOptions& options) {
    const ByteVector& bmp = picture.unchanged ? input : picture.bitmap;
    BitmapLayout layout;
    require(bmp.size() <= 0xFFFFFFFFu && checkBitmap(bmp.data(), static_cast<UINT>(bmp.size()),
                                                     layout) == BitmapVerdict::accepted,
            "what goes into the splash is a BMP the player accepts");
    require(UINT(layout.width) == picture.width && layout.absoluteHeight == picture.height,
            "the picture's size is the BMP's");
    if (options.fit)
        require(picture.width <= options.fitWidth && picture.height <= options.fitHeight,
                "a fitted picture fits its screen");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const FuzzOptions options = optionsOf(data[size - 2], data[size - 1]);
    // Exactly sized, so that a read one byte past the picture is outside the allocation.
    ByteVector file(data, data + size - 2);

    PictureLimits limits;
    // Small enough that each run stays quick, large enough for many rows and factors; the
    // colour reduction's refinement of its palette is slow, so it gets small pictures only.
    const bool coloursOfTheWholePicture = options.colours != PictureColours::all && !options.fit;
    limits.maxDecodedPixels = coloursOfTheWholePicture ? 1u << 12 : 1u << 16;
    limits.fitFollows = options.fit;
    limits.reshapeFollows = options.fit || options.colours != PictureColours::all;
    limits.fitWidth = options.fitWidth;
    limits.fitHeight = options.fitHeight;
    const MemoryInput input(file);
    try {
        PreparedPicture picture = preparePicture(input, "fuzz", limits);
        if (options.fit)
            fitPicture(picture, input, "fuzz", WindowSize{options.fitWidth, options.fitHeight});
        reducePictureColours(picture, input, "fuzz", options.colours, options.dither, options.fit);
        if (limits.reshapeFollows)
            checkPictureLimits(picture, picture.unchanged ? file.size() : picture.bitmap.size(),
                               "fuzz", limits);
        checkBuilt(picture, file, options);
    } catch (const InputError& error) {
        require(std::strncmp(error.what(), "picture \"fuzz\" ", 15) == 0,
                "a refusal names the picture");
    }
    return 0;
}
