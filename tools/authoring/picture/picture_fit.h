// Shrinking a picture larger than the author's smallest screen once, when the splash is built,
// so that the player draws it unscaled instead of stretching it on every paint.
#pragma once

#include "bitmap_codec.h"
#include "payload_writer.h"
#include "picture_intake.h"
#include "window_layout.h"

#include <string>

// The pixels of a BMP the player shows, every pixel opaque as GDI draws it. Raises InputError
// when the bytes are no BMP the image library reads.
RgbaPicture decodeShownBitmap(const ByteVector& bmp);

// The picture at another size through a filter that averages in linear light, so that shrunk
// detail keeps its brightness.
RgbaPicture resizePicture(const RgbaPicture& picture, WindowSize size);

// Shrinks `picture` (prepared from `file`, named `name`) to the size the player's own fit gives
// it on a `screen`, when it is larger; a picture that fits stays as it is, byte for byte where it
// goes in so. Adds a note for the author. The key colour of a keyed picture stays exact: it never
// mixes into the pixels around it, and where more than half of what a pixel covers was cut out,
// that pixel is cut out too.
void fitPicture(PreparedPicture& picture, const InputSource& file, const std::string& name,
                WindowSize screen);

// A warning when a picture of `picture` pixels is larger than the screen of `minimumResolution`
// (the payload's "800 x 600" text; empty for none), where the player stretches it; empty when
// it fits.
std::string stretchWarning(WindowSize picture, const std::string& minimumResolution);
