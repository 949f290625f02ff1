// The fonts of the system with the letters of the scripts that the carried font lacks: Thai
// (874) and Chinese, Japanese and Korean (932, 936, 949, 950), found where the system keeps them.
#pragma once

#include "code_page.h"

#include <string>
#include <vector>

struct ScriptFont {
    std::string file; // the whole path, in UTF-8
    int index = 0;    // of the font in a collection (.ttc)
};

// The fonts with the script of `codePage`, best first, and how the system gets one when none
// is there, in its own words; none for the code pages whose letters the carried font has.
struct ScriptFonts {
    std::vector<ScriptFont> candidates;
    std::string whenMissing;
};
ScriptFonts scriptFontsFor(unsigned codePage);
