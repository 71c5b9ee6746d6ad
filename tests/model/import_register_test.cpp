// Imported models put into the tables with a real context: materials appended and pointed at,
// textures (files beside the model, embedded pictures, raw texels) made into texture objects,
// and missing pictures named without stopping the load.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/diagnostics.h"
#include "draw_fixtures.h"
#include "image/image.h"
#include "model/import.h"

namespace {

const std::string formats = std::string(QUILLMERE_TEST_DATA) + "/model/formats/";

// The RGBA texels of level 0 of a texture object, bottom row first.
std::vector<unsigned char> TexelsOf(int id, int width, int height) {
    std::vector<unsigned char> texels(static_cast<std::size_t>(width * height * 4));
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(id));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

class ImportRegisterTest : public testing::Test {
protected:
    void SetUp() override { OpenTestWindow(64, 64); }
    void TearDown() override { UnloadEverything(); }

    ImportedModel Import(const std::string& path) {
        ImportedModel model;
        std::string error;
        EXPECT_TRUE(ImportWithAssimp(path, model, error)) << error;
        return model;
    }
};

TEST_F(ImportRegisterTest, MaterialsFollowTheTableAndFileTexturesBecomeObjects) {
    // something already in the tables: the new entries come after it
    materialTable.push_back(new ObjMaterial);
    ImportedModel imported = Import(formats + "textured-quad.gltf");
    const std::size_t materials = imported.materials.size();

    testing::internal::CaptureStdout();
    ObjModel* model = RegisterImportedModel(std::move(imported), false);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), ""); // the summary is the only line

    ASSERT_NE(model, nullptr);
    ASSERT_EQ(modelList.size(), 1u);
    EXPECT_EQ(modelList[0], model);
    ASSERT_EQ(materialTable.size(), 1 + materials);
    EXPECT_EQ(materialTable[1]->name, "checker");
    EXPECT_FLOAT_EQ(materialTable[1]->diffuse[1], 0.25f);
    for (const ObjFace& face : model->meshes[0]->faces)
        EXPECT_EQ(face.materialIndex, 1);

    ASSERT_EQ(textureTable.size(), 1u);
    EXPECT_EQ(textureTable[0]->name, formats + "checker.png");
    EXPECT_EQ(materialTable[1]->textureId, static_cast<int>(textureTable[0]->id));
    // the picture's top row (red, green) is the texture's upper row
    const std::vector<unsigned char> texels = TexelsOf(materialTable[1]->textureId, 2, 2);
    EXPECT_EQ(texels[8], 255); // row 1, column 0: red
    EXPECT_EQ(texels[10], 0);
    EXPECT_EQ(texels[0], 0); // row 0, column 0: blue
    EXPECT_EQ(texels[2], 255);
}

TEST_F(ImportRegisterTest, EmbeddedPicturesAndTexelsAreUploadedFromMemory) {
    ImportedModel imported = Import(formats + "embedded-png.glb");
    // a second material of the same name is an entry of its own, and raw texels (top row
    // first, as a file stores them) are a texture too
    imported.materials.push_back(imported.materials[0]);
    ImportedTexture texels;
    texels.embedded = true;
    texels.path = "*1";
    texels.width = 1;
    texels.height = 2;
    texels.bytes = {255, 0, 0, 255, 0, 0, 255, 255}; // red over blue
    imported.textures.push_back(texels);
    imported.materials.back().texture = 1;
    const std::size_t materials = imported.materials.size();

    ObjModel* model = RegisterImportedModel(std::move(imported), true);
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(materialTable.size(), materials);
    EXPECT_EQ(materialTable[0]->name, materialTable[materials - 1]->name);
    EXPECT_NE(materialTable[0], materialTable[materials - 1]);
    ASSERT_EQ(textureTable.size(), 2u);
    EXPECT_EQ(textureTable[0]->width, 1);
    EXPECT_EQ(materialTable[0]->textureId, static_cast<int>(textureTable[0]->id));
    EXPECT_EQ(materialTable[1]->textureId, -1);
    EXPECT_EQ(model->meshes[1]->points[0].materialIndex, 1);
    EXPECT_EQ(model->meshes[2]->lines[0].materialIndex, 1);

    const std::vector<unsigned char> yellow = TexelsOf(materialTable[0]->textureId, 1, 1);
    EXPECT_EQ(yellow[0], 255);
    EXPECT_EQ(yellow[1], 255);
    EXPECT_EQ(yellow[2], 0);
    const std::vector<unsigned char> stacked =
        TexelsOf(materialTable[materials - 1]->textureId, 1, 2);
    EXPECT_EQ(stacked[0], 0); // bottom row: blue
    EXPECT_EQ(stacked[2], 255);
    EXPECT_EQ(stacked[4], 255); // top row: red
    EXPECT_EQ(stacked[6], 0);
}

TEST_F(ImportRegisterTest, MissingAndBrokenTexturesAreNamedAndTheModelStays) {
    const std::string folder = testing::TempDir() + "quillmere_import_gl/";
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(formats + "textured-quad.gltf", folder + "quad.gltf",
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::copy_file(formats + "textured-quad.bin", folder + "textured-quad.bin",
                               std::filesystem::copy_options::overwrite_existing);
    ImportedModel imported = Import(folder + "quad.gltf"); // checker.png is not there
    ImportedTexture broken;
    broken.embedded = true;
    broken.path = "*7";
    broken.bytes = {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'};
    imported.textures.push_back(broken);
    imported.materials[1].texture = 1;

    std::string errors;
    ObjModel* model = nullptr;
    {
        const CapturedDiagnostics reports;
        model = RegisterImportedModel(std::move(imported), true);
        errors = reports.Text();
    }
    std::filesystem::remove_all(folder);

    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->meshes[0]->faces.size(), 2u);
    EXPECT_TRUE(textureTable.empty());
    EXPECT_EQ(materialTable[0]->textureId, -1);
    EXPECT_EQ(materialTable[1]->textureId, -1);
    EXPECT_NE(errors.find("quillmere: cannot load the texture \"" + folder + "checker.png\": "),
              std::string::npos)
        << errors;
    EXPECT_NE(errors.find("quillmere: cannot load the texture \"*7\": "), std::string::npos)
        << errors;
}

TEST_F(ImportRegisterTest, PicturesInMemoryDecodeAsTheirFilesDo) {
    std::ifstream in(std::string(QUILLMERE_SOURCE_DIR) + "/Data/vorbel_olho.bmp", std::ios::binary);
    const std::vector<unsigned char> bmp((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
    std::string problem;
    const Texture* texture = LoadTextureFromMemory("eye", bmp.data(), bmp.size(), false, &problem);
    ASSERT_NE(texture, nullptr) << problem;
    EXPECT_GT(texture->width, 0);
    EXPECT_EQ(texture->data, nullptr); // only OpenGL keeps the pixels
    EXPECT_EQ(glIsTexture(texture->id), GL_TRUE);

    const unsigned char cut[] = {'B', 'M', 0, 0};
    EXPECT_EQ(LoadTextureFromMemory("cut", cut, sizeof cut, false, &problem), nullptr);
    EXPECT_FALSE(problem.empty());
    EXPECT_EQ(textureTable.size(), 1u); // nothing registered for what did not decode
}

} // namespace
