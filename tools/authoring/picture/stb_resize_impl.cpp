// The one translation unit that holds the picture resizer's implementation.
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include <stb_image_resize.h>
