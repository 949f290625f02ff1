// Picture intake: recognise the format, keep a BMP the player reads, convert everything else.
#include "picture_intake.h"

#include "bitmap_alpha_check.h"
#include "exif_orientation.h"
#include "message_text.h"
#include "picture_key.h"

#include "bitmap_codec.h"
#include "bitmap_format.h"
#include "tool_error.h"
#include "window_layout.h"

#include <stb_image.h>
#include <stb_image_resize.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {

enum class PictureFormat { bmp, png, jpeg, gif, unknown };

PictureFormat detectFormat(const ByteVector& file) {
    auto startsWith = [&](const char* magic, std::size_t length) {
        return file.size() >= length && std::memcmp(file.data(), magic, length) == 0;
    };
    if (startsWith("BM", 2))
        return PictureFormat::bmp;
    if (startsWith("\x89PNG\r\n\x1a\n", 8))
        return PictureFormat::png;
    if (startsWith("\xff\xd8\xff", 3))
        return PictureFormat::jpeg;
    if (startsWith("GIF87a", 6) || startsWith("GIF89a", 6))
        return PictureFormat::gif;
    return PictureFormat::unknown;
}

const char* formatName(PictureFormat format) {
    switch (format) {
    case PictureFormat::bmp:
        return "BMP";
    case PictureFormat::png:
        return "PNG";
    case PictureFormat::jpeg:
        return "JPEG";
    case PictureFormat::gif:
        return "GIF";
    default:
        return "unknown";
    }
}

std::string colourText(Rgb colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", colour.red, colour.green, colour.blue);
    return text;
}

void checkDimensions(UINT width, UINT height, const PictureLimits& limits) {
    const UINT largest = static_cast<UINT>(bitmapMaximumDimension);
    if (width > largest || height > largest)
        throw InputError("is " + sizeText(width, height) +
                         " pixels; the player shows at most 32767 pixels a side");
    if (width > limits.maxWidth || height > limits.maxHeight)
        throw InputError("is " + sizeText(width, height) + " pixels, larger than the limit of " +
                         sizeText(limits.maxWidth, limits.maxHeight) + " (--max-picture)");
}

void checkBytes(std::uint64_t bytes, const PictureLimits& limits, const char* how) {
    if (bytes > limits.maxBytes)
        throw InputError(std::string(how) + std::to_string(bytes) +
                         " bytes, more than the limit of " + std::to_string(limits.maxBytes) +
                         " bytes (--max-picture-bytes)");
}

void checkDecodable(UINT width, UINT height, const PictureLimits& limits) {
    std::uint64_t pixels = std::uint64_t(width) * height;
    if (pixels > limits.maxDecodedPixels)
        throw InputError("is " + sizeText(width, height) + " pixels (" + std::to_string(pixels) +
                         "), more than the " + std::to_string(limits.maxDecodedPixels) +
                         " pixels splashpack reads (--max-decoded-pixels)");
}

// The limits of the source before it is read: of the splash's picture too, unless a fit or a
// colour reduction follows that makes another picture of it.
void checkSource(UINT width, UINT height, const PictureLimits& limits) {
    if (!limits.reshapeFollows) {
        checkDimensions(width, height, limits);
        checkBytes(bitmap24Size(width, height), limits, "would take ");
    }
    checkDecodable(width, height, limits);
}

// Pixels the decoder allocated, freed on every way out.
class DecodedPixels {
  public:
    explicit DecodedPixels(unsigned char* pixels) : pixels(pixels) {}
    ~DecodedPixels() { stbi_image_free(pixels); }
    DecodedPixels(const DecodedPixels&) = delete;
    DecodedPixels& operator=(const DecodedPixels&) = delete;
    unsigned char* get() const { return pixels; }

  private:
    unsigned char* pixels;
};

[[noreturn]] void raiseUnreadable() {
    const char* reason = stbi_failure_reason();
    throw InputError(std::string("cannot be read: the image library reports \"") +
                     (reason ? reason : "unknown fault") + "\"");
}

// Measures a PNG, JPEG, GIF or BMP stream without decoding its pixels.
void measure(const unsigned char* data, std::size_t size, UINT& width, UINT& height) {
    if (size > INT_MAX)
        throw InputError("is too large to read");
    int x = 0;
    int y = 0;
    int channels = 0;
    if (!stbi_info_from_memory(data, static_cast<int>(size), &x, &y, &channels))
        raiseUnreadable();
    width = static_cast<UINT>(x);
    height = static_cast<UINT>(y);
}

