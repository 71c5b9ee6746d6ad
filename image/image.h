// Texture images: the BMP reader (1, 4, 8, 16, 24 and 32 bits per pixel, palettes, bit fields,
// run-length encoding, Windows and OS/2 headers) and the loading of BMP, PNG, JPEG and TGA files
// into OpenGL texture objects.
#pragma once

#include "image/bitmap.h"
#include "image/texture.h"
#include "image/upload.h"
