// The key colour of a shaped splash: chosen for a picture with transparent pixels and written
// where they are, kept exact through a fit, and found back in a stored picture.
#pragma once

#include "bitmap_codec.h"
#include "payload_writer.h"
#include "splash_extension.h"

#include <string>

// Pixels below half opacity are cut out of the splash.
constexpr unsigned keyOpacityThreshold = 128;

// Makes every pixel of `picture` opaque: those below half opacity take a key colour that no other
// pixel shows, which is returned; the others are blended over `background`. The key is magenta
// when the picture leaves it free, else the first free colour counting down from it. False, with
// the picture as it was, when no pixel is below half opacity.
bool cutTransparentPixels(RgbaPicture& picture, Rgb background, KeyColour& key);

// Gives the pixels of `key` an opacity of 0 and every other pixel full opacity, so that a filter
// that weighs colours by opacity never mixes the key into the picture.
void hideKeyColour(RgbaPicture& picture, KeyColour key);

// Makes every pixel opaque again after such a filter: below half opacity the key, the others as
// the filter left them, moved one step off the key in blue where they would show it, so that
// only cut-out pixels carry it.
void showKeyColour(RgbaPicture& picture, KeyColour key);

// True when the player cuts at least one pixel out of the stored picture `bmp` with `key`;
// false for a picture it does not show.
bool keyColourCutsOut(const ByteVector& bmp, KeyColour key);

// "#rrggbb".
std::string keyColourText(KeyColour key);
