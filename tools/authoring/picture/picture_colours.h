// Storing a picture in fewer colours: a palette BMP of 8 or 4 bits a pixel is a third or a sixth
// of a 24-bit one, and on a CD every byte is start-up time.
#pragma once

#include "input_source.h"
#include "picture_intake.h"
#include "setting_values.h"

#include <cstdint>
#include <string>

// Replaces the BMP of `picture` (prepared from `file`, named `name`) by one of the `colours`
// asked for, dithered or not, and notes what it did. The key colour of a keyed picture takes an
// entry of its own: its pixels keep it exactly, no other pixel is mapped or dithered to it, and
// no error spreads from it into the pixels around. Raises InputError when the picture cannot be
// read back or memory runs out (`fitGiven`: --fit shrank it already).
void reducePictureColours(PreparedPicture& picture, const InputSource& file,
                          const std::string& name, PictureColours colours, bool dither,
                          bool fitGiven = false);

// The size of the palette BMP `reducePictureColours` writes for a picture of that size, with
// a full palette.
std::uint64_t paletteBitmapSize(UINT width, UINT height, PictureColours colours);

// "256 colours", "16 colours", "the 20 system colours".
std::string coloursInWords(PictureColours colours);