// Decodes a stream through the image library into four channels; a GIF's first frame, with
// the number of frames in `frames`.
RgbaPicture decodeWithLibrary(const unsigned char* data, std::size_t size, bool gif, int& frames) {
    if (size > INT_MAX)
        throw InputError("is too large to read");
    int width = 0;
    int height = 0;
    int channels = 0;
    frames = 1;
    unsigned char* pixels = nullptr;
    if (gif) {
        int* delays = nullptr;
        pixels = stbi_load_gif_from_memory(data, static_cast<int>(size), &delays, &width, &height,
                                           &frames, &channels, 4);
        stbi_image_free(delays);
    } else {
        pixels = stbi_load_from_memory(data, static_cast<int>(size), &width, &height, &channels, 4);
    }
    DecodedPixels owner(pixels);
    if (pixels == nullptr)
        raiseUnreadable();
    RgbaPicture picture;
    picture.width = static_cast<UINT>(width);
    picture.height = static_cast<UINT>(height);
    picture.rgba.assign(pixels, pixels + std::size_t(picture.width) * picture.height * 4);
    return picture;
}

// The 24-bit BMP of a decoded picture, its transparent pixels shown over the background or, when
// the author cuts them out, in a key colour of their own.
void encodeDecoded(PreparedPicture& prepared, RgbaPicture& picture, const PictureLimits& limits,
                   const char* transparentNote) {
    if (limits.cutTransparent &&
        cutTransparentPixels(picture, limits.background, prepared.keyColour)) {
        prepared.keyed = true;
        prepared.notes.push_back("has pixels below half opacity; they take the key colour " +
                                 keyColourText(prepared.keyColour) +
                                 ", which the splash cuts out of its window");
    } else if (hasTransparency(picture)) {
        prepared.notes.push_back(std::string(transparentNote) + colourText(limits.background) +
                                 " (--background)");
    }
    prepared.bitmap = encodeBitmap24(picture, limits.background);
}

// Why the player refuses a BMP that can still be converted; empty for one that cannot.
std::string convertibleReason(BitmapVerdict verdict, const ByteVector& file) {
    switch (verdict) {
    case BitmapVerdict::unsupportedInfoHeader:
    case BitmapVerdict::compressed:
    case BitmapVerdict::unsupportedBitCount:
        break;
    default:
        return "";
    }
    BmpHeader header = readBmpHeader(file);
    if (verdict == BitmapVerdict::unsupportedInfoHeader)
        return std::to_string(header.headerSize) + "-byte info header";
    if (verdict == BitmapVerdict::compressed)
        return compressionName(header);
    return std::to_string(header.bitCount) + " bits a pixel";
}

// A BMP that the player reads, within the limits: it goes in byte for byte.
PreparedPicture acceptedBitmap(const BitmapLayout& layout, std::uint64_t fileSize,
                               const PictureLimits& limits) {
    if (limits.reshapeFollows) {
        // The fit or the colour reduction reads it when it makes the picture that goes in.
        checkDecodable(static_cast<UINT>(layout.width), layout.absoluteHeight, limits);
    } else {
        checkDimensions(static_cast<UINT>(layout.width), layout.absoluteHeight, limits);
        checkBytes(fileSize, limits, "takes ");
    }
    PreparedPicture prepared;
    prepared.sourceFormat = "BMP";
    prepared.width = static_cast<UINT>(layout.width);
    prepared.height = layout.absoluteHeight;
    return prepared;
}

// `file` is taken over when it goes in byte for byte.
PreparedPicture prepareBitmap(ByteVector& file, const PictureLimits& limits) {
    PreparedPicture prepared;
    prepared.sourceFormat = "BMP";
    BitmapLayout layout;
    BitmapVerdict verdict = file.size() > 0xFFFFFFFFu
                                ? BitmapVerdict::pixelsOutside
                                : checkBitmap(file.data(), static_cast<UINT>(file.size()), layout);
    const bool alphaBytes =
        verdict == BitmapVerdict::accepted && hasAlphaBytes(file.data(), file.size(), layout);
    if (verdict == BitmapVerdict::accepted && !(alphaBytes && limits.cutTransparent)) {
        prepared = acceptedBitmap(layout, file.size(), limits);
        if (alphaBytes)
            prepared.warnings.push_back(ignoredAlphaWarning());
        prepared.bitmap = std::move(file);
        return prepared;
    }

    // A 32-bit picture whose fourth bytes are opacity is read for them when they are cut out.
    std::string reason =
        alphaBytes ? "32 bits a pixel with opacity" : convertibleReason(verdict, file);
    if (reason.empty()) {
        // The headers' own reading names the damage better where it can.
        readBmpHeader(file);
        throw InputError("is a damaged BMP: " + bitmapVerdictText(verdict));
    }
    BmpHeader header = readBmpHeader(file);
    UINT width = static_cast<UINT>(header.width);
    UINT height = static_cast<UINT>(header.height < 0 ? -std::int64_t(header.height)
                                                      : std::int64_t(header.height));
    checkSource(width, height, limits);

    RgbaPicture picture;
    int frames = 1;
    if (!header.os2 && (header.compression == bmpRle8 || header.compression == bmpRle4)) {
        picture = decodeRunLengthBitmap(file, header);
    } else if (!header.os2 && (header.compression == bmpJpeg || header.compression == bmpPng)) {
        std::size_t length =
            header.imageSize != 0 ? header.imageSize : file.size() - header.bitsOffset;
        picture = decodeWithLibrary(file.data() + header.bitsOffset, length, false, frames);
        if (picture.width != width || picture.height != height)
            throw InputError("holds a picture of " + sizeText(picture.width, picture.height) +
                             " pixels in a BMP of " + sizeText(width, height));
    } else if (header.os2 && header.compression != bmpRgb) {
        throw InputError("is " + compressionName(header) + ", which splashpack cannot read");
    } else {
        ByteVector readable = libraryReadableBitmap(file, header);
        picture = decodeWithLibrary(readable.data(), readable.size(), false, frames);
    }
    prepared.converted = true;
    prepared.width = picture.width;
    prepared.height = picture.height;
    prepared.sourceFormat = "BMP the player does not read (" + reason + ")";
    encodeDecoded(prepared, picture, limits, "has undrawn or transparent pixels; they show ");
    return prepared;
}

