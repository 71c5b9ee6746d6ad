// Reloading the scene in a real GL context: a reload replaces the model and frees everything the
// previous load owned, so repeated Space presses hold a constant set of objects.
#include <GL/freeglut.h>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

#include "app/viewer.h"
#include "common/diagnostics.h"
#include "image/image.h"
#include "model/model.h"

namespace fs = std::filesystem;

namespace {

class ReloadTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        int argc = 1;
        char name[] = "reload_test";
        char* argv[] = {name, nullptr};
        glutInit(&argc, argv);
        glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
        glutCreateWindow("Quillmere");
        InitRenderState();
    }

    void SetUp() override {
        workDir = fs::temp_directory_path() / ("quillmere_reload_" + std::to_string(getpid()));
        fs::remove_all(workDir);
        fs::create_directories(workDir);
        fs::copy(fs::path(QUILLMERE_SOURCE_DIR) / "Data", workDir / "Data",
                 fs::copy_options::recursive);
        previousDir = fs::current_path();
        fs::current_path(workDir);
    }

    void TearDown() override {
        fs::current_path(previousDir);
        fs::remove_all(workDir);
    }

    static int LiveTextureObjects() {
        int live = 0;
        for (GLuint id = 1; id < 2000; ++id)
            live += glIsTexture(id) ? 1 : 0;
        return live;
    }

    fs::path workDir;
    fs::path previousDir;
};

// Runs step with the console captured (the loader's account is not under test here) and returns
// what it reported, as the default sink writes it to standard error.
template <class Step> std::string StderrOf(Step step) {
    testing::internal::CaptureStdout();
    const CapturedDiagnostics reports;
    step();
    testing::internal::GetCapturedStdout();
    return reports.Text();
}

TEST_F(ReloadTest, RepeatedReloadsKeepOneLoadAlive) {
    std::unique_ptr<TextureGenerator> generator;
    EXPECT_EQ(StderrOf([&] {
                  generator = RunTextureGeneration(4711u);
                  LoadScene(true);
              }),
              "quillmere: texture seed 4711: quillmere --seed 4711 makes it again\n");
    ASSERT_NE(generator, nullptr);
    EXPECT_EQ(textureSeed, 4711u);
    ASSERT_NE(currentModel, nullptr);
    const std::size_t texturesPerLoad = textureTable.size();
    const std::size_t materialsPerLoad = materialTable.size();
    ASSERT_GT(texturesPerLoad, 0u);
    ASSERT_GT(materialsPerLoad, 0u);
    EXPECT_EQ(LiveTextureObjects(), static_cast<int>(texturesPerLoad));

    for (int i = 0; i < 10; ++i) {
        ObjModel* before = currentModel;
        StderrOf([] { LoadScene(false); });
        ASSERT_NE(currentModel, nullptr);
        EXPECT_NE(currentModel, before);
    }

    EXPECT_EQ(modelList.size(), 1u);
    EXPECT_EQ(modelList.front(), currentModel);
    EXPECT_EQ(textureTable.size(), texturesPerLoad);
    EXPECT_EQ(materialTable.size(), materialsPerLoad);
    EXPECT_EQ(LiveTextureObjects(), static_cast<int>(texturesPerLoad));
    // Every material of the current model refers to a texture object that is still alive.
    for (ObjMaterial* material : materialTable) {
        if (material->textureId != -1) {
            EXPECT_TRUE(glIsTexture(static_cast<GLuint>(material->textureId)));
        }
    }
}

TEST_F(ReloadTest, AFailedReloadLeavesNoModelAndFreesThePreviousOne) {
    StderrOf([] { LoadScene(false); });
    ASSERT_NE(currentModel, nullptr);
    fs::remove(workDir / "Data" / "uvmappedvorbel.obj");
    StderrOf([] { LoadScene(false); });
    EXPECT_EQ(currentModel, nullptr);
    EXPECT_TRUE(modelList.empty());
    EXPECT_TRUE(textureTable.empty());
    EXPECT_EQ(LiveTextureObjects(), 0);
}

TEST_F(ReloadTest, TextureRunReportsAMissingDataFolderAndGoesOn) {
    fs::remove_all(workDir / "Data");
    std::unique_ptr<TextureGenerator> generator;
    const std::string errors = StderrOf([&] { generator = RunTextureGeneration(99u); });
    EXPECT_EQ(generator, nullptr);
    EXPECT_EQ(errors.rfind("quillmere: texture seed 99: ", 0), 0u) << errors;
    EXPECT_NE(errors.find("\"./Data/example0.bmp\""), std::string::npos) << errors;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 2);
}

// Every load that leaves the window empty says why on standard error, naming the file.
TEST_F(ReloadTest, AnEmptySceneIsExplainedOnStandardError) {
    fs::create_directories(workDir / "folder.obj");
    std::ofstream(workDir / "no-faces.obj") << "g lonely\nv 0 0 0\nv 1 0 0\n";
    const struct {
        const char* path;
        const char* expected;
    } cases[] = {
        {"./missing.obj", "quillmere: cannot open the model \"./missing.obj\": No such file or "
                          "directory; the window stays empty\n"},
        {"./folder.obj", "quillmere: cannot open the model \"./folder.obj\": Is a directory; the "
                         "window stays empty\n"},
        {"./no-faces.obj", "quillmere: the model \"./no-faces.obj\" has no faces; the window stays "
                           "empty\n"},
        {"./Data/uvmappedvorbel.obj", ""},
    };
    // The data set's model names the generated texture, which a run must have written.
    std::unique_ptr<TextureGenerator> generator;
    StderrOf([&] { generator = RunTextureGeneration(5u); });
    ASSERT_NE(generator, nullptr);
    const std::string previousPath = viewerOptions.modelPath;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        viewerOptions.modelPath = c.path;
        EXPECT_EQ(StderrOf([] { LoadScene(false); }), c.expected);
    }
    viewerOptions.modelPath = previousPath;
    // The wheel's bounds follow the model on show (the Data model is about 1.3 units across).
    EXPECT_GT(camera.radius, 0.3f);
    EXPECT_EQ(camera.radius, homeCamera.radius);

    // The data set's own model is loaded strictly: an unknown material stops the load.
    std::ofstream(workDir / "Data" / "uvmappedvorbel.obj") << "v 0 0 0\nusemtl nowhere\nf 1 1 1\n";
    EXPECT_EQ(
        StderrOf([] { LoadScene(false); }),
        "quillmere: the model \"./Data/uvmappedvorbel.obj\" did not load (see the lines above); "
        "the window stays empty\n");
}

} // namespace
