// The shape a key colour cuts out of a picture: small pictures drawn as text, stored in every
// bit count the player accepts, both row orders, at their own size and shrunk, read back as the
// window's pixels the rectangles cover.
#include "picture_shape.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

typedef std::vector<unsigned char> Bytes;

const KeyColour magenta{255, 0, 255};

void put(Bytes& bytes, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i)
        bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

struct Rgb {
    unsigned char red, green, blue;
};

// The picture's colours by letter: '.' the key, the others opaque.
Rgb colourOf(char letter) {
    switch (letter) {
    case '.':
        return {255, 0, 255};
    case 'a':
        return {10, 20, 30};
    case 'b':
        return {255, 255, 255};
    default:
        return {0, 0, 0};
    }
}

// A BMP of `rows` (top row first, a letter a pixel) in `bitCount` bits; palette pictures carry
// the letters' colours as entries 0 ('.'), 1 ('a'), 2 ('b'), 3 (others) and, when
// `duplicateKey`, the key colour again as entry 4 used by '%'.
Bytes bitmapOf(const std::vector<std::string>& rows, unsigned bitCount, bool topDown = false) {
    const std::uint32_t width = static_cast<std::uint32_t>(rows[0].size());
    const std::uint32_t height = static_cast<std::uint32_t>(rows.size());
    const std::uint32_t entries = bitCount <= 8 ? 5 : 0;
    const std::uint32_t stride = (width * bitCount + 31) / 32 * 4;
    Bytes pixels;
    for (std::uint32_t r = 0; r < height; ++r) {
        const std::string& row = rows[topDown ? r : height - 1 - r];
        Bytes line(stride, 0);
        for (std::uint32_t x = 0; x < width; ++x) {
            const char letter = row[x];
            const unsigned index = letter == '.'   ? 0
                                   : letter == 'a' ? 1
                                   : letter == 'b' ? 2
                                   : letter == '%' ? 4
                                                   : 3;
            const Rgb c = colourOf(letter == '%' ? '.' : letter);
            switch (bitCount) {
            case 1:
                line[x / 8] |= static_cast<unsigned char>((index & 1) << (7 - x % 8));
                break;
            case 4:
                line[x / 2] |= static_cast<unsigned char>(index << (x % 2 == 0 ? 4 : 0));
                break;
            case 8:
                line[x] = static_cast<unsigned char>(index);
                break;
            case 16: {
                const unsigned value = (c.red >> 3) << 10 | (c.green >> 3) << 5 | c.blue >> 3;
                line[2 * x] = static_cast<unsigned char>(value);
                line[2 * x + 1] = static_cast<unsigned char>(value >> 8);
                break;
            }
            case 24:
                line[3 * x] = c.blue;
                line[3 * x + 1] = c.green;
                line[3 * x + 2] = c.red;
                break;
            default:
                line[4 * x] = c.blue;
                line[4 * x + 1] = c.green;
                line[4 * x + 2] = c.red;
                line[4 * x + 3] = 0x80; // not drawn, so not compared
            }
        }
        pixels.insert(pixels.end(), line.begin(), line.end());
    }
    Bytes file{'B', 'M'};
    const std::uint32_t bitsOffset = 54 + 4 * entries;
    put(file, bitsOffset + static_cast<std::uint32_t>(pixels.size()), 4);
    put(file, 0, 4);
    put(file, bitsOffset, 4);
    put(file, 40, 4);
    put(file, width, 4);
    put(file, topDown ? 0u - height : height, 4);
    put(file, 1, 2);
    put(file, bitCount, 2);
    put(file, 0, 4);
    put(file, static_cast<std::uint32_t>(pixels.size()), 4);
    put(file, 2835, 4);
    put(file, 2835, 4);
    put(file, entries, 4);
    put(file, 0, 4);
    for (char letter : std::string(".ab#.").substr(0, entries))
        put(file,
            0u | colourOf(letter).blue | colourOf(letter).green << 8 | colourOf(letter).red << 16,
            4);
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
}

// The window's pixels the shape covers, as rows of '#' (shown) and '.' (cut out); "overlap"
// when a pixel is covered twice, "outside" when a rectangle leaves the window.
std::vector<std::string> drawn(const std::vector<ShapeRect>& shape, UINT width, UINT height) {
    std::vector<std::string> rows(height, std::string(width, '.'));
    for (const ShapeRect& rect : shape) {
        if (rect.right > width || rect.bottom > height || rect.left >= rect.right ||
            rect.top >= rect.bottom)
            return {"outside"};
        for (UINT y = rect.top; y < rect.bottom; ++y)
            for (UINT x = rect.left; x < rect.right; ++x) {
                if (rows[y][x] == '#')
                    return {"overlap"};
                rows[y][x] = '#';
            }
    }
    return rows;
}

std::vector<ShapeRect> shapeOf(const Bytes& file, KeyColour key, UINT width, UINT height) {
    // An exactly sized copy, so that a read past the picture stops the sanitized build.
    std::unique_ptr<unsigned char[]> exact(new unsigned char[file.size()]);
    std::copy(file.begin(), file.end(), exact.get());
    BitmapLayout layout;
    EXPECT_EQ(checkBitmap(exact.get(), static_cast<UINT>(file.size()), layout),
              BitmapVerdict::accepted);
    return pictureShape(exact.get(), layout, key, width, height);
}

