// The readers with the real texture loading: "map_Kd" and "usemat" images become texture
// objects of the current context, and materials keep their names.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../image/bmp_builder.h"
#include "draw_fixtures.h"
#include "image/image.h"
#include "model/model.h"

namespace {

class ObjReaderGlTest : public testing::Test {
protected:
    void SetUp() override {
        OpenTestWindow(64, 64);
        folder = testing::TempDir() + "quillmere_obj_gl/";
        std::filesystem::create_directories(folder);
        WriteBytes(folder + "tex.bmp",
                   MakeBmp(2, 2, 24, {}, {{0, 1, 2, 3, 4, 5}, {40, 41, 42, 43, 44, 45}}));
        std::ofstream(folder + "scene.mtl")
            << "newmtl skin\nKd 1 1 1\nmap_Kd tex.bmp\nnewmtl plain\nKd 0.5 0.5 0.5\n";
        std::ofstream(folder + "scene.obj") << "mtllib scene.mtl\nusemat tex.bmp\nusemat (null)\n"
                                               "usemtl skin\nv 0 0 0\nv 1 0 0\nv 0 1 0\n"
                                               "f 1 2 3\nusemtl plain\nf 3 2 1\n";
    }

    void TearDown() override {
        UnloadEverything();
        std::filesystem::remove_all(folder);
    }

    std::string folder;
};

TEST_F(ObjReaderGlTest, MapsAndUsematImagesBecomeTextureObjects) {
    testing::internal::CaptureStdout();
    ObjModel* model = LoadModel(folder + "scene.obj", false, false);
    const std::string output = testing::internal::GetCapturedStdout();
    ASSERT_NE(model, nullptr);

    ASSERT_EQ(textureTable.size(), 2u);
    EXPECT_EQ(textureTable[0]->name, folder + "tex.bmp");
    EXPECT_EQ(textureTable[1]->name, folder + "tex.bmp"); // usemat loads again, keeps nothing
    EXPECT_EQ(textureTable[0]->width, 2);

    ASSERT_EQ(materialTable.size(), 2u);
    const ObjMaterial& skin = *materialTable[0];
    EXPECT_EQ(skin.textureId, static_cast<int>(textureTable[0]->id));
    EXPECT_EQ(glIsTexture(static_cast<GLuint>(skin.textureId)), GL_TRUE);
    EXPECT_EQ(materialTable[1]->textureId, -1);

    ASSERT_EQ(model->meshes.size(), 1u);
    EXPECT_EQ(model->meshes[0]->faces[0].materialIndex, 0);
    EXPECT_EQ(model->meshes[0]->faces[1].materialIndex, 1);

    // The library echo with one "carregou bmp" after its map line, and one for usemat.
    EXPECT_EQ(output, "*** Objeto: " + folder +
                          "scene.obj\n"
                          "aux = \"newmtl skin\" size = 11\n"
                          "aux = \"Kd 1 1 1\" size = 8\n"
                          "aux = \"map_Kd tex.bmp\" size = 14\n"
                          "carregou bmp\n"
                          "aux = \"newmtl plain\" size = 12\n"
                          "aux = \"Kd 0.5 0.5 0.5\" size = 14\n"
                          "carregou bmp\n"
                          "Vertices: 3\nFaces:    2\nNormais:  0\nTexcoords:0\n"
                          "Limites: 0 0 0 - 1 1 0\n");
}

} // namespace
