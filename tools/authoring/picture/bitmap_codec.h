// The BMP side of picture conversion: reading the headers of any BMP, decoding the
// run-length compressed ones, and writing the uncompressed 24-bit BMP that every player shows.
#pragma once

#include "payload_writer.h"
#include "setting_values.h"

#include <cstdint>
#include <string>
#include <vector>

class PictureRows;

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

// Delivers the pixels of an uncompressed or bit-field BMP to `rows`, top row first: 1, 4 and 8
// bits through the colour table (an index past its end draws black), 16 and 32 bits through the
// bit fields (5-5-5 and 8-8-8 without them), 24 bits as they are. The alpha field (the fourth
// byte of an uncompressed 32-bit pixel) gives alpha, unless `opaque` or it is 0 in every pixel.
// Raises InputError for a number of bits a pixel or bit fields that BMP readers do not share.
void decodeBitmapRows(const ByteVector& bytes, const BmpHeader& header, PictureRows& rows,
                      bool opaque);

// True when some pixel is not fully opaque.
bool hasTransparency(const RgbaPicture& picture);

// An uncompressed, bottom-up, 24-bit BMP with a 40-byte info header; each pixel is blended
// over `background` by its alpha.
ByteVector encodeBitmap24(const RgbaPicture& picture, Rgb background);

// Size of encodeBitmap24's result for a picture of that size.
std::uint64_t bitmap24Size(UINT width, UINT height);
