// The tests' reference decoder, independent of the tool's: it reads back the pictures the tests
// make themselves and the BMP corpus's renderings.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_GIF
#define STBI_ONLY_BMP
#include <stb_image.h>
