// Screen resolution and colour depth: the running screen's values and the payload's texts.
#pragma once

#include <cstdint>
#include <string>

// Height first in the record; every text shows the width first ("800 x 600").
struct ScreenResolution {
    std::uint32_t height = 0;
    std::uint32_t width = 0;
};

// The whole screen's size in pixels. Windows only.
ScreenResolution currentScreenResolution();

// The whole screen's bits per pixel. Windows only.
std::int32_t currentColourDepth();

// Reads "%u x %u" as scanf does: width first, then height, each 0 when it cannot be read.
// NULL counts as empty; never fails.
ScreenResolution parseResolution(const char* text);

// "%d x %d", width first.
std::string formatResolution(const ScreenResolution& resolution);

// Reads "%u bit" as scanf does; 0 when no number can be read. NULL counts as empty.
std::int32_t parseColourDepth(const char* text);

// "%d bit".
std::string formatColourDepth(std::int32_t bits);
