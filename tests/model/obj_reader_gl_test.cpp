// The readers with the real texture loading: "map_Kd" and "usemat" images become texture
// objects of the current context, and materials keep their names.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "draw_test_window.h"
#include "image/image.h"
#include "model/model.h"

namespace {

void Put(std::vector<unsigned char>& bytes, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
    }
}

// A 2 x 2 uncompressed 24-bit BMP (rows padded to 8 bytes).
void WriteBitmap(const std::string& path) {
    std::vector<unsigned char> bytes = {'B', 'M'};
    Put(bytes, 14 + 40 + 16, 4);
    Put(bytes, 0, 4);
    Put(bytes, 14 + 40, 4);
    Put(bytes, 40, 4);
    Put(bytes, 2, 4);
    Put(bytes, 2, 4);
    Put(bytes, 1, 2);
    Put(bytes, 24, 2);
    Put(bytes, 0, 4);
    Put(bytes, 16, 4);
    Put(bytes, 2835, 4);
    Put(bytes, 2835, 4);
    Put(bytes, 0, 4);
    Put(bytes, 0, 4);
    for (int row = 0; row < 2; ++row) {
        for (int i = 0; i < 6; ++i) {
            bytes.push_back(static_cast<unsigned char>(40 * row + i));
        }
        bytes.push_back(0);
        bytes.push_back(0);
    }
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

class ObjReaderGlTest : public testing::Test {
protected:
    void SetUp() override {
        OpenTestWindow(64, 64);
        folder = testing::TempDir() + "quillmere_obj_gl/";
        std::filesystem::create_directories(folder);
        WriteBitmap(folder + "tex.bmp");
        std::ofstream(folder + "scene.mtl")
            << "newmtl skin\nKd 1 1 1\nmap_Kd tex.bmp\nnewmtl plain\nKd 0.5 0.5 0.5\n";
        std::ofstream(folder + "scene.obj") << "mtllib scene.mtl\nusemat tex.bmp\nusemat (null)\n"
                                               "usemtl skin\nv 0 0 0\nv 1 0 0\nv 0 1 0\n"
                                               "f 1 2 3\nusemtl plain\nf 3 2 1\n";
    }

    void TearDown() override {
        UnloadModel(nullptr);
        for (ObjMaterial* material : materialTable) {
            delete material;
        }
        materialTable.clear();
        for (Texture* texture : textureTable) {
            glDeleteTextures(1, &texture->id);
            delete texture;
        }
        textureTable.clear();
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
