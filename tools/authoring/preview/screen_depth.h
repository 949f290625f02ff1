// A picture as a screen of fewer colours shows it: a 16-bit screen keeps 5 or 6 bits of each
// channel, and a 256-colour screen, where the player selects no palette of its own, the nearest
// of the 20 static colours (an approximation: the system's own mapping may differ in places).
#pragma once

#include <vector>

enum class SixteenBitLayout { red5green6blue5, red5green5blue5 };

// Reduces every pixel of `rgba` (four bytes a pixel, red first) in place; alpha is kept.
void showOnSixteenBitScreen(std::vector<unsigned char>& rgba, SixteenBitLayout layout);
void showOnPaletteScreen(std::vector<unsigned char>& rgba);
