#include "app/viewer.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>
#include <iostream>
#include <libnoise/noise.h>

#include "image/image.h"
#include "model/model.h"

namespace {

const char* const dataModelPath = "./Data/uvmappedvorbel.obj";

// The texture object of the generated file, loaded when first shown; -1 when not loaded.
int generatedTexture = -1;

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

std::unique_ptr<TextureGenerator> RunTextureGeneration(bool haveSeed, unsigned seed) {
    try {
        if (haveSeed)
            return std::make_unique<TextureGenerator>(seed);
        return std::make_unique<TextureGenerator>();
    } catch (const noise::Exception&) {
        std::cout.flush(); // the run's progress lines first, then what went wrong
        std::cerr << TextureRunFailureMessage(std::current_exception()) << std::endl;
        return nullptr;
    }
}

std::string ScenePath() {
    return viewerOptions.modelPath.empty() ? std::string(dataModelPath) : viewerOptions.modelPath;
}

bool ModelBounds(const ObjModel* model, float low[3], float high[3]) {
    bool found = false;
    if (model == nullptr)
        return false;
    for (const ObjMesh* mesh : model->meshes) {
        if (mesh == nullptr)
            continue;
        for (const Vector3& v : mesh->vertices) {
            const float xyz[3] = {v.x, v.y, v.z};
            if (!std::isfinite(xyz[0]) || !std::isfinite(xyz[1]) || !std::isfinite(xyz[2]))
                continue;
            for (int i = 0; i < 3; ++i) {
                low[i] = found ? std::min(low[i], xyz[i]) : xyz[i];
                high[i] = found ? std::max(high[i], xyz[i]) : xyz[i];
            }
            found = true;
        }
    }
    return found;
}

void LoadScene(bool keepMaterials) {
    ObjModel* previousModel = currentModel;
    std::vector<ObjMaterial*> previousMaterials = materialTable;
    std::size_t previousTextureCount = textureTable.size();

    currentModel = LoadModel(ScenePath(), true, keepMaterials, !viewerOptions.modelPath.empty());

    // Materials kept on purpose stay; a reload empties the table and owns what it loads.
    if (!keepMaterials) {
        ReleasePreviousLoad(previousModel, previousMaterials, previousTextureCount);
        generatedTexture = -1; // released with the previous load's textures; the file is new
    }
}

int GeneratedTexture() {
    if (generatedTexture == -1) {
        if (const Texture* texture = LoadTexture(TextureFileName(0), true))
            generatedTexture = static_cast<int>(texture->id);
    }
    return generatedTexture;
}
