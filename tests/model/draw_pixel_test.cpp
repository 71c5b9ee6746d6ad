// What drawing puts on the screen: a lit square filling a 64 x 64 window, read back from the
// back buffer. The light shines straight at the square, so a white diffuse colour leaves a
// texel unchanged and any other diffuse colour shows as itself.
#include "draw_fixtures.h"
#include "draw_test_window.h"
#include "model/model.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <array>
#include <cstdlib>

namespace {

using Rgb = std::array<int, 3>;

// Texels bottom-left, bottom-right, top-left, top-right of a 2 x 2 texture.
const Rgb bottomLeft = {240, 40, 40};
const Rgb bottomRight = {40, 240, 40};
const Rgb topLeft = {40, 40, 240};
const Rgb topRight = {250, 250, 250};

class DrawPixelTest : public testing::Test {
protected:
    void SetUp() override {
        SetUpLitView(64, 0, 0, 1);
        texture = UploadTestTexture();

        // A strong diffuse colour that would tint the texture if it were used.
        AddMaterial("textured", 0.2f, 0.5f, 0.9f, static_cast<int>(texture));
        AddMaterial("plain", 0.6f, 0.3f, 0.1f, -1);
        model.meshes.push_back(NewSquareMesh());
    }

    void TearDown() override {
        SetRenderMode('t');
        for (ObjMesh* mesh : model.meshes)
            delete mesh;
        ClearMaterials();
        glDeleteTextures(1, &texture);
    }

    // Clears to black and draws the model.
    void Draw() {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        DrawModel(&model);
    }

    static Rgb PixelAt(int x, int y) {
        const std::vector<unsigned char> rgb = ReadBackBuffer(x, y, 1, 1);
        return {rgb[0], rgb[1], rgb[2]};
    }

    static void ExpectNear(const Rgb& actual, const Rgb& expected) {
        for (int c = 0; c < 3; ++c)
            EXPECT_LE(std::abs(actual[c] - expected[c]), 3)
                << "channel " << c << ": " << actual[0] << "," << actual[1] << "," << actual[2];
    }

