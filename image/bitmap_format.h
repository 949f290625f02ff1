// Validation of Windows BMP file bytes before they are handed to GDI: the file header, the
// 40-byte info header, the colour table and the pixel array must all lie inside the bytes.
#pragma once

#include "data_content.h"

#include <cstdint>

constexpr UINT bitmapFileHeaderSize = 14;
constexpr UINT bitmapInfoHeaderSize = 40;
// Offset of the info header from the start of the file.
constexpr UINT bitmapInfoHeaderOffset = bitmapFileHeaderSize;
// Largest width or height a picture may have.
constexpr std::int32_t bitmapMaximumDimension = 32767;

// The outcome of the checks, in the order they are made; only `accepted` lets a picture in.
enum class BitmapVerdict {
    accepted,
    shorterThanFileHeader, // fewer than 14 bytes
    notBitmapFile,         // the file type is not "BM"
    shorterThanInfoHeader, // fewer than 54 bytes
    unsupportedInfoHeader, // info header size other than 40
    compressed,            // compression other than 0 (BI_RGB)
    bitsBeyondEnd,         // the bits offset lies past the last byte
    unsupportedBitCount,   // not 1, 4, 8, 16, 24 or 32 bits per pixel
    badDimensions,         // width or height zero, negative width, or above 32767
    colourTableOutside,    // the colour table overlaps the pixels or passes the end
    pixelsOutside,         // the pixel array does not fit after the bits offset
};

// Where the parts of an accepted picture lie, as offsets from the start of its bytes.
struct BitmapLayout {
    UINT infoHeaderOffset = 0;
    UINT colourTableOffset = 0;
    UINT colourTableBytes = 0;
    UINT bitsOffset = 0;
    UINT pixelBytes = 0;
    std::int32_t width = 0;
    std::int32_t height = 0; // as stored: negative for a top-down picture
    UINT absoluteHeight = 0;
    UINT bitCount = 0;
};

// Checks `size` bytes at `bytes`; reads nothing outside them. `layout` is filled only when
// the picture is accepted.
BitmapVerdict checkBitmap(const unsigned char* bytes, UINT size, BitmapLayout& layout);

// Addresses of the parts of an accepted picture inside a buffer.
struct BitmapView {
    const unsigned char* fileHeader = nullptr;
    const unsigned char* infoHeader = nullptr;
    const unsigned char* bits = nullptr;
};

// Checks the bytes of `source` and, when they hold an acceptable picture, sets `view` to the
// addresses of its headers and pixels. Returns false, with `view` untouched, otherwise; never
// raises a text exception.
bool locateBitmap(const DataContent& source, BitmapView& view);

// The width stored in an info header.
std::int32_t infoHeaderWidth(const unsigned char* infoHeader);
// The height stored in an info header, without its sign: a top-down picture is as high as a
// bottom-up one.
std::int32_t infoHeaderAbsoluteHeight(const unsigned char* infoHeader);
