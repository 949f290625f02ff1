// The one translation unit that holds the PNG and JPEG encoder's implementation: the preview
// writes its PNG with it, and the tests make their inputs with it. It writes to memory only.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>
