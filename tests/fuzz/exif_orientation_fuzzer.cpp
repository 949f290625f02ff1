// Fuzz target: the Exif orientation reader over JPEG bytes held in an exactly sized heap buffer,
// and the turn it asks for applied to a small picture, which keeps every pixel.
#include "exif_orientation.h"
#include "fuzz_checks.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Exactly sized, so that a read one byte past the picture is outside the allocation.
    std::unique_ptr<unsigned char[]> buffer(size != 0 ? new unsigned char[size] : nullptr);
    if (size != 0)
        std::memcpy(buffer.get(), data, size);

    int orientation = jpegOrientation(buffer.get(), size);
    require(orientation >= 1 && orientation <= 8, "an orientation is 1 to 8");

    // A picture whose sides come from the input, each pixel numbered.
    unsigned width = size > 0 ? 1 + data[0] % 7 : 3;
    unsigned height = size > 1 ? 1 + data[1] % 5 : 2;
    std::vector<unsigned char> rgba(std::size_t(width) * height * 4);
    for (std::size_t i = 0; i < rgba.size(); ++i)
        rgba[i] = static_cast<unsigned char>(i / 4);
    std::vector<unsigned char> before = rgba;
    unsigned turnedWidth = width;
    unsigned turnedHeight = height;
    orientPixels(rgba, turnedWidth, turnedHeight, orientation);
    bool swapped = orientationSwapsSides(orientation);
    require(turnedWidth == (swapped ? height : width) && turnedHeight == (swapped ? width : height),
            "the sides are swapped exactly for a quarter turn");
    std::sort(before.begin(), before.end());
    std::sort(rgba.begin(), rgba.end());
    require(before == rgba, "turning keeps every pixel");
    return 0;
}
