// The one translation unit that holds the picture decoder's implementation. Only the formats
// the tool offers are compiled in, it reads from memory only, and its failure texts are the
// longer ones meant for users.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_FAILURE_USERMSG
#define STBI_NO_STDIO
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_GIF
#define STBI_ONLY_BMP
#include <stb_image.h>
