// The readers with OpenGL texture objects: what the viewer loads models with.
#include "image/upload.h"
#include "model/drawing.h"
#include "model/reading.h"

namespace {

int UploadTexture(const std::string& fileName, bool mipmaps) {
    const Texture* texture = LoadTexture(fileName, mipmaps);
    return texture == nullptr ? -1 : static_cast<int>(texture->id);
}

} // namespace

void LoadMaterials(const std::string& fileName, const std::string& folder, bool mipmaps) {
    ReadMaterials(fileName, folder, mipmaps, UploadTexture);
}

ObjModel* LoadModel(const std::string& path, bool mipmaps, bool keepMaterials,
                    bool lenientMaterials) {
    return ReadModel(path, ModelReadOptions{mipmaps, keepMaterials, lenientMaterials},
                     UploadTexture);
}
