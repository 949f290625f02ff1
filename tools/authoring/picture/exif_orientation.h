// The orientation a camera records in a JPEG's Exif block: the decoder hands the pixels over as
// stored, so the tool turns them upright before they become the splash's BMP.
#pragma once

#include <cstddef>
#include <vector>

// 1 (as stored) to 8, from tag 0x0112 of IFD0 in the first APP1 "Exif" segment of the JPEG in
// `size` bytes at `bytes`; 1 when there is none or it cannot be read. Reads nothing outside them.
int jpegOrientation(const unsigned char* bytes, std::size_t size);

// True for the orientations (5 to 8) that swap width and height.
bool orientationSwapsSides(int orientation);

// `rgba` (4 bytes a pixel, rows top down) of `width` x `height` pixels turned upright for
// `orientation`; width and height are swapped where the orientation turns the picture.
void orientPixels(std::vector<unsigned char>& rgba, unsigned& width, unsigned& height,
                  int orientation);
