// The materials-and-textures report: its exact output, and that it leaves both tables empty
// and the released texture objects deleted.
#include "draw_test_window.h"
#include "image/image.h"
#include "model/model.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <string>

namespace {

std::string Report() {
    testing::internal::CaptureStdout();
    ReleaseMaterialsAndTextures();
    return testing::internal::GetCapturedStdout();
}

ObjMaterial* NewMaterial(const std::string& name) {
    ObjMaterial* material = new ObjMaterial;
    material->name = name;
    materialTable.push_back(material);
    return material;
}

Texture* NewTextureRecord(const std::string& name, int width, int height, unsigned int id) {
    Texture* texture = new Texture;
    texture->name = name;
    texture->width = width;
    texture->height = height;
    texture->id = id;
    textureTable.push_back(texture);
    return texture;
}

class ReportTest : public testing::Test {
protected:
    void SetUp() override {
        OpenTestWindow(32, 32);
        ASSERT_TRUE(materialTable.empty());
        ASSERT_TRUE(textureTable.empty());
    }
};

TEST_F(ReportTest, EmptyTablesGiveTwoZeroLinesEveryTime) {
    const std::string empty = "Total de materiais: 0\nTotal de texturas: 0\n";
    EXPECT_EQ(Report(), empty);
    EXPECT_EQ(Report(), empty);
}

TEST_F(ReportTest, PrintsEachMaterialAndTextureThenEmptiesTheTables) {
    ObjMaterial* skin = NewMaterial("skin");
    float ambient[] = {0.2f, 0.2f, 0.2f, 1.0f};
    float diffuse[] = {0.8f, 0.8f, 0.8f, 1.0f};
    std::copy(ambient, ambient + 4, skin->ambient);
    std::copy(diffuse, diffuse + 4, skin->diffuse);
    skin->specular[0] = 0.7f; // neither specular, alpha nor texture id is printed
    skin->textureId = 3;
    skin->shininess = 32.0f;
    NewTextureRecord("./Data/skin.bmp", 256, 128, 1);

    EXPECT_EQ(Report(), "Total de materiais: 1\n"
                        "skin a: (0.2,0.2,0.2 d: (0.8,0.8,0.8 e: (0,0,0 - 32\n"
                        "Total de texturas: 1\n"
                        "./Data/skin.bmp: 256 x 128 (id: 1)\n");
    EXPECT_TRUE(materialTable.empty());
    EXPECT_TRUE(textureTable.empty());
    // Empty tables give two zero lines, every time.
    EXPECT_EQ(Report(), "Total de materiais: 0\nTotal de texturas: 0\n");
    EXPECT_EQ(Report(), "Total de materiais: 0\nTotal de texturas: 0\n");
}

TEST_F(ReportTest, KeepsTableOrderAndSixSignificantDigits) {
    ObjMaterial* first = NewMaterial("primeiro material");
    first->ambient[0] = 1.0f / 3.0f;
    first->diffuse[1] = 1234567.0f;
    first->emission[2] = -0.5f;
    first->shininess = 0.0001f;
    NewMaterial("segundo");
    NewTextureRecord("a.bmp", 3, 2, 7);
    NewTextureRecord("b.bmp", 0, 0, 0);

    EXPECT_EQ(Report(), "Total de materiais: 2\n"
                        "primeiro material a: (0.333333,0.2,0.2 d: (0.8,1.23457e+06,0.8 "
                        "e: (0,0,-0.5 - 0.0001\n"
                        "segundo a: (0.2,0.2,0.2 d: (0.8,0.8,0.8 e: (0,0,0 - 0\n"
                        "Total de texturas: 2\n"
                        "a.bmp: 3 x 2 (id: 7)\n"
                        "b.bmp: 0 x 0 (id: 0)\n");
}

TEST_F(ReportTest, DeletesTheTextureObjectsItReleases) {
    GLuint ids[2] = {};
    glGenTextures(2, ids);
    for (GLuint id : ids)
        glBindTexture(GL_TEXTURE_2D, id); // a name becomes a texture object when first bound
    glBindTexture(GL_TEXTURE_2D, 0);
    ASSERT_TRUE(glIsTexture(ids[0]));
    ASSERT_TRUE(glIsTexture(ids[1]));
    NewTextureRecord("one.bmp", 1, 1, ids[0]);
    NewTextureRecord("two.bmp", 1, 1, ids[1]);

    std::string output = Report();
    EXPECT_NE(output.find("one.bmp: 1 x 1 (id: " + std::to_string(ids[0]) + ")\n"),
              std::string::npos);
    EXPECT_NE(output.find("two.bmp: 1 x 1 (id: " + std::to_string(ids[1]) + ")\n"),
              std::string::npos);
    EXPECT_FALSE(glIsTexture(ids[0]));
    EXPECT_FALSE(glIsTexture(ids[1]));
}

} // namespace