const std::vector<std::string> logo = {
    ".aa...",
    "aaaaaa",
    "a..bba",
    "a..bba",
};

} // namespace

TEST(PictureShape, TheKeyColourIsCutOutInEveryBitCountAndRowOrder) {
    const std::vector<std::string> shown = {
        ".##...",
        "######",
        "#..###",
        "#..###",
    };
    for (unsigned bits : {4u, 8u, 16u, 24u, 32u})
        for (bool topDown : {false, true}) {
            SCOPED_TRACE(std::to_string(bits) + (topDown ? " bits, top-down" : " bits"));
            EXPECT_EQ(drawn(shapeOf(bitmapOf(logo, bits, topDown), magenta, 6, 4), 6, 4), shown);
        }
    // Two colours only: the key and 'a'.
    const std::vector<std::string> mono = {".aa.", "a..a"};
    EXPECT_EQ(drawn(shapeOf(bitmapOf(mono, 1), magenta, 4, 2), 4, 2),
              (std::vector<std::string>{".##.", "#..#"}));
}

TEST(PictureShape, ColoursAreComparedNotIndices) {
    struct Row {
        const char* what;
        std::vector<std::string> picture;
        unsigned bits;
        KeyColour key;
        std::vector<std::string> expected;
    };
    const Row rows[] = {
        {"a second palette entry of the key colour", {"%a.a"}, 8, magenta, {".#.#"}},
        {"another key colour", {".ab#"}, 24, KeyColour{10, 20, 30}, {"#.##"}},
        {"a key that is no pixel's colour", {".ab#"}, 24, KeyColour{1, 2, 3}, {"####"}},
        {"16 bits widen 31 to 255", {".a"}, 16, magenta, {".#"}},
        {"16 bits never show a key of 248", {".a"}, 16, KeyColour{248, 0, 248}, {"##"}},
        {"every pixel the key", {"..", ".."}, 24, magenta, {"..", ".."}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const UINT width = static_cast<UINT>(row.picture[0].size());
        const UINT height = static_cast<UINT>(row.picture.size());
        EXPECT_EQ(
            drawn(shapeOf(bitmapOf(row.picture, row.bits), row.key, width, height), width, height),
            row.expected);
    }
}

TEST(PictureShape, AnIndexBeyondTheColourTableIsBlack) {
    // Entry 7 of a five-entry table.
    Bytes file = bitmapOf({"a"}, 8);
    file[54 + 20] = 7;
    EXPECT_EQ(drawn(shapeOf(file, KeyColour{0, 0, 0}, 1, 1), 1, 1),
              (std::vector<std::string>{"."}));
    EXPECT_EQ(drawn(shapeOf(file, magenta, 1, 1), 1, 1), (std::vector<std::string>{"#"}));
}

TEST(PictureShape, AShrunkPictureKeepsTheRowsAndColumnsThatLandOnAPixel) {
    // Column x covers x * 3 / 6 up to (x + 1) * 3 / 6: columns 1, 3 and 5 decide; rows 1 and 3.
    EXPECT_EQ(drawn(shapeOf(bitmapOf(logo, 24), magenta, 3, 2), 3, 2),
              (std::vector<std::string>{"###", ".##"}));
    // 6 to 4 columns: 1, 2, 4 and 5 decide.
    EXPECT_EQ(drawn(shapeOf(bitmapOf(logo, 24), magenta, 4, 4), 4, 4),
              (std::vector<std::string>{"##..", "####", "..##", "..##"}));
}

TEST(PictureShape, RowsOfTheSameRunsBecomeOneBand) {
    const std::vector<std::string> bars = {"a..a", "a..a", "a..a", "aaaa", "a..a"};
    const std::vector<ShapeRect> shape = shapeOf(bitmapOf(bars, 24), magenta, 4, 5);
    EXPECT_EQ(drawn(shape, 4, 5),
              (std::vector<std::string>{"#..#", "#..#", "#..#", "####", "#..#"}));
    ASSERT_EQ(shape.size(), 5u) << "two bands of two, one of one, then two again";
    EXPECT_EQ(shape[0], (ShapeRect{0, 0, 1, 3}));
    EXPECT_EQ(shape[1], (ShapeRect{3, 0, 4, 3}));
    EXPECT_EQ(shape[2], (ShapeRect{0, 3, 4, 4}));

    // A gap that shrinks away leaves one run, not two that meet.
    const std::vector<ShapeRect> joined = shapeOf(bitmapOf({"aa.aaa"}, 24), magenta, 3, 1);
    ASSERT_EQ(joined.size(), 1u);
    EXPECT_EQ(joined[0], (ShapeRect{0, 0, 3, 1}));

    const std::vector<ShapeRect> whole = shapeOf(bitmapOf({"ab", "ba"}, 24), magenta, 2, 2);
    EXPECT_TRUE(shapeIsWhole(whole, 2, 2));
    EXPECT_FALSE(shapeIsWhole(whole, 2, 3));
    EXPECT_FALSE(shapeIsWhole(shape, 4, 5));
    EXPECT_FALSE(shapeIsWhole({}, 4, 5));
}
