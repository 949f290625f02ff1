// A 32-bit BMP goes into the splash as it is, and the player draws it without its fourth bytes:
// pictures that carry an alpha channel there lose it.
#pragma once

#include "bitmap_format.h"

#include <cstddef>
#include <string>

// True when a pixel of the accepted 32-bit picture in `size` bytes at `bytes` has a fourth byte
// other than zero; false for other depths and for pixels outside the bytes.
bool hasAlphaBytes(const unsigned char* bytes, std::size_t size, const BitmapLayout& layout);

// The warning for such a picture, without the picture's name.
std::string ignoredAlphaWarning();
