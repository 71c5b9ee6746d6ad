// A texture loader for the reader tests and the fuzz targets: it records each call and registers
// a record with a fresh id in the texture table, announced by the line LoadTexture prints, but
// reads no file and makes no GL call.
#pragma once

#include <iostream>
#include <string>
#include <vector>

#include "image/texture.h"
#include "model/reading.h"

struct TextureLoad {
    std::string fileName;
    bool mipmaps;
};

// Every call since the last reset, in order.
inline std::vector<TextureLoad> textureLoads;
inline unsigned int nextRecordedTextureId = 1;

// Same contract as the OpenGL loader: -1 for an empty name, else a registered record's id.
inline int RecordTextureLoad(const std::string& fileName, bool mipmaps) {
    textureLoads.push_back(TextureLoad{fileName, mipmaps});
    if (fileName.empty()) {
        return -1;
    }
    std::cout << "carregou bmp\n";
    auto* texture = new Texture;
    texture->name = fileName;
    texture->id = nextRecordedTextureId++;
    textureTable.push_back(texture);
    return static_cast<int>(texture->id);
}

// Forgets the calls and frees the records of the texture table.
inline void ResetRecordedTextures() {
    textureLoads.clear();
    for (Texture* texture : textureTable) {
        delete texture;
    }
    textureTable.clear();
    nextRecordedTextureId = 1;
}
