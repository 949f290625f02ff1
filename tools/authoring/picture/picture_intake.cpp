// Picture intake: recognise the format, keep a BMP the player reads, convert everything else.
#include "picture_intake.h"

#include "bitmap_alpha_check.h"
#include "exif_orientation.h"
#include "message_text.h"
#include "picture_decoders.h"
#include "picture_fit.h"
#include "picture_key.h"

#include "bitmap_codec.h"
#include "bitmap_format.h"
#include "tool_error.h"
#include "window_layout.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
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

// Where the decoded rows go: into the whole picture, or, when a fit follows that shrinks it, into
// a picture shrunk as the rows arrive and then resized to the fit, so that it is never held at
// its full size. The source's size is `width` x `height` as stored; `orientation` turns it.
class PictureTarget {
  public:
    PictureTarget(UINT width, UINT height, int orientation, const PictureLimits& limits) {
        const bool swaps = orientationSwapsSides(orientation);
        upright_ = swaps ? WindowSize{height, width} : WindowSize{width, height};
        if (!limits.fitFollows)
            return;
        fitScreen_ = WindowSize{limits.fitWidth, limits.fitHeight};
        fitted_ = fitToScreen(upright_, fitScreen_);
        if (fitted_.width == upright_.width && fitted_.height == upright_.height)
            return;
        stored_ = swaps ? WindowSize{fitted_.height, fitted_.width} : fitted_;
        shrinking_.emplace(stored_);
    }
    bool shrinks() const { return shrinking_.has_value(); }
    PictureRows& rows() { return shrinks() ? static_cast<PictureRows&>(*shrinking_) : whole_; }
    // The least size a decoder that scales must deliver; 0 x 0: the whole picture.
    WindowSize atLeast() const { return shrinks() ? stored_ : WindowSize{}; }
    // The picture, once every row has arrived, at the fitted size when it shrinks.
    RgbaPicture take() {
        if (!shrinks())
            return std::move(whole_.picture());
        RgbaPicture& shrunk = shrinking_->picture();
        if (shrunk.width == stored_.width && shrunk.height == stored_.height)
            return std::move(shrunk);
        RgbaPicture resized = resizePicture(shrunk, stored_);
        shrunk.rgba = std::vector<unsigned char>();
        return resized;
    }
    std::string shrinkNote() const {
        return "shrunk from " + sizeText(upright_.width, upright_.height) + " to " +
               sizeText(fitted_.width, fitted_.height) + " pixels to fit " +
               std::to_string(fitScreen_.width) + " x " + std::to_string(fitScreen_.height) +
               " (--fit)";
    }

  private:
    WindowSize upright_;
    WindowSize fitScreen_;
    WindowSize fitted_;
    WindowSize stored_;
    WholePicture whole_;
    std::optional<ShrinkingPicture> shrinking_;
};

std::unique_ptr<PictureDecoder> openDecoder(PictureFormat format, const unsigned char* data,
                                            std::size_t size) {
    switch (format) {
    case PictureFormat::png:
        return openPng(data, size);
    case PictureFormat::jpeg:
        return openJpeg(data, size);
    case PictureFormat::gif:
        return openGif(data, size);
    default:
        throw std::logic_error("no decoder for this format");
    }
}

