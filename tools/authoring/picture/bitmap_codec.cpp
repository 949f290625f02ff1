// BMP headers of every size, run-length decoding, and the 24-bit BMP writer.
#include "bitmap_codec.h"

#include "little_endian.h"
#include "little_endian_output.h"
#include "tool_error.h"

namespace {

UINT read16(const ByteVector& bytes, std::size_t at) {
    return readLittleEndian16(&bytes[at]);
}

UINT read32(const ByteVector& bytes, std::size_t at) {
    return readLittleEndian32(&bytes[at]);
}

bool windowsHeaderSize(UINT size) {
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

std::uint64_t rowBytes(std::uint64_t width, std::uint64_t bitCount) {
    return (width * bitCount + 31) / 32 * 4;
}

// Writes decoded indices into the picture, refusing anything outside it.
class RunLengthCanvas {
  public:
    RunLengthCanvas(RgbaPicture& picture, const ByteVector& bytes, const BmpHeader& header)
        : picture(picture), bytes(bytes), header(header) {}

    void put(UINT index) {
        if (row >= picture.height)
            throw InputError("is damaged: its run-length data draws past the last row");
        if (column >= picture.width)
            throw InputError("is damaged: its run-length data draws past the end of a row");
        if (index >= header.paletteEntries)
            throw InputError("is damaged: its run-length data uses colour " +
                             std::to_string(index) + ", which the colour table lacks");
        std::size_t entry = header.paletteOffset + std::size_t(index) * header.paletteEntrySize;
        // The file's first row is the picture's bottom row.
        std::size_t at = (std::size_t(picture.height - 1 - row) * picture.width + column) * 4;
        picture.rgba[at] = bytes[entry + 2];
        picture.rgba[at + 1] = bytes[entry + 1];
        picture.rgba[at + 2] = bytes[entry];
        picture.rgba[at + 3] = 255;
        ++column;
    }

    void endLine() {
        column = 0;
        ++row;
    }

    void move(UINT right, UINT up) {
        column += right;
        row += up;
        if (column > picture.width || (row > picture.height) || (row == picture.height && column))
            throw InputError("is damaged: its run-length data moves outside the picture");
    }

  private:
    RgbaPicture& picture;
    const ByteVector& bytes;
    const BmpHeader& header;
    UINT column = 0;
    UINT row = 0;
};

} // namespace

BmpHeader readBmpHeader(const ByteVector& bytes) {
    if (bytes.size() < 18 || bytes[0] != 'B' || bytes[1] != 'M')
        throw InputError("is not a BMP file");
    BmpHeader header;
    header.headerSize = read32(bytes, 14);
    header.bitsOffset = read32(bytes, 10);
    UINT size = header.headerSize;
    if (size != 12 && !windowsHeaderSize(size) && (size < 16 || size > 64))
        throw InputError("has an info header of " + std::to_string(size) +
                         " bytes, a size no BMP uses");
    if (bytes.size() < 14 + std::size_t(size))
        throw InputError("is cut short inside its info header");

    UINT colourCount = 0;
    if (size == 12) {
        header.os2 = true;
        header.width = static_cast<std::int32_t>(read16(bytes, 18));
        header.height = static_cast<std::int32_t>(read16(bytes, 20));
        header.bitCount = read16(bytes, 24);
        header.paletteEntrySize = 3;
    } else {
        header.os2 = !windowsHeaderSize(size);
        header.width = static_cast<std::int32_t>(read32(bytes, 18));
        header.height = static_cast<std::int32_t>(read32(bytes, 22));
        header.bitCount = read16(bytes, 28);
        if (size >= 20)
            header.compression = read32(bytes, 30);
        if (size >= 24)
            header.imageSize = read32(bytes, 34);
        if (size >= 36)
            colourCount = read32(bytes, 46);
    }

    header.paletteOffset = 14 + size;
    if (size == 40 && header.compression == bmpBitFields)
        header.paletteOffset += 12;
    if (size == 40 && header.compression == bmpAlphaBitFields)
        header.paletteOffset += 16;
    if (header.bitCount <= 8) {
        UINT largest = 1u << header.bitCount;
        header.paletteEntries = colourCount == 0 || colourCount > largest ? largest : colourCount;
        // A table that runs into the pixels is cut where they start.
        UINT room = header.bitsOffset > header.paletteOffset
                        ? (header.bitsOffset - header.paletteOffset) / header.paletteEntrySize
                        : 0;
        if (header.paletteEntries > room)
            header.paletteEntries = room;
    }

    if (header.width <= 0)
        throw InputError("has a width of " + std::to_string(header.width) + " pixels");
    if (header.height == 0 || header.height == INT32_MIN)
        throw InputError("has a height of " + std::to_string(header.height) + " pixels");
    if (header.bitsOffset < header.paletteOffset) {
        bool masks = header.paletteOffset > 14 + size;
        throw InputError("places its pixels (offset " + std::to_string(header.bitsOffset) +
                         ") over its " + (masks ? "colour masks" : "headers") +
                         ", which end at offset " + std::to_string(header.paletteOffset));
    }
    if (header.bitsOffset > bytes.size())
        throw InputError("places its pixels outside the file (offset " +
                         std::to_string(header.bitsOffset) + ")");

    std::uint64_t available = bytes.size() - header.bitsOffset;
    bool packed = header.compression == bmpRle8 || header.compression == bmpRle4 ||
                  header.compression == bmpJpeg || header.compression == bmpPng;
    if (packed) {
        if (header.imageSize > available)
            throw InputError("is cut short: its compressed pixels run past the end of the file");
    } else {
        std::uint64_t height = header.height < 0 ? -std::int64_t(header.height) : header.height;
        std::uint64_t needed = rowBytes(std::uint64_t(header.width), header.bitCount) * height;
        if (needed > available)
            throw InputError("is cut short: its pixel rows need " + std::to_string(needed) +
                             " bytes and the file has " + std::to_string(available));
    }
    return header;
}

std::string compressionName(const BmpHeader& header) {
    if (header.os2 && header.compression == 3)
        return "OS/2 Huffman compressed";
    if (header.os2 && header.compression == 4)
        return "OS/2 RLE24 compressed";
    switch (header.compression) {
    case bmpRgb:
        return "uncompressed";
    case bmpRle8:
        return "RLE8 compressed";
    case bmpRle4:
        return "RLE4 compressed";
    case bmpBitFields:
    case bmpAlphaBitFields:
        return "bit-field";
    case bmpJpeg:
        return "JPEG compressed";
    case bmpPng:
        return "PNG compressed";
    default:
        return "compression " + std::to_string(header.compression);
    }
}

RgbaPicture decodeRunLengthBitmap(const ByteVector& bytes, const BmpHeader& header) {
    bool fourBits = header.compression == bmpRle4;
    if (header.bitCount != (fourBits ? 4u : 8u))
        throw InputError("is " + compressionName(header) + " with " +
                         std::to_string(header.bitCount) + " bits a pixel, which that lacks");
    if (header.height < 0)
        throw InputError("is run-length compressed and top-down, which BMP does not allow");

    RgbaPicture picture;
    picture.width = static_cast<UINT>(header.width);
    picture.height = static_cast<UINT>(header.height);
    picture.rgba.assign(std::size_t(picture.width) * picture.height * 4, 0);
    RunLengthCanvas canvas(picture, bytes, header);

    std::size_t at = header.bitsOffset;
    std::size_t end = header.imageSize != 0 ? at + header.imageSize : bytes.size();
    while (at + 2 <= end) {
        UINT count = bytes[at];
        UINT value = bytes[at + 1];
        at += 2;
        if (count > 0) {
            for (UINT i = 0; i < count; ++i)
                canvas.put(fourBits ? (i % 2 == 0 ? value >> 4 : value & 15) : value);
        } else if (value == 0) {
            canvas.endLine();
        } else if (value == 1) {
            return picture;
        } else if (value == 2) {
            if (at + 2 > end)
                throw InputError("is cut short inside its run-length data");
            canvas.move(bytes[at], bytes[at + 1]);
            at += 2;
        } else {
            // Literal pixels, padded to a whole number of 16-bit words.
            std::size_t length = fourBits ? (value + 1) / 2 : value;
            if (at + length > end)
                throw InputError("is cut short inside its run-length data");
            for (UINT i = 0; i < value; ++i)
                canvas.put(fourBits ? (i % 2 == 0 ? bytes[at + i / 2] >> 4 : bytes[at + i / 2] & 15)
                                    : bytes[at + i]);
            at += (length + 1) / 2 * 2;
        }
    }
    // Data that ends without its end-of-picture mark leaves the rest undrawn.
    return picture;
}

ByteVector libraryReadableBitmap(const ByteVector& bytes, const BmpHeader& header) {
    UINT bits = header.bitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        throw InputError("has " + std::to_string(bits) +
                         " bits a pixel, which splashpack cannot read");
    bool fields = header.compression == bmpBitFields || header.compression == bmpAlphaBitFields;
    if (header.compression != bmpRgb && !(fields && (bits == 16 || bits == 32)))
        throw InputError("is " + compressionName(header) + " with " + std::to_string(bits) +
                         " bits a pixel, which splashpack cannot read");

    UINT masks[4] = {0, 0, 0, 0};
    if (fields) {
        // After a 40-byte header the fields follow it; larger headers hold them.
        std::size_t at = 54;
        UINT count = header.headerSize >= 56 || header.compression == bmpAlphaBitFields ? 4 : 3;
        for (UINT i = 0; i < count; ++i)
            masks[i] = read32(bytes, at + 4 * i);
    }
    for (UINT i = 0; fields && i < 4; ++i) {
        UINT width = 0;
        for (UINT mask = masks[i]; mask != 0; mask >>= 1)
            width += mask & 1;
        if ((i < 3 && width == 0) || width > 8)
            throw InputError("has bit fields of " + std::to_string(width) +
                             " bits for one channel; splashpack reads 1 to 8");
    }
    UINT infoSize = fields ? 108 : 40;
    UINT entries = bits <= 8 ? header.paletteEntries : 0;
    std::uint64_t height = header.height < 0 ? -std::int64_t(header.height) : header.height;
    std::size_t pixelBytes =
        static_cast<std::size_t>(rowBytes(std::uint64_t(header.width), bits) * height);
    UINT offset = 14 + infoSize + entries * 4;

    ByteVector out;
    out.reserve(offset + pixelBytes);
    out.push_back('B');
    out.push_back('M');
    appendLittleEndian32(out, static_cast<UINT>(offset + pixelBytes));
    appendLittleEndian32(out, 0);
    appendLittleEndian32(out, offset);
    appendLittleEndian32(out, infoSize);
    appendLittleEndian32(out, static_cast<UINT>(header.width));
    appendLittleEndian32(out, static_cast<UINT>(header.height));
    appendLittleEndian16(out, 1);
    appendLittleEndian16(out, bits);
    appendLittleEndian32(out, fields ? bmpBitFields : bmpRgb);
    appendLittleEndian32(out, static_cast<UINT>(pixelBytes));
    appendLittleEndian32(out, 2835);
    appendLittleEndian32(out, 2835);
    appendLittleEndian32(out, entries);
    appendLittleEndian32(out, 0);
    if (fields) {
        for (UINT mask : masks)
            appendLittleEndian32(out, mask);
        out.insert(out.end(), infoSize - 56, 0); // colour space, unused for drawing
    }
    for (UINT i = 0; i < entries; ++i) {
        std::size_t entry = header.paletteOffset + std::size_t(i) * header.paletteEntrySize;
        out.insert(out.end(), bytes.begin() + entry, bytes.begin() + entry + 3);
        out.push_back(0);
    }
    out.insert(out.end(), bytes.begin() + header.bitsOffset,
               bytes.begin() + header.bitsOffset + pixelBytes);
    return out;
}

bool hasTransparency(const RgbaPicture& picture) {
    for (std::size_t at = 3; at < picture.rgba.size(); at += 4)
        if (picture.rgba[at] != 255)
            return true;
    return false;
}

std::uint64_t bitmap24Size(UINT width, UINT height) {
    return 54 + rowBytes(width, 24) * height;
}

ByteVector encodeBitmap24(const RgbaPicture& picture, Rgb background) {
    const std::size_t stride = static_cast<std::size_t>(rowBytes(picture.width, 24));
    const UINT pixelBytes = static_cast<UINT>(stride * picture.height);
    ByteVector bmp;
    bmp.reserve(54 + pixelBytes);
    bmp.push_back('B');
    bmp.push_back('M');
    appendLittleEndian32(bmp, 54 + pixelBytes);
    appendLittleEndian32(bmp, 0);
    appendLittleEndian32(bmp, 54);
    appendLittleEndian32(bmp, 40);
    appendLittleEndian32(bmp, picture.width);
    appendLittleEndian32(bmp, picture.height); // positive: bottom row first
    appendLittleEndian16(bmp, 1);
    appendLittleEndian16(bmp, 24);
    appendLittleEndian32(bmp, bmpRgb);
    appendLittleEndian32(bmp, pixelBytes);
    appendLittleEndian32(bmp, 2835); // 72 pixels an inch
    appendLittleEndian32(bmp, 2835);
    appendLittleEndian32(bmp, 0);
    appendLittleEndian32(bmp, 0);

    auto blend = [](unsigned value, unsigned under, unsigned alpha) {
        return static_cast<unsigned char>((value * alpha + under * (255 - alpha) + 127) / 255);
    };
    for (UINT y = picture.height; y-- > 0;) {
        const unsigned char* source = &picture.rgba[std::size_t(y) * picture.width * 4];
        for (UINT x = 0; x < picture.width; ++x, source += 4) {
            bmp.push_back(blend(source[2], background.blue, source[3]));
            bmp.push_back(blend(source[1], background.green, source[3]));
            bmp.push_back(blend(source[0], background.red, source[3]));
        }
        bmp.insert(bmp.end(), stride - std::size_t(picture.width) * 3, 0);
    }
    return bmp;
}
