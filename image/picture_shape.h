// The shape of a splash whose picture has a key colour: the parts of the window that show the
// picture's other pixels, as rectangles, for a window region in the player and the preview's
// drawing alike.
#pragma once

#include "bitmap_format.h"
#include "splash_extension.h"

#include <vector>

// A rectangle of the window, right and bottom excluded.
struct ShapeRect {
    UINT left = 0;
    UINT top = 0;
    UINT right = 0;
    UINT bottom = 0;
};

inline bool operator==(const ShapeRect& a, const ShapeRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The pixels of the accepted picture at `bytes` (laid out as `layout` says) that are not of
// `key`, scaled to a window of `width` x `height`, never larger than the picture (the player
// shrinks a picture but never enlarges it), as the picture is drawn there: source column x
// covers the window's columns from x * width / picture width up to (x + 1) * width / picture
// width, and rows likewise, so a shrunk picture keeps the rows and columns that land on a pixel.
// Rows top first, each row's rectangles left to right, and rows of the same runs joined into one
// band. A palette index beyond the colour table counts as black; 16-bit pixels are widened to
// 8 bits a channel by repeating their top bits, as displays show them.
std::vector<ShapeRect> pictureShape(const unsigned char* bytes, const BitmapLayout& layout,
                                    KeyColour key, UINT width, UINT height);

// True when `shape` is the whole window of `width` x `height`: nothing is cut out.
bool shapeIsWhole(const std::vector<ShapeRect>& shape, UINT width, UINT height);
