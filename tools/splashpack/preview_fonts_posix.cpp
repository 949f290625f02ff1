// The script fonts on Linux: Debian's packages of them, named as apt-get installs them.
#include "preview_fonts.h"

ScriptFonts scriptFontsFor(unsigned codePage) {
    // TrueType outlines only: stb_truetype reads them all, and these hold the whole script.
    switch (codePage) {
    case 932:
    case 936:
    case 949:
    case 950:
        return ScriptFonts{{{"/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf", 0}},
                           "apt-get install fonts-droid-fallback"};
    case 874:
        return ScriptFonts{{{"/usr/share/fonts/truetype/tlwg/Garuda.ttf", 0},
                            {"/usr/share/fonts/truetype/tlwg/Loma.ttf", 0},
                            {"/usr/share/fonts/truetype/noto/NotoSansThai-Regular.ttf", 0}},
                           "apt-get install fonts-tlwg-garuda-ttf"};
    default:
        return ScriptFonts{};
    }
}
