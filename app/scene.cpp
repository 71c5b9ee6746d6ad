#include "app/viewer.h"
#include "common/diagnostics.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <iostream>
#include <libnoise/noise.h>

#include "app/import_scene.h"
#include "app/texture_options.h"
#include "image/image.h"
#include "model/model.h"

namespace {

const char* const dataModelName = "uvmappedvorbel.obj";
// The data set's folder: ./Data/, or the installed one when the viewer runs without it.
std::string dataSetFolder = "./Data/";

// The texture object of the generated file, loaded when first shown; -1 when not loaded.
int generatedTexture = -1;

// The box around the loaded model, found once per load: a large model has millions of
// vertices to walk.
struct Bounds {
    float low[3] = {0.0f, 0.0f, 0.0f};
    float high[3] = {0.0f, 0.0f, 0.0f};
    bool found = false;
};
Bounds sceneBounds;

// Fits the camera's wheel bounds to the model on show.
void MeasureModel(Camera& view, const Bounds& bounds) {
    view.centerX = (bounds.low[0] + bounds.high[0]) / 2.0f;
    view.centerY = (bounds.low[1] + bounds.high[1]) / 2.0f;
    view.centerZ = (bounds.low[2] + bounds.high[2]) / 2.0f;
    view.radius =
        static_cast<float>(std::hypot(static_cast<double>(bounds.high[0]) - view.centerX,
                                      static_cast<double>(bounds.high[1]) - view.centerY,
                                      static_cast<double>(bounds.high[2]) - view.centerZ));
}

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
    ReleaseTextures(previousTextureCount);
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
            Report(Level::error, "the model \"" + path + "\" has no faces; the window stays empty");
        return;
    }
    std::string reason = ModelFileProblem(path);
    if (!reason.empty())
        Report(Level::error,
               "cannot open the model \"" + path + "\": " + reason + "; the window stays empty");
    else
        Report(Level::error, "the model \"" + path +
                                 "\" did not load (see the lines above); the window stays empty");
}

} // namespace

unsigned int textureSeed = 0;
TextureState textureState = TextureState::None;

void FlushOutput() {
    std::cout.flush();
    std::fflush(stdout);
}

std::unique_ptr<TextureGenerator> RunTextureGeneration(unsigned int seed) {
    FlushOutput();
    Report(Level::info, "texture seed " + std::to_string(seed) + ": quillmere --seed " +
                            std::to_string(seed) + " makes it again");
    // Until the run ends the file is being rewritten; a run that throws may leave it cut.
    textureState = TextureState::Failed;
    try {
        std::unique_ptr<TextureGenerator> generator =
            std::make_unique<TextureGenerator>(seed, CurrentTextureSettings());
        FlushOutput();
        textureSeed = seed;
        textureState = TextureState::Whole;
        return generator;
    } catch (const noise::Exception&) {
        FlushOutput(); // the run's progress lines first, then what went wrong
        Report(Level::error, TextureRunFailureMessage(std::current_exception()));
        return nullptr;
    } catch (const std::exception&) {
        // Out of memory in the gradient or the file stream: the viewer goes on without it.
        FlushOutput();
        Report(Level::error, TextureRunFailureMessage(std::current_exception()));
        return nullptr;
    }
}

std::string ScenePath() {
    return viewerOptions.modelPath.empty() ? DataModelPath(dataSetFolder) : viewerOptions.modelPath;
}

std::string DataModelPath(const std::string& folder) {
    return folder + dataModelName;
}

void UseDataSetFolder(const std::string& folder) {
    dataSetFolder = folder;
}

void GrowBounds(const float point[3], float low[3], float high[3], bool& found) {
    for (int i = 0; i < 3; ++i) {
        low[i] = found ? std::min(low[i], point[i]) : point[i];
        high[i] = found ? std::max(high[i], point[i]) : point[i];
    }
    found = true;
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
            GrowBounds(xyz, low, high, found);
        }
    }
    return found;
}

void LoadScene(bool keepMaterials) {
    ObjModel* previousModel = currentModel;
    std::vector<ObjMaterial*> previousMaterials = materialTable;
    std::size_t previousTextureCount = textureTable.size();

    const std::string path = ScenePath();
    const bool namedModel = !viewerOptions.modelPath.empty();
    ForgetPaintedModel();
    currentModel = IsImportedModel(path) ? LoadImportedModel(path, true, keepMaterials)
                                         : LoadModel(path, true, keepMaterials, namedModel);
    FlushOutput();
    ReportEmptyScene(path, currentModel);
    // A model from elsewhere may come without normals or with concave faces; the data set is
    // drawn as read.
    if (namedModel && currentModel != nullptr)
        PrepareDrawing(currentModel);
    sceneBounds = Bounds();
    sceneBounds.found = ModelBounds(currentModel, sceneBounds.low, sceneBounds.high);
    MeasureModel(camera, sceneBounds);
    MeasureModel(homeCamera, sceneBounds);
    // Normals ('n') a few percent of the model's size, whatever its units.
    if (namedModel && sceneBounds.found && camera.radius > 0.0f)
        SetNormalLength(0.06f * camera.radius);

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

bool SceneBounds(float low[3], float high[3]) {
    for (int i = 0; i < 3; ++i) {
        low[i] = sceneBounds.low[i];
        high[i] = sceneBounds.high[i];
    }
    return sceneBounds.found;
}
