// The resizer in integers: flat colour stays exactly flat at every size, since each pixel's
// weights add up to one and every sRGB level comes back from linear light as itself; detail is
// averaged in linear light.
#include "picture_resize.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Size {
    std::uint32_t width, height;
};

std::vector<unsigned char> resized(const std::vector<unsigned char>& pixels, Size from, Size to,
                                   unsigned channels) {
    std::vector<unsigned char> out(std::size_t(to.width) * to.height * channels, 7);
    resizePixels(pixels.data(), from.width, from.height, channels, out.data(), to.width, to.height);
    return out;
}

} // namespace

TEST(PictureResize, FlatColourStaysFlatAtEverySize) {
    struct Row {
        Size from, to;
        unsigned channels;
    } rows[] = {
        {{81, 61}, {64, 48}, 3}, // both sides shrink by an odd factor
        {{37, 23}, {4, 3}, 4},   // a fourth byte is written opaque
        {{5000, 1}, {3, 1}, 3},  // a line, far narrower: the filter spans many pixels
        {{3, 2}, {1, 1}, 3},     // every tap beyond an edge
        {{2, 3}, {5, 3}, 4},     // a side that grows, one that keeps its size
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.from.width) + "x" + std::to_string(row.from.height) +
                     " to " + std::to_string(row.to.width) + "x" + std::to_string(row.to.height));
        for (unsigned level = 0; level < 256; ++level) {
            // Each level in one channel, others in the rest; the fourth byte comes out opaque.
            const unsigned char colour[4] = {static_cast<unsigned char>(level),
                                             static_cast<unsigned char>(255 - level),
                                             static_cast<unsigned char>((level + 1) % 256), 255};
            std::vector<unsigned char> flat, expected;
            for (std::size_t i = 0; i < std::size_t(row.from.width) * row.from.height; ++i)
                flat.insert(flat.end(), colour, colour + row.channels);
            for (std::size_t i = 0; i < std::size_t(row.to.width) * row.to.height; ++i)
                expected.insert(expected.end(), colour, colour + row.channels);
            if (row.channels == 4)
                for (std::size_t at = 3; at < flat.size(); at += 4)
                    flat[at] = 0;
            ASSERT_EQ(expected, resized(flat, row.from, row.to, row.channels)) << level;
        }
    }
}

TEST(PictureResize, DetailIsAveragedInLinearLight) {
    // One-pixel black and white columns, halved: half the light, sRGB 188 (averaging the stored
    // values would give 128); one-pixel checks, halved both ways, the same.
    struct Row {
        const char* what;
        bool checks;
        Size from, to;
    } rows[] = {
        {"columns", false, {64, 9}, {32, 9}},
        {"checks", true, {64, 48}, {32, 24}},
        {"checks, a third", true, {96, 48}, {32, 16}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::vector<unsigned char> pattern;
        for (std::uint32_t y = 0; y < row.from.height; ++y)
            for (std::uint32_t x = 0; x < row.from.width; ++x) {
                const bool white = (row.checks ? x + y : x) % 2 == 1;
                pattern.insert(pattern.end(), 3, white ? 255 : 0);
            }
        const std::vector<unsigned char> out = resized(pattern, row.from, row.to, 3);
        // Away from the edges, where the filter reaches no further than the picture.
        for (std::uint32_t y = 2; y + 2 < row.to.height; ++y)
            for (std::uint32_t x = 2; x + 2 < row.to.width; ++x)
                ASSERT_NEAR(188, out[(std::size_t(y) * row.to.width + x) * 3], 1) << x << "," << y;
    }
}