// What the decoder adds to the picture's notes and warnings, and the picture's own.
void takeDecoderFacts(PreparedPicture& prepared, PictureDecoder& decoder) {
    prepared.notes.insert(prepared.notes.end(), decoder.notes.begin(), decoder.notes.end());
    prepared.warnings.insert(prepared.warnings.end(), decoder.warnings.begin(),
                             decoder.warnings.end());
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

// Feeds a picture decoded whole to `rows`, for a decoder that cannot deliver rows as it goes.
void deliverRows(const RgbaPicture& picture, PictureRows& rows) {
    rows.start(picture.width, picture.height);
    for (UINT y = 0; y < picture.height; ++y)
        rows.row(y, &picture.rgba[std::size_t(y) * picture.width * 4]);
}

// A BMP that the player reads and a fit shrinks: read from its bytes straight into the shrunk
// picture, as the player shows it (every pixel opaque).
PreparedPicture shrunkBitmap(const ByteVector& file, const PictureLimits& limits) {
    BmpHeader header = readBmpHeader(file);
    PictureTarget target(static_cast<UINT>(header.width),
                         static_cast<UINT>(header.height < 0 ? -std::int64_t(header.height)
                                                             : std::int64_t(header.height)),
                         1, limits);
    decodeBitmapRows(file, header, target.rows(), true);
    RgbaPicture picture = target.take();
    PreparedPicture prepared;
    prepared.sourceFormat = "BMP";
    prepared.converted = true;
    prepared.width = picture.width;
    prepared.height = picture.height;
    prepared.notes.push_back(target.shrinkNote());
    prepared.bitmap = encodeBitmap24(picture, Rgb{});
    return prepared;
}

// `file` is taken over when it goes in byte for byte. `measured` gets the picture's size once
// its headers give it.
PreparedPicture prepareBitmap(ByteVector& file, const PictureLimits& limits, WindowSize& measured) {
    PreparedPicture prepared;
    prepared.sourceFormat = "BMP";
    BitmapLayout layout;
    BitmapVerdict verdict = file.size() > 0xFFFFFFFFu
                                ? BitmapVerdict::pixelsOutside
                                : checkBitmap(file.data(), static_cast<UINT>(file.size()), layout);
    const bool alphaBytes =
        verdict == BitmapVerdict::accepted && hasAlphaBytes(file.data(), file.size(), layout);
    if (verdict == BitmapVerdict::accepted && !(alphaBytes && limits.cutTransparent)) {
        measured = WindowSize{static_cast<UINT>(layout.width), layout.absoluteHeight};
        prepared = acceptedBitmap(layout, file.size(), limits);
        if (PictureTarget(measured.width, measured.height, 1, limits).shrinks())
            return shrunkBitmap(file, limits);
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
    measured = WindowSize{width, height};
    checkSource(width, height, limits);

    PictureTarget target(width, height, 1, limits);
    if (!header.os2 && (header.compression == bmpRle8 || header.compression == bmpRle4)) {
        deliverRows(decodeRunLengthBitmap(file, header), target.rows());
    } else if (!header.os2 && (header.compression == bmpJpeg || header.compression == bmpPng)) {
        std::size_t length =
            header.imageSize != 0 ? header.imageSize : file.size() - header.bitsOffset;
        const unsigned char* stream = file.data() + header.bitsOffset;
        std::unique_ptr<PictureDecoder> decoder =
            header.compression == bmpJpeg ? openJpeg(stream, length) : openPng(stream, length);
        if (decoder->width() != width || decoder->height() != height)
            throw InputError("holds a picture of " + sizeText(decoder->width(), decoder->height()) +
                             " pixels in a BMP of " + sizeText(width, height));
        decoder->decode(target.rows(), target.atLeast());
        takeDecoderFacts(prepared, *decoder);
    } else if (header.os2 && header.compression != bmpRgb) {
        throw InputError("is " + compressionName(header) + ", which splashpack cannot read");
    } else {
        decodeBitmapRows(file, header, target.rows(), false);
    }
    RgbaPicture picture = target.take();
    prepared.converted = true;
    prepared.width = picture.width;
    prepared.height = picture.height;
    prepared.sourceFormat = "BMP the player does not read (" + reason + ")";
    encodeDecoded(prepared, picture, limits, "has undrawn or transparent pixels; they show ");
    if (target.shrinks())
        prepared.notes.push_back(target.shrinkNote());
    return prepared;
}

PreparedPicture prepareDecodable(const ByteVector& file, PictureFormat format,
                                 const PictureLimits& limits, WindowSize& measured) {
    PreparedPicture prepared;
    prepared.sourceFormat = formatName(format);
    std::unique_ptr<PictureDecoder> decoder = openDecoder(format, file.data(), file.size());
    int orientation = format == PictureFormat::jpeg ? jpegOrientation(file.data(), file.size()) : 1;
    PictureTarget target(decoder->width(), decoder->height(), orientation, limits);
    UINT width = decoder->width();
    UINT height = decoder->height();
    if (orientationSwapsSides(orientation))
        std::swap(width, height);
    measured = WindowSize{width, height};
    checkSource(width, height, limits);

    decoder->decode(target.rows(), target.atLeast());
    takeDecoderFacts(prepared, *decoder);
    RgbaPicture picture = target.take();
    if (orientation != 1) {
        orientPixels(picture.rgba, picture.width, picture.height, orientation);
        prepared.notes.push_back("is turned upright as its Exif orientation (" +
                                 std::to_string(orientation) + ") says");
    }
    prepared.converted = true;
    prepared.width = picture.width;
    prepared.height = picture.height;
    if (decoder->frames > 1)
        prepared.notes.push_back("has " + std::to_string(decoder->frames) +
                                 " frames; the splash shows the first");
    encodeDecoded(prepared, picture, limits, "has transparent pixels; they show ");
    if (target.shrinks())
        prepared.notes.push_back(target.shrinkNote());
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

std::string outOfMemoryText(const std::string& name, WindowSize size, bool fitGiven) {
    std::string text = "picture " + inQuotes(name) + " is ";
    text += size.width > 0 ? sizeText(size.width, size.height) + " pixels, more than" : "more than";
    text += " splashpack can hold in memory here";
    if (fitGiven)
        return text + ", even shrunk by --fit as it is read: make it smaller before, or refuse "
                      "such pictures before they are read with a lower --max-decoded-pixels";
    return text + ": --fit WxH shrinks it as it is read, and a lower --max-decoded-pixels "
                  "refuses such pictures before they are read";
}

PreparedPicture preparePicture(ByteVector file, const std::string& name,
                               const PictureLimits& limits) {
    std::string named = "picture \"" + name + "\" ";
    WindowSize measured;
    try {
        if (file.empty())
            throw InputError("is empty");
        PictureFormat format = detectFormat(file);
        if (format == PictureFormat::unknown)
            throw InputError("is not a picture splashpack reads; use BMP, PNG, JPEG or GIF");
        PreparedPicture prepared = format == PictureFormat::bmp
                                       ? prepareBitmap(file, limits, measured)
                                       : prepareDecodable(file, format, limits, measured);
        // A BMP the player reads stays one when the fit shrinks it: only the fit is news.
        if (prepared.converted && prepared.sourceFormat != "BMP")
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
    } catch (const std::bad_alloc&) {
        throw InputError(outOfMemoryText(name, measured, limits.fitFollows));
    }
}

namespace {

ByteVector readWhole(const InputSource& file, const std::string& name,
                     const PictureLimits& limits) {
    try {
        return file.readAll();
    } catch (const std::bad_alloc&) {
        throw InputError(outOfMemoryText(name, WindowSize{}, limits.fitFollows));
    }
}

} // namespace

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
        const WindowSize size{static_cast<UINT>(layout.width), layout.absoluteHeight};
        if (PictureTarget(size.width, size.height, 1, limits).shrinks()) {
            // The fit reads its pixels, so what may be read is checked before.
            try {
                checkDecodable(size.width, size.height, limits);
            } catch (const InputError& error) {
                throw InputError("picture \"" + name + "\" " + error.what());
            }
            return preparePicture(readWhole(file, name, limits), name, limits);
        }
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
    return preparePicture(readWhole(file, name, limits), name, limits);
}