// A JPEG that the fit shrinks, read as three channels and shrunk straight from the decoder's
// pixels: a camera's picture is never held twice at full size, nor as floats.
PreparedPicture shrunkJpeg(const ByteVector& file, int orientation, WindowSize source,
                           WindowSize fitted, const PictureLimits& limits) {
    if (file.size() > INT_MAX)
        throw InputError("is too large to read");
    bool swaps = orientationSwapsSides(orientation);
    RgbaPicture picture;
    picture.width = swaps ? fitted.height : fitted.width;
    picture.height = swaps ? fitted.width : fitted.height;
    ByteVector rgb(std::size_t(picture.width) * picture.height * 3);
    {
        int width = 0;
        int height = 0;
        int channels = 0;
        DecodedPixels pixels(stbi_load_from_memory(file.data(), static_cast<int>(file.size()),
                                                   &width, &height, &channels, 3));
        if (pixels.get() == nullptr)
            raiseUnreadable();
        if (!stbir_resize_uint8_srgb(
                pixels.get(), width, height, 0, rgb.data(), static_cast<int>(picture.width),
                static_cast<int>(picture.height), 0, 3, STBIR_ALPHA_CHANNEL_NONE, 0))
            throw InputError("cannot be resized: out of memory");
    }
    picture.rgba.resize(std::size_t(picture.width) * picture.height * 4);
    for (std::size_t from = 0, to = 0; from < rgb.size(); from += 3, to += 4) {
        std::memcpy(&picture.rgba[to], &rgb[from], 3);
        picture.rgba[to + 3] = 255;
    }
    PreparedPicture prepared;
    prepared.sourceFormat = "JPEG";
    if (orientation != 1) {
        orientPixels(picture.rgba, picture.width, picture.height, orientation);
        prepared.notes.push_back("is turned upright as its Exif orientation (" +
                                 std::to_string(orientation) + ") says");
    }
    prepared.converted = true;
    prepared.width = picture.width;
    prepared.height = picture.height;
    prepared.notes.push_back("shrunk from " + sizeText(source.width, source.height) + " to " +
                             sizeText(fitted.width, fitted.height) + " pixels to fit " +
                             std::to_string(limits.fitWidth) + " x " +
                             std::to_string(limits.fitHeight) + " (--fit)");
    prepared.bitmap = encodeBitmap24(picture, limits.background);
    return prepared;
}

PreparedPicture prepareDecodable(const ByteVector& file, PictureFormat format,
                                 const PictureLimits& limits) {
    PreparedPicture prepared;
    prepared.sourceFormat = formatName(format);
    UINT width = 0;
    UINT height = 0;
    measure(file.data(), file.size(), width, height);
    int orientation = format == PictureFormat::jpeg ? jpegOrientation(file.data(), file.size()) : 1;
    if (orientationSwapsSides(orientation))
        std::swap(width, height);
    checkSource(width, height, limits);
    if (format == PictureFormat::jpeg && limits.fitFollows) {
        WindowSize source{width, height};
        WindowSize fitted = fitToScreen(source, WindowSize{limits.fitWidth, limits.fitHeight});
        if (fitted.width != width || fitted.height != height)
            return shrunkJpeg(file, orientation, source, fitted, limits);
    }

    int frames = 1;
    RgbaPicture picture =
        decodeWithLibrary(file.data(), file.size(), format == PictureFormat::gif, frames);
    if (orientation != 1) {
        orientPixels(picture.rgba, picture.width, picture.height, orientation);
        prepared.notes.push_back("is turned upright as its Exif orientation (" +
                                 std::to_string(orientation) + ") says");
    }
    prepared.converted = true;
    prepared.width = picture.width;
    prepared.height = picture.height;
    if (frames > 1)
        prepared.notes.push_back("has " + std::to_string(frames) +
                                 " frames; the splash shows the first");
    encodeDecoded(prepared, picture, limits, "has transparent pixels; they show ");
    return prepared;
}

} // namespace

