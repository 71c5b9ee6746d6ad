// A stand-in for texture loading, linked into the reader tests and the fuzz targets instead of the
// GL half of the image module, so that every reading rule runs without a window. It records each
// call and makes no GL call.
#pragma once

#include <string>
#include <vector>

struct TextureLoad {
    std::string fileName;
    bool mipmaps;
};

// Every LoadTexture call since the last reset, in order.
extern std::vector<TextureLoad> textureLoads;

// Forgets the calls and frees the records the stand-in made.
void ResetTextureStandIn();
