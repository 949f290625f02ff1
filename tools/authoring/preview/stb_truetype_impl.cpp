// The one translation unit that holds the font rasteriser's implementation.
#define STB_TRUETYPE_IMPLEMENTATION
#include <stb_truetype.h>
