// The look of a model named on the command line, in a real GL context: lights that show a face
// turned to the eye brightly in its own colour, both sides of a face lit alike, and a grey
// background.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include "app/viewer.h"
#include "model/model.h"

namespace {

constexpr int size = 64;

class NamedLookTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        int argc = 1;
        char name[] = "named_look_test";
        char* argv[] = {name, nullptr};
        glutInit(&argc, argv);
        glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
        glutInitWindowSize(size, size);
        glutCreateWindow("Quillmere");
        InitRenderState();
        InitNamedModelState();
        glViewport(0, 0, size, size);
    }
};

struct Pixel {
    int r, g, b;
};

Pixel ReadPixel(int x, int y) {
    unsigned char rgb[3] = {};
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    return {rgb[0], rgb[1], rgb[2]};
}

// One square filling the middle of the view, in the plane z = 0, drawn through the model module
// as a loaded face is, with the given winding seen from the eye and the given normal.
Pixel DrawSquare(int materialIndex, bool counterClockwise, float normalZ) {
    ObjMesh mesh;
    mesh.vertices = {{-0.5f, -0.5f, 0}, {0.5f, -0.5f, 0}, {0.5f, 0.5f, 0}, {-0.5f, 0.5f, 0}};
    mesh.normals = {{0, 0, normalZ}};
    const std::vector<int> corners =
        counterClockwise ? std::vector<int>{0, 1, 2, 3} : std::vector<int>{0, 3, 2, 1};
    EXPECT_TRUE(mesh.AddFace(corners, {}, {0, 0, 0, 0}, materialIndex));
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawMesh(&mesh, true, true, -1);
    return ReadPixel(size / 2, size / 2);
}

TEST_F(NamedLookTest, FacesShowTheirMaterialFromBothSidesOnGrey) {
    ObjMaterial red;
    red.name = "red";
    const float redDiffuse[4] = {1, 0, 0, 1};
    std::copy(redDiffuse, redDiffuse + 4, red.diffuse);
    std::fill(red.ambient, red.ambient + 3, 0.0f); // Ka 0 0 0: no ambient light at all
    materialTable = {&red};

    const struct {
        const char* what;
        int material;
        bool counterClockwise;
        float normalZ;
        Pixel low, high; // inclusive bounds per channel
    } cases[] = {
        // A face that names no material (first, before any material call) gets a new
        // material's values: bright, untinted, not white.
        {"no material", -1, true, 1, {200, 200, 200}, {235, 235, 235}},
        // So does the default material of faces after an unknown one.
        {"default, front", defaultMaterialIndex, true, 1, {200, 200, 200}, {235, 235, 235}},
        // The inside of an open mesh: wound the other way and its normal pointing away, it is
        // lit as its front would be.
        {"default, back", defaultMaterialIndex, false, -1, {200, 200, 200}, {235, 235, 235}},
        // A red material stays red on both sides, lit by the headlight alone.
        {"red, front", 0, true, 1, {180, 0, 0}, {255, 0, 0}},
        {"red, back", 0, false, -1, {180, 0, 0}, {255, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Pixel p = DrawSquare(c.material, c.counterClockwise, c.normalZ);
        EXPECT_GE(p.r, c.low.r);
        EXPECT_GE(p.g, c.low.g);
        EXPECT_GE(p.b, c.low.b);
        EXPECT_LE(p.r, c.high.r);
        EXPECT_LE(p.g, c.high.g);
        EXPECT_LE(p.b, c.high.b);
        if (c.low.g > 0) {
            EXPECT_EQ(p.r, p.g) << "tinted";
        }
        EXPECT_EQ(p.g, p.b) << "tinted";
        // Around the square: the grey background.
        const Pixel corner = ReadPixel(1, 1);
        EXPECT_EQ(corner.r, 51);
        EXPECT_EQ(corner.g, 51);
        EXPECT_EQ(corner.b, 51);
    }
    materialTable.clear();
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

} // namespace
