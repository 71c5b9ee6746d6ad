#include "app/import_scene.h"
#include "common/diagnostics.h"

#include <iostream>
#include <memory>

#include "model/import.h"
#include "model/isolated_import.h"

namespace {

// What was read before the window opened, with the file it came from.
std::unique_ptr<ImportedModel> pendingModel;
std::string pendingPath;

void SayUnreadable(const std::string& path, const std::string& reason) {
    Report(Level::error, "cannot read the model \"" + path + "\": " + reason);
}

} // namespace

bool IsImportedModel(const std::string& path) {
    return !ImportedFormat(path).empty();
}

bool ReadImportedModel(const std::string& path) {
    if (!IsImportedModel(path))
        return true;
    auto imported = std::make_unique<ImportedModel>();
    std::string error;
    // In a child process with a deadline: some files make assimp loop forever or abort.
    if (!ImportIsolated(path, *imported, error)) {
        SayUnreadable(path, error);
        return false;
    }
    pendingModel = std::move(imported);
    pendingPath = path;
    return true;
}

ObjModel* LoadImportedModel(const std::string& path, bool mipmaps, bool keepMaterials) {
    if (!keepMaterials)
        materialTable.clear(); // the materials themselves stay alive for earlier models
    std::unique_ptr<ImportedModel> imported;
    if (pendingModel != nullptr && pendingPath == path) {
        imported = std::move(pendingModel);
    } else {
        imported = std::make_unique<ImportedModel>();
        std::string error;
        if (!ImportIsolated(path, *imported, error)) {
            SayUnreadable(path, error);
            return nullptr;
        }
    }
    pendingModel.reset();
    std::cout << ImportSummary(*imported) << std::endl;
    for (const std::string& warning : imported->warnings)
        Report(Level::warning, warning);
    ObjModel* model = RegisterImportedModel(std::move(*imported), mipmaps);
    return model;
}
