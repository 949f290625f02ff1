// Key-colour runs of the picture's rows, scaled to the window and joined into bands.
#include "picture_shape.h"

#include "little_endian.h"

#include <string>

namespace {

typedef std::uint32_t Colour; // 0x00RRGGBB

Colour colourOf(KeyColour key) {
    return Colour(key.red) << 16 | Colour(key.green) << 8 | key.blue;
}

// Five bits widened to eight as a display shows them: the top bits repeated below.
UINT widen5(UINT value) {
    return (value << 3) | (value >> 2);
}

// The five bits that widen to `channel`; 32 when none does.
UINT narrow5(UINT channel) {
    UINT value = channel >> 3;
    return widen5(value) == channel ? value : 32;
}

// Marks the pixels of the key colour, a stored row at a time, with one comparison a pixel: the
// key is looked up once in the colour table, or turned into the 16-bit value that shows it.
class KeyPixels {
  public:
    KeyPixels(const unsigned char* bytes, const BitmapLayout& layout, KeyColour key)
        : pixels(bytes + layout.bitsOffset), bitCount(layout.bitCount),
          rowBytes((UINT(layout.width) * layout.bitCount + 31) / 32 * 4), key(key) {
        // A palette index beyond the table draws black.
        const UINT entries = layout.colourTableBytes / 4;
        const unsigned char* table = bytes + layout.colourTableOffset;
        for (UINT index = 0; index < 256; ++index) {
            const unsigned char* quad = table + 4 * index;
            keyIndex[index] =
                index < entries ? quad[0] == key.blue && quad[1] == key.green && quad[2] == key.red
                                : colourOf(key) == 0;
        }
        const UINT red = narrow5(key.red), green = narrow5(key.green), blue = narrow5(key.blue);
        // The top bit of a 16-bit pixel is not drawn; a key no pixel can show matches none.
        key16 = red < 32 && green < 32 && blue < 32 ? red << 10 | green << 5 | blue : 0x8000;
    }

    // Sets `marks[x]` to 1 where pixel x of the stored row `stored` shows the key, else 0.
    void mark(UINT stored, UINT width, unsigned char* marks) const {
        const unsigned char* row = pixels + std::size_t(stored) * rowBytes;
        if (bitCount >= 24) {
            const UINT step = bitCount / 8;
            for (UINT x = 0; x < width; ++x, row += step)
                marks[x] = row[0] == key.blue && row[1] == key.green && row[2] == key.red;
        } else if (bitCount == 16) {
            for (UINT x = 0; x < width; ++x, row += 2)
                marks[x] = (readLittleEndian16(row) & 0x7FFF) == key16;
        } else {
            // 1, 4 or 8 bits an index, the leftmost pixel in the highest bits of its byte.
            const UINT perByte = 8 / bitCount;
            const UINT mask = (1u << bitCount) - 1;
            for (UINT x = 0; x < width; ++x) {
                const UINT shift = (perByte - 1 - x % perByte) * bitCount;
                marks[x] = keyIndex[row[x / perByte] >> shift & mask];
            }
        }
    }

  private:
    const unsigned char* pixels;
    UINT bitCount;
    UINT rowBytes;
    KeyColour key;
    unsigned char keyIndex[256];
    UINT key16;
};

// Where source position `at` of `count` lands in a window side of `side` pixels. The window is
// never larger than the picture, whose sides are at most 32767, so the product fits in 32 bits.
UINT scaled(UINT at, UINT count, UINT side) {
    return count == side ? at : at * side / count;
}

// Adds to `shape` the window columns of one row's runs that are not of the key (`marks` is 0
// there), left to right, each from `top` to `bottom`; runs that meet after scaling are joined.
void addRowRuns(const unsigned char* marks, UINT pictureWidth, UINT width, UINT top, UINT bottom,
                std::vector<ShapeRect>& shape) {
    const std::size_t rowFirst = shape.size();
    UINT x = 0;
    while (x < pictureWidth) {
        while (x < pictureWidth && marks[x] != 0)
            ++x;
        if (x == pictureWidth)
            break;
        const UINT start = x;
        while (x < pictureWidth && marks[x] == 0)
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
    const KeyPixels keyPixels(bytes, layout, key);
    const UINT pictureWidth = static_cast<UINT>(layout.width);
    const UINT pictureHeight = layout.absoluteHeight;
    const bool topDown = layout.height < 0;
    // One mark a pixel of a row; the text type is the byte buffer the player carries already.
    std::string marks(pictureWidth, '\0');
    unsigned char* rowMarks = reinterpret_cast<unsigned char*>(&marks[0]);
    std::size_t bandFirst = 0; // the first rectangle of the band the last row ended in
    for (UINT row = 0; row < pictureHeight; ++row) {
        const UINT top = scaled(row, pictureHeight, height);
        const UINT bottom = scaled(row + 1, pictureHeight, height);
        if (top == bottom)
            continue; // a row that shrinks to nothing
        keyPixels.mark(topDown ? row : pictureHeight - 1 - row, pictureWidth, rowMarks);
        const std::size_t rowFirst = shape.size();
        addRowRuns(rowMarks, pictureWidth, width, top, bottom, shape);
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