std::string bitmapVerdictText(BitmapVerdict verdict) {
    switch (verdict) {
    case BitmapVerdict::accepted:
        return "accepted";
    case BitmapVerdict::shorterThanFileHeader:
        return "shorter than a BMP file header";
    case BitmapVerdict::notBitmapFile:
        return "not a BMP file";
    case BitmapVerdict::shorterThanInfoHeader:
        return "cut short inside its info header";
    case BitmapVerdict::unsupportedInfoHeader:
        return "an info header other than the 40-byte one";
    case BitmapVerdict::compressed:
        return "compressed";
    case BitmapVerdict::bitsBeyondEnd:
        return "pixels placed past the end of the file";
    case BitmapVerdict::unsupportedBitCount:
        return "a number of bits a pixel other than 1, 4, 8, 16, 24 or 32";
    case BitmapVerdict::badDimensions:
        return "a width or height of 0, a negative width, or more than 32767 pixels a side";
    case BitmapVerdict::colourTableOutside:
        return "a colour table that overlaps the pixels or passes the end of the file";
    case BitmapVerdict::pixelsOutside:
        return "pixel rows that run past the end of the file";
    }
    return "unknown";
}

void checkPictureLimits(const PreparedPicture& picture, std::uint64_t bytes,
                        const std::string& name, const PictureLimits& limits) {
    try {
        checkDimensions(picture.width, picture.height, limits);
        checkBytes(bytes, limits, "takes ");
    } catch (const InputError& error) {
        throw InputError("picture " + inQuotes(name) + " " + error.what());
    }
}

PreparedPicture preparePicture(ByteVector file, const std::string& name,
                               const PictureLimits& limits) {
    std::string named = "picture \"" + name + "\" ";
    try {
        if (file.empty())
            throw InputError("is empty");
        PictureFormat format = detectFormat(file);
        if (format == PictureFormat::unknown)
            throw InputError("is not a picture splashpack reads; use BMP, PNG, JPEG or GIF");
        PreparedPicture prepared = format == PictureFormat::bmp
                                       ? prepareBitmap(file, limits)
                                       : prepareDecodable(file, format, limits);
        if (limits.cutTransparent && !prepared.keyed)
            prepared.warnings.push_back(
                "has no pixel below half opacity: nothing is cut out, and the splash shows as a "
                "rectangle");
        if (prepared.converted)
            prepared.notes.insert(prepared.notes.begin(),
                                  "is a " + prepared.sourceFormat +
                                      "; converted to a 24-bit BMP of " +
                                      sizeText(prepared.width, prepared.height) + " pixels (" +
                                      std::to_string(prepared.bitmap.size()) + " bytes)");
        for (std::string& note : prepared.notes)
            note = named + note;
        for (std::string& warning : prepared.warnings)
            warning = named + warning;
        return prepared;
    } catch (const InputError& error) {
        throw InputError(named + error.what());
    }
}

PreparedPicture preparePicture(const InputSource& file, const std::string& name,
                               const PictureLimits& limits) {
    // The player's check reads the file and info headers and measures the pixels against the
    // file's size, so a BMP it takes is never read further here.
    const std::size_t headers = bitmapFileHeaderSize + bitmapInfoHeaderSize;
    ByteVector head = file.head(headers);
    BitmapLayout layout;
    if (file.size() <= 0xFFFFFFFFu &&
        head.size() == std::min<std::uint64_t>(headers, file.size()) &&
        checkBitmap(head.data(), static_cast<UINT>(file.size()), layout) ==
            BitmapVerdict::accepted) {
        try {
            PreparedPicture prepared = acceptedBitmap(layout, file.size(), limits);
            prepared.unchanged = true;
            // Only a 32-bit picture is read whole here, for its fourth bytes.
            if (layout.bitCount == 32) {
                ByteVector bytes = file.readAll();
                if (hasAlphaBytes(bytes.data(), bytes.size(), layout)) {
                    if (limits.cutTransparent)
                        return preparePicture(std::move(bytes), name, limits);
                    prepared.warnings.push_back("picture \"" + name + "\" " +
                                                ignoredAlphaWarning());
                }
            }
            return prepared;
        } catch (const InputError& error) {
            throw InputError("picture \"" + name + "\" " + error.what());
        }
    }
    return preparePicture(file.readAll(), name, limits);
}
