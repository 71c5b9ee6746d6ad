// A program built from the reading libraries alone (every object of both pulled in), for
// reading_without_gl_test: it reads a model with its materials, decoding every texture a
// material names, and prepares it for drawing, without a window or OpenGL.
#include <iostream>

#include "image/texture.h"
#include "model/reading.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: reading_without_gl MODEL\n";
        return 2;
    }
    int decoded = 0;
    const TextureLoader decode = [&decoded](const std::string& fileName, bool) {
        Texture* texture = ReadTextureImage(fileName);
        textureTable.push_back(texture);
        decoded += texture->data != nullptr ? 1 : 0;
        return static_cast<int>(textureTable.size());
    };
    ObjModel* model = ReadModel(argv[1], ModelReadOptions{}, decode);
    if (model == nullptr) {
        return 1;
    }
    PrepareDrawing(model);
    std::cerr << "reading_without_gl: " << model->meshes.size() << " meshes, " << decoded
              << " textures decoded\n";
    return 0;
}
