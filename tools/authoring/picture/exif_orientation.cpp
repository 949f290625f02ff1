// A bounds-checked walk to one Exif tag: JPEG segments, the TIFF header and the first IFD.
#include "exif_orientation.h"

#include <cstdint>
#include <cstring>

namespace {

// The TIFF block of the Exif segment, read in its own byte order.
struct TiffBlock {
    const unsigned char* bytes;
    std::size_t size;
    bool bigEndian;

    bool has(std::uint64_t at, std::uint64_t count) const { return at + count <= size; }
    unsigned read16(std::size_t at) const {
        return bigEndian ? unsigned(bytes[at]) << 8 | bytes[at + 1]
                         : unsigned(bytes[at + 1]) << 8 | bytes[at];
    }
    std::uint32_t read32(std::size_t at) const {
        return bigEndian ? std::uint32_t(read16(at)) << 16 | read16(at + 2)
                         : std::uint32_t(read16(at + 2)) << 16 | read16(at);
    }
};

constexpr unsigned orientationTag = 0x0112;
constexpr unsigned shortType = 3;

int tiffOrientation(const unsigned char* bytes, std::size_t size) {
    if (size < 8)
        return 1;
    TiffBlock tiff{bytes, size, false};
    if (std::memcmp(bytes, "MM", 2) == 0)
        tiff.bigEndian = true;
    else if (std::memcmp(bytes, "II", 2) != 0)
        return 1;
    if (tiff.read16(2) != 42)
        return 1;
    std::uint64_t ifd = tiff.read32(4);
    if (!tiff.has(ifd, 2))
        return 1;
    unsigned entries = tiff.read16(static_cast<std::size_t>(ifd));
    for (unsigned i = 0; i < entries; ++i) {
        std::uint64_t entry = ifd + 2 + 12ull * i;
        if (!tiff.has(entry, 12))
            return 1;
        std::size_t at = static_cast<std::size_t>(entry);
        if (tiff.read16(at) != orientationTag)
            continue;
        if (tiff.read16(at + 2) != shortType || tiff.read32(at + 4) != 1)
            return 1;
        unsigned value = tiff.read16(at + 8);
        return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
    }
    return 1;
}

} // namespace

int jpegOrientation(const unsigned char* bytes, std::size_t size) {
    if (size < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8)
        return 1;
    std::size_t at = 2;
    while (at + 4 <= size) {
        if (bytes[at] != 0xFF)
            return 1;
        unsigned marker = bytes[at + 1];
        if (marker == 0xFF) { // fill byte before a marker
            ++at;
            continue;
        }
        // The scan and the end come after every segment that holds settings.
        if (marker == 0xDA || marker == 0xD9)
            return 1;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
            at += 2;
            continue;
        }
        std::size_t length = std::size_t(bytes[at + 2]) << 8 | bytes[at + 3];
        if (length < 2 || length > size - at - 2)
            return 1;
        const unsigned char* segment = bytes + at + 4;
        std::size_t segmentSize = length - 2;
        if (marker == 0xE1 && segmentSize >= 6 && std::memcmp(segment, "Exif\0\0", 6) == 0)
            return tiffOrientation(segment + 6, segmentSize - 6);
        at += 2 + length;
    }
    return 1;
}

bool orientationSwapsSides(int orientation) {
    return orientation >= 5 && orientation <= 8;
}

void orientPixels(std::vector<unsigned char>& rgba, unsigned& width, unsigned& height,
                  int orientation) {
    if (orientation < 2 || orientation > 8 ||
        rgba.size() != std::size_t(width) * std::size_t(height) * 4)
        return;
    const std::size_t w = width;
    const std::size_t h = height;
    const bool swapped = orientationSwapsSides(orientation);
    const std::size_t outWidth = swapped ? h : w;
    const std::size_t outHeight = swapped ? w : h;
    std::vector<unsigned char> upright(rgba.size());
    for (std::size_t y = 0; y < outHeight; ++y)
        for (std::size_t x = 0; x < outWidth; ++x) {
            std::size_t sx = x;
            std::size_t sy = y;
            switch (orientation) {
            case 2:
                sx = w - 1 - x;
                break;
            case 3:
                sx = w - 1 - x;
                sy = h - 1 - y;
                break;
            case 4:
                sy = h - 1 - y;
                break;
            case 5:
                sx = y;
                sy = x;
                break;
            case 6:
                sx = y;
                sy = h - 1 - x;
                break;
            case 7:
                sx = w - 1 - y;
                sy = h - 1 - x;
                break;
            case 8:
                sx = w - 1 - y;
                sy = x;
                break;
            }
            std::memcpy(&upright[(y * outWidth + x) * 4], &rgba[(sy * w + sx) * 4], 4);
        }
    rgba.swap(upright);
    width = static_cast<unsigned>(outWidth);
    height = static_cast<unsigned>(outHeight);
}
