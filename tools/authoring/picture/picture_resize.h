// The picture at another size, in linear light, computed in integers only: the same pixels give
// the same bytes from every compiler, library and processor (no float decides a byte).
#pragma once

#include <cstddef>
#include <cstdint>

// Resamples `width` x `height` pixels of `channels` (3 or 4) bytes each, red first, top row
// first, into `outWidth` x `outHeight` pixels of the same layout at `out`, through a
// Mitchell-Netravali filter widened by the shrink factor (Catmull-Rom along a side that grows): the
// first three channels as sRGB colours averaged in linear light; a fourth byte is written 255 (the
// player draws every pixel opaque). Holds no more than the filter's rows of the output's width
// besides its weights.
void resizePixels(const unsigned char* pixels, std::uint32_t width, std::uint32_t height,
                  unsigned channels, unsigned char* out, std::uint32_t outWidth,
                  std::uint32_t outHeight);
