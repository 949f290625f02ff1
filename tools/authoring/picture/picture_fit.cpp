// Picture fit at build time: the player's own fit decides the size, a linear-light filter
// shrinks the pixels.
#include "picture_fit.h"

#include "message_text.h"
#include "picture_key.h"
#include "screen_values.h"
#include "tool_error.h"

#include <stb_image.h>
#include <stb_image_resize.h>

#include <climits>
#include <memory>
#include <utility>

RgbaPicture decodeShownBitmap(const ByteVector& bmp) {
    BmpHeader header = readBmpHeader(bmp);
    ByteVector readable = libraryReadableBitmap(bmp, header);
    if (readable.size() > INT_MAX)
        throw InputError("is too large to read");
    int width = 0;
    int height = 0;
    int channels = 0;
    std::unique_ptr<unsigned char, void (*)(void*)> pixels(
        stbi_load_from_memory(readable.data(), static_cast<int>(readable.size()), &width, &height,
                              &channels, 4),
        stbi_image_free);
    if (!pixels) {
        const char* reason = stbi_failure_reason();
        throw InputError(std::string("cannot be read: the image library reports \"") +
                         (reason ? reason : "unknown fault") + "\"");
    }
    RgbaPicture picture;
    picture.width = static_cast<UINT>(width);
    picture.height = static_cast<UINT>(height);
    picture.rgba.assign(pixels.get(),
                        pixels.get() + std::size_t(picture.width) * picture.height * 4);
    // The fourth byte of a 32-bit pixel is no alpha to GDI: the player draws every pixel.
    for (std::size_t at = 3; at < picture.rgba.size(); at += 4)
        picture.rgba[at] = 255;
    return picture;
}

RgbaPicture resizePicture(const RgbaPicture& picture, WindowSize size) {
    RgbaPicture resized;
    resized.width = size.width;
    resized.height = size.height;
    resized.rgba.resize(std::size_t(size.width) * size.height * 4);
    if (!stbir_resize_uint8_srgb(picture.rgba.data(), static_cast<int>(picture.width),
                                 static_cast<int>(picture.height), 0, resized.rgba.data(),
                                 static_cast<int>(size.width), static_cast<int>(size.height), 0, 4,
                                 3, 0))
        throw InputError("cannot be resized: out of memory");
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
