// A picture as a screen of fewer colours shows it: a 16-bit screen keeps 5 or 6 bits of each
// channel, a 256-colour screen, where the player selects no palette of its own, the nearest of
// the 20 static colours, and a 16-colour screen the nearest of the 16 VGA colours
// (approximations: the system's own mapping may differ in places).
#pragma once

#include <cstdint>
#include <vector>

enum class SixteenBitLayout { red5green6blue5, red5green5blue5 };

// What a screen of `colourBits` bits a pixel holds. The player reads only the bits a pixel: a
// 16-colour VGA driver reports 1 bit in 4 planes, so 1 to 4 bits stand for the 16 VGA colours,
// true monochrome screens being rare; 15 bits are always 5-5-5.
enum class ScreenColours { all, sixteenBit, staticTwenty, vgaSixteen };
ScreenColours screenColoursOf(std::int32_t colourBits);
SixteenBitLayout sixteenBitLayoutOf(std::int32_t colourBits, SixteenBitLayout asked);

// Reduces every pixel of `rgba` (four bytes a pixel, red first) in place; alpha is kept.
void showOnSixteenBitScreen(std::vector<unsigned char>& rgba, SixteenBitLayout layout);
void showOnPaletteScreen(std::vector<unsigned char>& rgba);
void showOnVgaScreen(std::vector<unsigned char>& rgba);
