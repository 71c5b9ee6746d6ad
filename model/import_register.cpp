// Turning an imported model into tables and texture objects, as an OBJ load leaves them.
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

#include "common/diagnostics.h"
#include "image/image.h"
#include "model/import.h"

namespace {

bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& bytes,
                   std::string& problem) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const std::streamoff size = in.tellg();
    if (!in.is_open() || size < 0) {
        problem = std::strerror(errno != 0 ? errno : ENOENT);
        return false;
    }
    bytes.resize(static_cast<std::size_t>(size));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), size);
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return true;
}

// The texture object's id, or -1 when the picture cannot be had.
int LoadImportedTexture(const ImportedTexture& texture, bool mipmaps) {
    std::string problem;
    const Texture* loaded = nullptr;
    if (texture.embedded && texture.width > 0) {
        const std::size_t row = static_cast<std::size_t>(texture.width) * 4;
        const std::size_t height = static_cast<std::size_t>(texture.height);
        if (texture.height > 0 && texture.bytes.size() == row * height) {
            // OpenGL takes the bottom row first
            std::vector<unsigned char> flipped(texture.bytes.size());
            for (std::size_t y = 0; y < height; ++y)
                std::memcpy(&flipped[(height - 1 - y) * row], &texture.bytes[y * row], row);
            loaded = LoadTextureFromPixels(texture.path, flipped.data(), texture.width,
                                           texture.height, mipmaps);
        }
        if (loaded == nullptr)
            problem = "its texels do not fill its size";
    } else if (texture.embedded) {
        loaded = LoadTextureFromMemory(texture.path, texture.bytes.data(), texture.bytes.size(),
                                       mipmaps, &problem);
    } else {
        std::vector<unsigned char> bytes;
        if (ReadWholeFile(texture.path, bytes, problem))
            loaded =
                LoadTextureFromMemory(texture.path, bytes.data(), bytes.size(), mipmaps, &problem);
    }
    if (loaded == nullptr) {
        Report(Level::warning, "cannot load the texture \"" + texture.path + "\": " + problem +
                                   "; its material is shown without it");
        return -1;
    }
    return static_cast<int>(loaded->id);
}

void Remap(int& materialIndex, int first, std::size_t count) {
    materialIndex = materialIndex >= 0 && static_cast<std::size_t>(materialIndex) < count
                        ? first + materialIndex
                        : -1;
}

} // namespace

ObjModel* RegisterImportedModel(ImportedModel&& imported, bool mipmaps) {
    std::vector<int> textureIds;
    textureIds.reserve(imported.textures.size());
    for (const ImportedTexture& texture : imported.textures)
        textureIds.push_back(LoadImportedTexture(texture, mipmaps));

    const int first = static_cast<int>(materialTable.size());
    for (ImportedMaterial& material : imported.materials) {
        ObjMaterial* entry = new ObjMaterial(std::move(material.values));
        entry->textureId =
            material.texture >= 0 && static_cast<std::size_t>(material.texture) < textureIds.size()
                ? textureIds[static_cast<std::size_t>(material.texture)]
                : -1;
        materialTable.push_back(entry);
    }

    auto* model = new ObjModel;
    model->meshes.reserve(imported.meshes.size());
    const std::size_t count = imported.materials.size();
    for (std::unique_ptr<ObjMesh>& mesh : imported.meshes) {
        for (ObjFace& face : mesh->faces)
            Remap(face.materialIndex, first, count);
        for (ObjElement& element : mesh->points)
            Remap(element.materialIndex, first, count);
        for (ObjElement& element : mesh->lines)
            Remap(element.materialIndex, first, count);
        model->meshes.push_back(mesh.release());
    }
    imported = ImportedModel();
    modelList.push_back(model);
    return model;
}
