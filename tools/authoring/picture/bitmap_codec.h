// The BMP side of picture conversion: reading the headers of any BMP, decoding the
// run-length compressed ones, and writing the uncompressed 24-bit BMP that every player shows.
#pragma once

#include "payload_writer.h"
#include "setting_values.h"

#include <cstdint>
#include <string>
#include <vector>

// Decoded pixels, top row first, four bytes a pixel (red, green, blue, alpha); alpha 0 marks
// a pixel the picture leaves undrawn.
struct RgbaPicture {
    UINT width = 0;
    UINT height = 0;
    std::vector<unsigned char> rgba;
};

// Compression values of the info header.
constexpr UINT bmpRgb = 0;
constexpr UINT bmpRle8 = 1;
constexpr UINT bmpRle4 = 2;
constexpr UINT bmpBitFields = 3;
constexpr UINT bmpJpeg = 4;
constexpr UINT bmpPng = 5;
constexpr UINT bmpAlphaBitFields = 6;

// What the headers of a BMP say, whatever their size.
struct BmpHeader {
    UINT headerSize = 0;
    std::int32_t width = 0;
    std::int32_t height = 0; // negative: top row first
    UINT bitCount = 0;
    UINT compression = 0;
    UINT bitsOffset = 0;
    UINT imageSize = 0;
    UINT paletteOffset = 0;
    UINT paletteEntries = 0;
    UINT paletteEntrySize = 4; // 3 in the 12-byte header
    bool os2 = false;          // a 12-byte or 16- to 64-byte OS/2 header
};

// Reads the headers of the BMP in `bytes`; raises InputError with the reason when they are
// cut short, name no size, or place the pixels outside the file.
BmpHeader readBmpHeader(const ByteVector& bytes);

// The compression in words ("RLE8", "bit fields", ...), for messages.
std::string compressionName(const BmpHeader& header);

// Decodes an RLE8 or RLE4 BMP. Pixels the data skips (by a delta or an early end of line or
// picture) stay undrawn. Raises InputError when the data writes outside the picture or uses
// a colour the colour table lacks.
RgbaPicture decodeRunLengthBitmap(const ByteVector& bytes, const BmpHeader& header);

// The same uncompressed or bit-field picture with its headers rewritten into the forms the
// image library reads: a 40-byte header and a 4-byte-entry colour table, or a 108-byte header
// carrying the bit fields, with the pixels right after. Raises InputError for a number of bits a
// pixel that BMP readers do not share.
ByteVector libraryReadableBitmap(const ByteVector& bytes, const BmpHeader& header);

// True when some pixel is not fully opaque.
bool hasTransparency(const RgbaPicture& picture);

// An uncompressed, bottom-up, 24-bit BMP with a 40-byte info header; each pixel is blended
// over `background` by its alpha.
ByteVector encodeBitmap24(const RgbaPicture& picture, Rgb background);

// Size of encodeBitmap24's result for a picture of that size.
std::uint64_t bitmap24Size(UINT width, UINT height);
