/* The image decoder, compiled into a fuzz program (see CMakeLists.txt). */
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>
