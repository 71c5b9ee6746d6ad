// Quillmere: a procedural texture on a spinning OBJ model.
#include <GL/freeglut.h>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "app/import_scene.h"
#include "app/seed.h"
#include "app/viewer.h"

namespace {

// A viewer started on the user's own model may run where there is no ./Data/ to write into.
void ChooseTextureFolder() {
    std::error_code error;
    if (std::filesystem::is_directory("./Data", error))
        return;
    const std::string folder =
        CacheTextureFolder(std::getenv("XDG_CACHE_HOME"), std::getenv("HOME"));
    std::filesystem::create_directories(folder, error);
    if (error)
        std::cerr << "quillmere: cannot create the texture folder \"" << folder
                  << "\": " << error.message() << std::endl;
    SetTextureFolder(folder);
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
        std::cerr << viewerOptions.error << "\n";
        return 2;
    case ViewerOptions::Action::Run:
        break;
    }
    for (const std::string& warning : viewerOptions.warnings)
        std::cerr << warning << "\n";
    if (!viewerOptions.modelPath.empty()) {
        const std::string problem = ModelFileProblem(viewerOptions.modelPath);
        if (!problem.empty()) {
            std::cerr << "quillmere: cannot open the model \"" << viewerOptions.modelPath
                      << "\": " << problem << std::endl;
            return 2;
        }
        if (!ReadImportedModel(viewerOptions.modelPath))
            return 2;
        ChooseTextureFolder();
        std::cerr << "quillmere: the texture goes to \"" << TextureFileName(0) << "\"" << std::endl;
    }

    glutInit(&argc, argv);
    // Leaving the loop (a signal, the window closed) comes back here, so output gets flushed.
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(400, 400);
    glutCreateWindow(WindowTitle(viewerOptions.modelPath).c_str());
    RegisterCallbacks();
    InitRenderState();

    // The texture file is complete before the model and its materials are read.
    // --seed makes the start-up texture again; otherwise every run draws a fresh seed.
    const unsigned int seed = viewerOptions.haveSeed ? viewerOptions.seed : NextTextureSeed();
    std::unique_ptr<TextureGenerator> startupTexture = RunTextureGeneration(seed);
    LoadScene(true);
    float low[3];
    float high[3];
    if (!viewerOptions.modelPath.empty() && SceneBounds(low, high))
        FrameCamera(camera, low, high);
    homeCamera = camera;

    glutMainLoop();
    FlushOutput();
    return 0;
}
