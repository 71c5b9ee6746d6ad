// Texture loading for the fuzz targets: records the name and hands out a fresh id, with no
// OpenGL call and no file read, so the readers run without a window.
#include "fuzz/texture_stand_in.h"
#include "image/image.h"

#include <iostream>

std::vector<Texture*> textureTable;

namespace {
unsigned int nextTextureId = 1;
}

Texture::~Texture() {
    delete[] data;
}

Texture* LoadTexture(const std::string& fileName, bool /*mipmaps*/) {
    if (fileName.empty()) {
        return nullptr;
    }
    std::cout << "carregou bmp\n";
    auto* texture = new Texture;
    texture->name = fileName;
    texture->id = nextTextureId++;
    textureTable.push_back(texture);
    return texture;
}

void ResetTextureStandIn() {
    for (Texture* texture : textureTable) {
        delete texture;
    }
    textureTable.clear();
    nextTextureId = 1;
}
