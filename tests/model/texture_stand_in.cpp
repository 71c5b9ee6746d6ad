#include "tests/model/texture_stand_in.h"

#include <iostream>

#include "image/image.h"

std::vector<Texture*> textureTable;
std::vector<TextureLoad> textureLoads;

namespace {
unsigned int nextTextureId = 1;
}

Texture::~Texture() {
    delete[] data;
}

// Same contract as the real one: null for an empty name, else a registered record with a fresh
// texture id, announced by the same console line.
Texture* LoadTexture(const std::string& fileName, bool mipmaps) {
    textureLoads.push_back(TextureLoad{fileName, mipmaps});
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
    textureLoads.clear();
    for (Texture* texture : textureTable) {
        delete texture;
    }
    textureTable.clear();
    nextTextureId = 1;
}