    GLuint texture = 0;
    ObjModel model;
};

// The lower-right triangle of the square is probed at (48, 16), the upper-left one at (16, 48).
struct Probe {
    int x;
    int y;
    Rgb rgb;
};

TEST_F(DrawPixelTest, EachModeShowsItsColoursWithoutStateLeftByTheFaceBefore) {
    const Rgb plain = {153, 77, 26};
    const Rgb black = {0, 0, 0};
    const struct {
        const char* what;
        char mode;
        std::vector<FaceSpec> faces;
        std::vector<Probe> probes;
    } cases[] = {
        {"textured mode shows the texture unmodulated by the diffuse colour",
         't',
         {MakeFace({0, 1, 2, 3}, 0)},
         {{16, 16, bottomLeft}, {48, 16, bottomRight}, {16, 48, topLeft}, {48, 48, topRight}}},
        // A face without a material keeps the untextured one before it; the test's texture is
        // still bound from the case before.
        {"faces without a texture pick up no stale texel",
         't',
         {MakeFace({0, 1, 2}, 1), MakeFace({0, 2, 3}, -1)},
         {{48, 16, plain}, {16, 48, plain}}},
        {"a textured face after an untextured one shows its texture again",
         't',
         {MakeFace({0, 1, 2}, 1), MakeFace({0, 2, 3}, 0)},
         {{48, 16, plain}, {16, 48, topLeft}}},
        // Not the plain material of the face before: OpenGL's default grey diffuse of 0.8.
        {"faces after an unknown material start from a new material",
         't',
         {MakeFace({0, 1, 2}, 1), MakeFace({0, 2, 3}, defaultMaterialIndex)},
         {{48, 16, plain}, {16, 48, {204, 204, 204}}}},
        // Two triangles: the second one would find texturing left on by the first.
        {"solid mode shows the diffuse colour on every face",
         's',
         {MakeFace({0, 1, 2}, 0), MakeFace({0, 2, 3}, 0)},
         {{48, 16, {51, 128, 230}}, {16, 48, {51, 128, 230}}}},
        {"wire mode draws only outlines",
         'w',
         {MakeFace({0, 1, 2, 3}, 0)},
         {{32, 32, black}, {16, 16, black}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetFaces(model.meshes[0], c.faces);
        SetRenderMode(c.mode);
        Draw();
        for (const Probe& probe : c.probes)
            ExpectNear(PixelAt(probe.x, probe.y), probe.rgb);
    }
}

TEST_F(DrawPixelTest, TextureOverridePaintsOnlyFacesWithTextureCoordinates) {
    FaceSpec bare = MakeFace({0, 2, 3}, 1);
    bare.texCoordIndices.clear();
    SetFaces(model.meshes[0], {MakeFace({0, 1, 2}, 0), bare});
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawMesh(model.meshes[0], true, true, static_cast<int>(texture));
    ExpectNear(PixelAt(48, 16), bottomRight);
    ExpectNear(PixelAt(16, 48), {153, 77, 26}); // its own material, no stale texel
}

// Models named by the user, prepared for drawing, in a 64 x 64 window: concave faces keep their
// holes, points and lines show, and a file of bare vertices shows them.
TEST(PreparedDrawPixelTest, ShapesAreDrawnAsWritten) {
    SetUpLitView(64, 0, 0, 1);
    const Rgb black = {0, 0, 0};
    const Rgb plain = {153, 77, 26}; // the faces' material, lit head-on
    const Rgb dot = {204, 204, 204}; // points and lines without a material: a new material's
    const struct {
        const char* file;
        std::vector<Probe> probes;
        int tolerance = 3; // colours interpolated across a face are probed off their corner
    } cases[] = {
        // The ring spans 0.45 to 0.9 from the centre on both axes: pixels 3 to 17 from the edge.
        {"concave-ring.obj", {{32, 32, black}, {24, 32, black}, {6, 32, plain}, {58, 58, plain}}},
        // Points at (16, 16), (48, 16) and, numbered back from the end, (48, 48); not (16, 48).
        // Each is 6 pixels across: pixels 13 to 18 round pixel 16.
        {"points-only.obj",
         {{16, 16, dot},
          {14, 17, dot},
          {48, 16, dot},
          {48, 48, dot},
          {16, 48, black},
          {21, 16, black},
          {32, 32, black}}},
        {"vertices-only.obj", {{16, 16, dot}, {48, 16, dot}, {48, 48, dot}, {16, 48, dot}}},
        // A polyline 1-2-3 and a segment 3-4: no edge from 4 back to 1.
        {"lines-only.obj", {{32, 16, dot}, {48, 32, dot}, {32, 48, dot}, {16, 32, black}}},
        // Red, green and blue corners and a white one, without a material of their own.
        {"vertex-colours.obj", {{4, 4, {235, 10, 10}}, {60, 60, {10, 10, 235}}}, 30},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        ObjModel* model =
            LoadModel(std::string(QUILLMERE_TEST_DATA) + "/model/shapes/" + c.file, false, false);
        ASSERT_NE(model, nullptr);
        AddMaterial("plain", 0.6f, 0.3f, 0.1f, -1);
        for (ObjMesh* mesh : model->meshes) {
            for (ObjFace& face : mesh->faces)
                face.materialIndex = 0;
        }
        PrepareDrawing(model);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        DrawModel(model);
        for (const Probe& probe : c.probes) {
            SCOPED_TRACE("pixel " + std::to_string(probe.x) + ", " + std::to_string(probe.y));
            const std::vector<unsigned char> rgb = ReadBackBuffer(probe.x, probe.y, 1, 1);
            for (int k = 0; k < 3; ++k)
                EXPECT_NEAR(rgb[k], probe.rgb[k], c.tolerance) << "channel " << k;
        }
        UnloadModel(model);
        ClearMaterials();
    }
}

// Shown normals are lines from each corner along its normal, as long as SetNormalLength says
// (5 units until it is called). Unlit, the lines show white; the face of two corners covers
// nothing itself.
TEST(NormalLengthPixelTest, ShownNormalsHaveTheSetLength) {
    SetUpLitView(64, 0, 0, 1);
    glDisable(GL_LIGHTING);
    glColor3f(1, 1, 1);
    ObjModel model;
    ObjMesh* mesh = new ObjMesh;
    model.meshes.push_back(mesh);
    // A corner on the centre of pixel row 16, its normal pointing right.
    mesh->vertices = {{-0.5f, -0.484375f, 0}, {-0.5f, 0.5f, 0}};
    mesh->normals = {{1, 0, 0}, {0, 1, 0}};
    mesh->AddFace({0, 1}, {}, {0, 1}, -1);
    const struct {
        float length; // < 0: never set
        std::vector<Probe> probes;
    } cases[] = {
        {-1, {{20, 16, {255, 255, 255}}, {60, 16, {255, 255, 255}}}},
        {0.25f, {{20, 16, {255, 255, 255}}, {26, 16, {0, 0, 0}}, {60, 16, {0, 0, 0}}}},
        {5.0f, {{60, 16, {255, 255, 255}}}},
    };
    SetShowNormals(true);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        if (c.length >= 0)
            SetNormalLength(c.length);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        DrawModel(&model);
        for (const Probe& probe : c.probes) {
            const std::vector<unsigned char> rgb = ReadBackBuffer(probe.x, probe.y, 1, 1);
            for (int k = 0; k < 3; ++k)
                EXPECT_NEAR(rgb[k], probe.rgb[k], 3) << "pixel " << probe.x << " channel " << k;
        }
    }
    SetShowNormals(false);
    glEnable(GL_LIGHTING);
    delete mesh;
}

} // namespace
