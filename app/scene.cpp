#include "app/viewer.h"

#include <GL/gl.h>
#include <algorithm>
#include <iostream>
#include <libnoise/noise.h>

#include "image/image.h"
#include "model/model.h"

namespace {

const char* const modelPath = "./Data/uvmappedvorbel.obj";

// Frees what a replaced load owned: the model with its display lists, the materials that the
// new load dropped from the table, and the texture records (and GL objects) loaded before it.
void ReleasePreviousLoad(ObjModel* previousModel,
                         const std::vector<ObjMaterial*>& previousMaterials,
                         std::size_t previousTextureCount) {
    if (previousModel != nullptr) {
        DeleteDisplayLists(previousModel);
        UnloadModel(previousModel);
    }
    for (ObjMaterial* material : previousMaterials) {
        if (std::find(materialTable.begin(), materialTable.end(), material) == materialTable.end())
            delete material;
    }
    previousTextureCount = std::min(previousTextureCount, textureTable.size());
    for (std::size_t i = 0; i < previousTextureCount; ++i) {
        GLuint id = textureTable[i]->id;
        glDeleteTextures(1, &id);
        delete textureTable[i];
    }
    textureTable.erase(textureTable.begin(),
                       textureTable.begin() + static_cast<std::ptrdiff_t>(previousTextureCount));
}

} // namespace

std::unique_ptr<TextureGenerator> RunTextureGeneration() {
    try {
        return std::make_unique<TextureGenerator>();
    } catch (const noise::Exception&) {
        std::cout.flush(); // the run's progress lines first, then what went wrong
        std::cerr << TextureRunFailureMessage(std::current_exception()) << std::endl;
        return nullptr;
    }
}

void LoadScene(bool keepMaterials) {
    ObjModel* previousModel = currentModel;
    std::vector<ObjMaterial*> previousMaterials = materialTable;
    std::size_t previousTextureCount = textureTable.size();

    currentModel = LoadModel(modelPath, true, keepMaterials);

    // Materials kept on purpose stay; a reload empties the table and owns what it loads.
    if (!keepMaterials)
        ReleasePreviousLoad(previousModel, previousMaterials, previousTextureCount);
}
