// BMP validation: every field is read little-endian from a checked extent of the bytes.
#include "bitmap_format.h"

#include "little_endian.h"

#include <string>

namespace {

// Offsets of the fields read, from the start of the file.
constexpr UINT fileTypeAt = 0;
constexpr UINT bitsOffsetAt = 10;
constexpr UINT infoSizeAt = 14;
constexpr UINT widthAt = 18;
constexpr UINT heightAt = 22;
constexpr UINT bitCountAt = 28;
constexpr UINT compressionAt = 30;
constexpr UINT coloursUsedAt = 46;
// Offsets inside the info header.
constexpr UINT infoWidthAt = widthAt - bitmapInfoHeaderOffset;
constexpr UINT infoHeightAt = heightAt - bitmapInfoHeaderOffset;

constexpr UINT colourEntrySize = 4;

std::int32_t readI32(const unsigned char* p) {
    return static_cast<std::int32_t>(readLittleEndian32(p));
}

bool supportedBitCount(UINT bitCount) {
    switch (bitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        return true;
    default:
        return false;
    }
}

// Entries of the colour table that GDI reads with DIB_RGB_COLORS: the count the header names,
// or for a palette picture without a count the full palette of its bit count.
std::uint64_t colourEntries(UINT bitCount, UINT coloursUsed) {
    if (coloursUsed != 0)
        return coloursUsed;
    return bitCount <= 8 ? (std::uint64_t{1} << bitCount) : 0;
}

} // namespace

BitmapVerdict checkBitmap(const unsigned char* bytes, UINT size, BitmapLayout& layout) {
    if (bytes == nullptr || size < bitmapFileHeaderSize)
        return BitmapVerdict::shorterThanFileHeader;
    if (bytes[fileTypeAt] != 0x42 || bytes[fileTypeAt + 1] != 0x4D)
        return BitmapVerdict::notBitmapFile;
    if (size < bitmapFileHeaderSize + bitmapInfoHeaderSize)
        return BitmapVerdict::shorterThanInfoHeader;
    if (readLittleEndian32(bytes + infoSizeAt) != bitmapInfoHeaderSize)
        return BitmapVerdict::unsupportedInfoHeader;
    if (readLittleEndian32(bytes + compressionAt) != 0)
        return BitmapVerdict::compressed;

    const UINT bitsOffset = readLittleEndian32(bytes + bitsOffsetAt);
    if (bitsOffset > size)
        return BitmapVerdict::bitsBeyondEnd;

    const UINT bitCount = readLittleEndian16(bytes + bitCountAt);
    if (!supportedBitCount(bitCount))
        return BitmapVerdict::unsupportedBitCount;

    const std::int32_t width = readI32(bytes + widthAt);
    const std::int32_t height = readI32(bytes + heightAt);
    const std::int64_t absoluteHeight = height < 0 ? -std::int64_t{height} : height;
    if (width <= 0 || width > bitmapMaximumDimension || absoluteHeight == 0 ||
        absoluteHeight > bitmapMaximumDimension)
        return BitmapVerdict::badDimensions;

    const UINT tableOffset = bitmapFileHeaderSize + bitmapInfoHeaderSize;
    const std::uint64_t tableBytes =
        colourEntries(bitCount, readLittleEndian32(bytes + coloursUsedAt)) * colourEntrySize;
    if (tableOffset + tableBytes > bitsOffset)
        return BitmapVerdict::colourTableOutside;

    // Rows are padded to whole 32-bit words.
    const std::uint64_t rowBytes = (std::uint64_t(width) * bitCount + 31) / 32 * 4;
    const std::uint64_t pixelBytes = rowBytes * std::uint64_t(absoluteHeight);
    if (pixelBytes > size - bitsOffset)
        return BitmapVerdict::pixelsOutside;

    layout.infoHeaderOffset = bitmapInfoHeaderOffset;
    layout.colourTableOffset = tableOffset;
    layout.colourTableBytes = static_cast<UINT>(tableBytes);
    layout.bitsOffset = bitsOffset;
    layout.pixelBytes = static_cast<UINT>(pixelBytes);
    layout.width = width;
    layout.height = height;
    layout.absoluteHeight = static_cast<UINT>(absoluteHeight);
    layout.bitCount = bitCount;
    return BitmapVerdict::accepted;
}

bool locateBitmap(const DataContent& source, BitmapView& view) {
    BitmapLayout layout;
    if (checkBitmap(source.data, source.size, layout) != BitmapVerdict::accepted)
        return false;
    try {
        // The addresses come from the buffer's own bounds-checked access.
        BitmapView located;
        located.fileHeader = source(0);
        located.infoHeader = source(layout.infoHeaderOffset);
        located.bits = source(layout.bitsOffset);
        view = located;
        return true;
    } catch (const std::string&) {
        return false;
    }
}

std::int32_t infoHeaderWidth(const unsigned char* infoHeader) {
    return readI32(infoHeader + infoWidthAt);
}

std::int32_t infoHeaderAbsoluteHeight(const unsigned char* infoHeader) {
    // An accepted height is at most 32767 in size, so its negation cannot overflow.
    const std::int32_t height = readI32(infoHeader + infoHeightAt);
    return height < 0 ? -height : height;
}
