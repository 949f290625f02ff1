// BMP headers of every size, run-length decoding, and the 24-bit BMP writer.
#include "bitmap_codec.h"

#include "little_endian.h"
#include "little_endian_output.h"
#include "picture_rows.h"
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

namespace {

// One channel of a bit-field pixel: the field's top bits (at most 8) widened to 8 by repeating
// them, as BMP readers do.
class BitField {
  public:
    explicit BitField(UINT mask) : mask_(mask) {
        for (UINT rest = mask; rest != 0; rest >>= 1)
            bits_ += rest & 1;
        for (UINT rest = mask; rest > 1; rest >>= 1)
            ++highest_;
    }
    UINT bits() const { return bits_; }
    bool empty() const { return bits_ == 0; }
    unsigned char of(UINT pixel) const {
        if (bits_ == 0)
            return 255;
        UINT value = pixel & mask_;
        value = highest_ >= 7 ? value >> (highest_ - 7) : value << (7 - highest_);
        value = (value & 0xFF) >> (8 - bits_);
        UINT widened = 0;
        for (int filled = 0; filled < 8; filled += int(bits_))
            widened = widened << bits_ | value;
        return static_cast<unsigned char>(widened >> (bits_ * ((8 + bits_ - 1) / bits_) - 8));
    }

  private:
    UINT mask_;
    UINT bits_ = 0;
    UINT highest_ = 0;
};

} // namespace

void decodeBitmapRows(const ByteVector& bytes, const BmpHeader& header, PictureRows& rows,
                      bool opaque) {
    const UINT bits = header.bitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        throw InputError("has " + std::to_string(bits) +
                         " bits a pixel, which splashpack cannot read");
    const bool fields =
        header.compression == bmpBitFields || header.compression == bmpAlphaBitFields;
    if (header.compression != bmpRgb && !(fields && (bits == 16 || bits == 32)))
        throw InputError("is " + compressionName(header) + " with " + std::to_string(bits) +
                         " bits a pixel, which splashpack cannot read");

    UINT masks[4] = {0, 0, 0, 0};
    if (fields) {
        // After a 40-byte header the fields follow it; larger headers hold them.
        const UINT count =
            header.headerSize >= 56 || header.compression == bmpAlphaBitFields ? 4 : 3;
        for (UINT i = 0; i < count; ++i)
            masks[i] = read32(bytes, 54 + 4 * i);
    } else if (bits == 16) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    } else if (bits == 32) {
        masks[0] = 0x00FF0000;
        masks[1] = 0x0000FF00;
        masks[2] = 0x000000FF;
        masks[3] = 0xFF000000;
    }
    const BitField channels[4] = {BitField(masks[0]), BitField(masks[1]), BitField(masks[2]),
                                  BitField(opaque ? 0 : masks[3])};
    for (UINT i = 0; fields && i < 4; ++i)
        if ((i < 3 && channels[i].empty()) || channels[i].bits() > 8)
            throw InputError("has bit fields of " + std::to_string(BitField(masks[i]).bits()) +
                             " bits for one channel; splashpack reads 1 to 8");

    const UINT width = static_cast<UINT>(header.width);
    const UINT height = static_cast<UINT>(header.height < 0 ? -std::int64_t(header.height)
                                                            : std::int64_t(header.height));
    const std::size_t stride = static_cast<std::size_t>(rowBytes(width, bits));
    auto fileRow = [&](UINT y) {
        return &bytes[header.bitsOffset + stride * (header.height < 0 ? y : height - 1 - y)];
    };
    auto pixelValue = [&](const unsigned char* row, UINT x) -> UINT {
        return bits == 16 ? readLittleEndian16(row + 2 * x) : readLittleEndian32(row + 4 * x);
    };

    // An alpha field that is 0 everywhere is taken for one a writer left empty.
    bool alpha = !channels[3].empty() && (bits == 16 || bits == 32);
    if (alpha) {
        alpha = false;
        for (UINT y = 0; y < height && !alpha; ++y)
            for (UINT x = 0; x < width && !alpha; ++x)
                alpha = (pixelValue(fileRow(y), x) & masks[3]) != 0;
    }

    rows.start(width, height);
    std::vector<unsigned char> rgba(std::size_t(width) * 4);
    for (UINT y = 0; y < height; ++y) {
        const unsigned char* in = fileRow(y);
        unsigned char* out = rgba.data();
        for (UINT x = 0; x < width; ++x, out += 4) {
            out[3] = 255;
            if (bits <= 8) {
                const UINT perByte = 8 / bits;
                const UINT index =
                    in[x / perByte] >> (8 - bits * (x % perByte + 1)) & ((1u << bits) - 1);
                if (index < header.paletteEntries) {
                    const unsigned char* entry =
                        &bytes[header.paletteOffset + std::size_t(index) * header.paletteEntrySize];
                    out[0] = entry[2];
                    out[1] = entry[1];
                    out[2] = entry[0];
                } else {
                    out[0] = out[1] = out[2] = 0;
                }
            } else if (bits == 24) {
                out[0] = in[3 * x + 2];
                out[1] = in[3 * x + 1];
                out[2] = in[3 * x];
            } else {
                const UINT value = pixelValue(in, x);
                for (int channel = 0; channel < 3; ++channel)
                    out[channel] = channels[channel].of(value);
                if (alpha)
                    out[3] = channels[3].of(value);
            }
        }
        rows.row(y, rgba.data());
    }
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
