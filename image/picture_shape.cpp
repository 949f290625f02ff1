// Key-colour runs of the picture's rows, scaled to the window and joined into bands.
#include "picture_shape.h"

#include "little_endian.h"

namespace {

typedef std::uint32_t Colour; // 0x00RRGGBB

Colour colourOf(KeyColour key) {
    return Colour(key.red) << 16 | Colour(key.green) << 8 | key.blue;
}

// Five bits widened to eight as a display shows them: the top bits repeated below.
Colour widen5(UINT value) {
    return (value << 3) | (value >> 2);
}

// Reads the colours of one stored row at a time.
class RowColours {
  public:
    RowColours(const unsigned char* bytes, const BitmapLayout& layout)
        : pixels(bytes + layout.bitsOffset), bitCount(layout.bitCount),
          rowBytes((UINT(layout.width) * layout.bitCount + 31) / 32 * 4),
          table(bytes + layout.colourTableOffset), entries(layout.colourTableBytes / 4) {}

    // Row `row` counted from the top of the picture as it shows.
    const unsigned char* rowFromTop(UINT row, UINT height, bool topDown) const {
        return pixels + std::size_t(topDown ? row : height - 1 - row) * rowBytes;
    }

    Colour at(const unsigned char* row, UINT x) const {
        switch (bitCount) {
        case 1:
            return entry((row[x / 8] >> (7 - x % 8)) & 1);
        case 4:
            return entry((row[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0x0F);
        case 8:
            return entry(row[x]);
        case 16: {
            const UINT value = readLittleEndian16(row + 2 * x);
            return widen5(value >> 10 & 0x1F) << 16 | widen5(value >> 5 & 0x1F) << 8 |
                   widen5(value & 0x1F);
        }
        case 24:
            return Colour(row[3 * x + 2]) << 16 | Colour(row[3 * x + 1]) << 8 | row[3 * x];
        default: // 32: blue, green, red and a byte that is not drawn
            return Colour(row[4 * x + 2]) << 16 | Colour(row[4 * x + 1]) << 8 | row[4 * x];
        }
    }

  private:
    Colour entry(UINT index) const {
        if (index >= entries)
            return 0;
        const unsigned char* rgbQuad = table + 4 * index;
        return Colour(rgbQuad[2]) << 16 | Colour(rgbQuad[1]) << 8 | rgbQuad[0];
    }

    const unsigned char* pixels;
    UINT bitCount;
    UINT rowBytes;
    const unsigned char* table;
    UINT entries;
};

// Where source position `at` of `count` lands in a window side of `side` pixels. The window is
// never larger than the picture, whose sides are at most 32767, so the product fits in 32 bits.
UINT scaled(UINT at, UINT count, UINT side) {
    return count == side ? at : at * side / count;
}

// Adds to `shape` the window columns of one row's runs that are not of the key, left to right,
// each from `top` to `bottom`; runs that meet after scaling are joined.
void addRowRuns(const RowColours& colours, const unsigned char* row, UINT pictureWidth, Colour key,
                UINT width, UINT top, UINT bottom, std::vector<ShapeRect>& shape) {
    const std::size_t rowFirst = shape.size();
    UINT x = 0;
    while (x < pictureWidth) {
        while (x < pictureWidth && colours.at(row, x) == key)
            ++x;
        if (x == pictureWidth)
            break;
        const UINT start = x;
        while (x < pictureWidth && colours.at(row, x) != key)
            ++x;
        const UINT left = scaled(start, pictureWidth, width);
        const UINT right = scaled(x, pictureWidth, width);
        if (left == right)
            continue;
        ShapeRect* last = shape.size() > rowFirst ? shape.data() + shape.size() - 1 : nullptr;
        if (last != nullptr && last->right == left) {
            last->right = right;
            continue;
        }
        ShapeRect rect;
        rect.left = left;
        rect.top = top;
        rect.right = right;
        rect.bottom = bottom;
        shape.push_back(rect);
    }
}

// True when the `count` rectangles at `a` and at `b` cover the same columns.
bool sameColumns(const ShapeRect* a, const ShapeRect* b, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        if (a[i].left != b[i].left || a[i].right != b[i].right)
            return false;
    return true;
}

} // namespace

std::vector<ShapeRect> pictureShape(const unsigned char* bytes, const BitmapLayout& layout,
                                    KeyColour key, UINT width, UINT height) {
    std::vector<ShapeRect> shape;
    const RowColours colours(bytes, layout);
    const UINT pictureWidth = static_cast<UINT>(layout.width);
    const UINT pictureHeight = layout.absoluteHeight;
    const bool topDown = layout.height < 0;
    const Colour keyColour = colourOf(key);
    std::size_t bandFirst = 0; // the first rectangle of the band the last row ended in
    for (UINT row = 0; row < pictureHeight; ++row) {
        const UINT top = scaled(row, pictureHeight, height);
        const UINT bottom = scaled(row + 1, pictureHeight, height);
        if (top == bottom)
            continue; // a row that shrinks to nothing
        const std::size_t rowFirst = shape.size();
        addRowRuns(colours, colours.rowFromTop(row, pictureHeight, topDown), pictureWidth,
                   keyColour, width, top, bottom, shape);
        const std::size_t rowCount = shape.size() - rowFirst;
        ShapeRect* band = shape.data() + bandFirst;
        // A row of the band's runs, right below it, makes the band taller instead.
        if (rowCount != 0 && rowCount == rowFirst - bandFirst && band->bottom == top &&
            sameColumns(band, band + rowCount, rowCount)) {
            shape.erase(shape.begin() + static_cast<std::ptrdiff_t>(rowFirst), shape.end());
            for (std::size_t i = 0; i < rowCount; ++i)
                band[i].bottom = bottom;
        } else {
            bandFirst = rowFirst;
        }
    }
    return shape;
}

bool shapeIsWhole(const std::vector<ShapeRect>& shape, UINT width, UINT height) {
    return shape.size() == 1 && *shape.data() == ShapeRect{0, 0, width, height};
}
