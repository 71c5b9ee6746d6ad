// Quillmere: a procedural texture on a spinning OBJ model.
#include <GL/freeglut.h>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "app/import_scene.h"
#include "app/offscreen.h"
#include "app/seed.h"
#include "app/texture_options.h"
#include "app/viewer.h"
#include "common/diagnostics.h"
#include "image/upload.h"
#include "model/model_file.h"

namespace {

bool HaveDataFolder() {
    std::error_code error;
    return std::filesystem::is_directory("./Data", error);
}

// A viewer started on the user's own model may run where there is no ./Data/ to write into.
void ChooseTextureFolder() {
    if (HaveDataFolder())
        return;
    std::error_code error;
    const std::string folder =
        CacheTextureFolder(std::getenv("XDG_CACHE_HOME"), std::getenv("HOME"));
    std::filesystem::create_directories(folder, error);
    if (error)
        Report(Level::error,
               "cannot create the texture folder \"" + folder + "\": " + error.message());
    SetTextureFolder(folder);
}

void SayTextureFolder() {
    const std::string& chosen = viewerOptions.textureOut;
    Report(Level::info,
           "the texture goes to \"" + (chosen.empty() ? TextureFileName(0) : chosen) + "\"");
}

// An installed viewer started where there is no ./Data/ shows the data set installed beside it
// (found from its own executable, so that the installed tree can move). The texture goes where
// a named model's goes, and the material that names it beside the model reads it from there.
void UseInstalledDataSet() {
    if (HaveDataFolder())
        return;
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    const std::string folder = InstalledDataFolder(error ? std::string() : executable.string());
    if (folder.empty() || !std::filesystem::is_regular_file(DataModelPath(folder), error))
        return;
    UseDataSetFolder(folder);
    ChooseTextureFolder();
    const std::string texture = TextureFileName(0);
    RedirectTextureFile(folder + std::filesystem::path(texture).filename().string(), texture);
    SayTextureFolder();
}

} // namespace

int main(int argc, char** argv) {
    InstallSignalHandlers();
    viewerOptions = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    switch (viewerOptions.action) {
    case ViewerOptions::Action::Help:
        std::cout << UsageText();
        return 0;
    case ViewerOptions::Action::Version:
        std::cout << VersionText();
        return 0;
    case ViewerOptions::Action::Error:
        Report(Level::error, viewerOptions.error);
        return 2;
    case ViewerOptions::Action::Run:
        break;
    }
    for (const std::string& warning : viewerOptions.warnings)
        Report(Level::warning, warning);
    // Pictures that cannot be written, or drawn, are refused before anything is made.
    if (!viewerOptions.outputPath.empty() && !PrepareOffscreen())
        return 2;
    const bool namedModel = !viewerOptions.modelPath.empty();
    if (namedModel) {
        // Judged by content before any window opens: a picture renamed .obj is no model.
        const ModelFileCheck check = CheckModelFile(viewerOptions.modelPath);
        // Other model formats go to assimp; everything else must be OBJ text.
        if (!check.problem.empty() && !IsImportedModel(viewerOptions.modelPath)) {
            Report(Level::error,
                   "cannot open the model \"" + viewerOptions.modelPath + "\": " + check.problem);
            return 2;
        }
        if (!ReadImportedModel(viewerOptions.modelPath))
            return 2;
        ChooseTextureFolder();
        SayTextureFolder();
    } else {
        UseInstalledDataSet();
    }

    if (const int status = PrepareTextureRuns(); status >= 0)
        return status;
    // Pictures need no window, nor a display: GLUT stays untouched.
    if (!viewerOptions.outputPath.empty())
        return RunOffscreen();

    glutInit(&argc, argv);
    // Leaving the loop (a signal, the window closed) comes back here, so output gets flushed.
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    // After glutInit, so that --size wins over -geometry.
    glutInitWindowSize(viewerOptions.width, viewerOptions.height);
    glutCreateWindow(WindowTitle(viewerOptions.modelPath).c_str());
    RegisterCallbacks();
    std::unique_ptr<TextureGenerator> startupTexture = StartScene();

    glutMainLoop();
    FlushOutput();
    return 0;
}
