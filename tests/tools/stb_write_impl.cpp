// The picture encoder the tests use to make PNG and JPEG inputs, compiled once.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>
