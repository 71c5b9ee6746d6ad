#include "app/viewer.h"

#include <GL/gl.h>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <libnoise/noise.h>

#include "image/image.h"
#include "model/model.h"

namespace {

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

// Why a model file cannot be read, or an empty string when it can.
std::string OpenFailure(const std::string& path) {
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return std::strerror(errno);
    std::string reason;
    // A folder opens but cannot be read.
    if (std::fgetc(file) == EOF && std::ferror(file))
        reason = std::strerror(errno);
    std::fclose(file);
    return reason;
}

std::size_t FaceCount(const ObjModel& model) {
    std::size_t faces = 0;
    for (const ObjMesh* mesh : model.meshes)
        faces += mesh ? mesh->faces.size() : 0;
    return faces;
}

// Says on standard error why the window will stay empty after a load, if it will.
void ReportEmptyScene(const std::string& path, const ObjModel* model) {
    if (model != nullptr) {
        if (FaceCount(*model) == 0)
            std::cerr << "Error: the model \"" << path << "\" has no faces; the window stays empty"
                      << std::endl;
        return;
    }
    std::string reason = OpenFailure(path);
    if (!reason.empty())
        std::cerr << "Error: cannot open the model \"" << path << "\": " << reason
                  << "; the window stays empty" << std::endl;
    else
        std::cerr << "Error: the model \"" << path
                  << "\" did not load (see the lines above); the window stays empty" << std::endl;
}

} // namespace

std::string modelPath = "./Data/uvmappedvorbel.obj";
unsigned int textureSeed = 0;

void FlushOutput() {
    std::cout.flush();
    std::fflush(stdout);
}

std::unique_ptr<TextureGenerator> RunTextureGeneration(unsigned int seed) {
    FlushOutput();
    std::cerr << "texture seed " << seed << ": quillmere --seed " << seed << " makes it again"
              << std::endl;
    try {
        std::unique_ptr<TextureGenerator> generator = std::make_unique<TextureGenerator>(seed);
        FlushOutput();
        textureSeed = seed;
        return generator;
    } catch (const noise::Exception&) {
        FlushOutput(); // the run's progress lines first, then what went wrong
        std::cerr << "Error: could not make the texture file \"" << TextureFileName(0)
                  << "\" (is ./Data/ missing or not writable?)" << std::endl;
        return nullptr;
    }
}

void LoadScene(bool keepMaterials) {
    ObjModel* previousModel = currentModel;
    std::vector<ObjMaterial*> previousMaterials = materialTable;
    std::size_t previousTextureCount = textureTable.size();

    currentModel = LoadModel(modelPath, true, keepMaterials);
    FlushOutput();
    ReportEmptyScene(modelPath, currentModel);
    MeasureModel(camera, currentModel);
    MeasureModel(homeCamera, currentModel);

    // Materials kept on purpose stay; a reload empties the table and owns what it loads.
    if (!keepMaterials)
        ReleasePreviousLoad(previousModel, previousMaterials, previousTextureCount);
}

void MeasureModel(Camera& view, const ObjModel* model) {
    bool any = false;
    Vector3 low, high;
    for (const ObjMesh* mesh : model ? model->meshes : std::vector<ObjMesh*>()) {
        if (mesh == nullptr)
            continue;
        for (const Vector3& v : mesh->vertices) {
            if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z))
                continue;
            if (!any) {
                low = high = v;
                any = true;
            }
            low = {std::min(low.x, v.x), std::min(low.y, v.y), std::min(low.z, v.z)};
            high = {std::max(high.x, v.x), std::max(high.y, v.y), std::max(high.z, v.z)};
        }
    }
    view.centreX = (low.x + high.x) / 2;
    view.centreY = (low.y + high.y) / 2;
    view.centreZ = (low.z + high.z) / 2;
    view.radius = static_cast<float>(std::hypot(static_cast<double>(high.x) - view.centreX,
                                                static_cast<double>(high.y) - view.centreY,
                                                static_cast<double>(high.z) - view.centreZ));
}
