// Picture fit at build time: the player's own fit decides the size, a linear-light filter
// shrinks the pixels.
#include "picture_fit.h"

#include "message_text.h"
#include "picture_key.h"
#include "screen_values.h"
#include "tool_error.h"

#include "picture_resize.h"
#include "picture_rows.h"

#include <new>
#include <utility>

RgbaPicture decodeShownBitmap(const ByteVector& bmp) {
    // The fourth byte of a 32-bit pixel is no alpha to GDI: the player draws every pixel.
    WholePicture shown;
    decodeBitmapRows(bmp, readBmpHeader(bmp), shown, true);
    return std::move(shown.picture());
}

RgbaPicture resizePicture(const RgbaPicture& picture, WindowSize size) {
    RgbaPicture resized;
    resized.width = size.width;
    resized.height = size.height;
    resized.rgba.resize(std::size_t(size.width) * size.height * 4);
    resizePixels(picture.rgba.data(), picture.width, picture.height, 4, resized.rgba.data(),
                 size.width, size.height);
    return resized;
}

void fitPicture(PreparedPicture& picture, const InputSource& file, const std::string& name,
                WindowSize screen) {
    WindowSize size;
    size.width = picture.width;
    size.height = picture.height;
    WindowSize fitted = fitToScreen(size, screen);
    if (fitted.width == size.width && fitted.height == size.height)
        return;
    try {
        ByteVector bmp = picture.unchanged ? file.readAll() : std::move(picture.bitmap);
        RgbaPicture shown = decodeShownBitmap(bmp);
        if (picture.keyed)
            hideKeyColour(shown, picture.keyColour);
        RgbaPicture resized = resizePicture(shown, fitted);
        if (picture.keyed)
            showKeyColour(resized, picture.keyColour);
        picture.bitmap = encodeBitmap24(resized, Rgb{});
    } catch (const InputError& error) {
        throw InputError("picture \"" + name + "\" " + error.what());
    } catch (const std::bad_alloc&) {
        throw InputError(outOfMemoryText(name, size, true));
    }
    picture.unchanged = false;
    picture.converted = true;
    picture.width = fitted.width;
    picture.height = fitted.height;
    picture.notes.push_back(
        "picture \"" + name + "\" shrunk from " + sizeText(size.width, size.height) + " to " +
        sizeText(fitted.width, fitted.height) + " pixels to fit " + std::to_string(screen.width) +
        " x " + std::to_string(screen.height) + " (--fit)");
}

std::string stretchWarning(WindowSize picture, const std::string& minimumResolution) {
    if (minimumResolution.empty())
        return "";
    ScreenResolution minimum = parseResolution(minimumResolution.c_str());
    WindowSize screen;
    screen.width = minimum.width;
    screen.height = minimum.height;
    WindowSize shown = fitToScreen(picture, screen);
    if (shown.width == picture.width && shown.height == picture.height)
        return "";
    return "the picture of " + sizeText(picture.width, picture.height) +
           " is larger than the smallest screen (" + minimumResolution +
           "), where the player stretches it to " + sizeText(shown.width, shown.height) +
           " on every paint: slower to show, and coarser on Windows 95, 98 and Me, which lack "
           "halftone; --fit " +
           std::to_string(minimum.width) + "x" + std::to_string(minimum.height) +
           " shrinks it once when the splash is built";
}
