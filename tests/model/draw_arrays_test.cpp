// Large meshes are drawn through vertex arrays: the picture must be the one the face-by-face
// drawing makes (here drawn through a display list, which always draws face by face).
#include "draw_fixtures.h"
#include "draw_test_window.h"
#include "model/model.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int side = 64;
constexpr int cells = 110; // 110 x 110 cells, about 22000 faces

// A grid over the window with bent normals, texture coordinates and bands of two materials;
// every seventh cell is one quadrilateral, the others two triangles.
ObjMesh* NewGridMesh() {
    ObjMesh* mesh = new ObjMesh;
    for (int r = 0; r <= cells; ++r) {
        for (int c = 0; c <= cells; ++c) {
            const float x = -1.0f + 2.0f * c / cells;
            const float y = -1.0f + 2.0f * r / cells;
            mesh->vertices.push_back({x, y, 0.0f});
            const float length = std::sqrt(0.25f * (x * x + y * y) + 1.0f);
            mesh->normals.push_back({0.5f * x / length, 0.5f * y / length, 1.0f / length});
            mesh->texCoords.push_back({(x + 1) / 2, (y + 1) / 2, 0.0f});
        }
    }
    for (int r = 0; r < cells; ++r) {
        const int material = (r / 10) % 3 == 2 ? -1 : (r / 10) % 3;
        for (int c = 0; c < cells; ++c) {
            const int a = r * (cells + 1) + c;
            const int b = a + cells + 1;
            if ((r + c) % 7 == 0) {
                mesh->AddFace({a, a + 1, b + 1, b}, {a, a + 1, b + 1, b}, {a, a + 1, b + 1, b},
                              material);
            } else {
                mesh->AddFace({a, a + 1, b + 1}, {a, a + 1, b + 1}, {a, a + 1, b + 1}, material);
                mesh->AddFace({a, b + 1, b}, {a, b + 1, b}, {a, b + 1, b}, material);
            }
        }
    }
    return mesh;
}

class DrawArraysTest : public testing::Test {
protected:
    void SetUp() override {
        SetUpLitView(side, 0.3f, 0.2f, 1);
        texture = UploadTestTexture();
        AddMaterial("textured", 0.2f, 0.5f, 0.9f, static_cast<int>(texture));
        AddMaterial("plain", 0.6f, 0.3f, 0.1f, -1);
        model.meshes.push_back(NewGridMesh());
    }

    void TearDown() override {
        DeleteDisplayLists(&model);
        for (ObjMesh* mesh : model.meshes)
            delete mesh;
        ClearMaterials();
        glDeleteTextures(1, &texture);
    }

    std::vector<unsigned char> Frame(int textureOverride) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glNormal3f(0, 0, 1);
        DrawMesh(model.meshes[0], true, true, textureOverride);
        return ReadBackBuffer(0, 0, side, side);
    }

    // The picture through the arrays (when the mesh allows them), then face by face.
    void ExpectSamePicture(const std::string& what, int textureOverride = -1) {
        ObjMesh& mesh = *model.meshes[0];
        mesh.displayList = -1;
        const std::vector<unsigned char> arrays = Frame(textureOverride);
        CreateDisplayLists(&model);
        const std::vector<unsigned char> faces = Frame(textureOverride);
        DeleteDisplayLists(&model);
        int differing = 0;
        int lit = 0;
        for (std::size_t i = 0; i < faces.size(); i += 3) {
            bool same = true;
            for (int c = 0; c < 3; ++c)
                same = same && std::abs(arrays[i + c] - faces[i + c]) <= 2;
            differing += same ? 0 : 1;
            lit += faces[i] + faces[i + 1] + faces[i + 2] > 30 ? 1 : 0;
        }
        EXPECT_EQ(differing, 0) << what;
        EXPECT_GT(lit, side * side / 8) << what; // the picture is not empty
    }

    GLuint texture = 0;
    ObjModel model;
};

TEST_F(DrawArraysTest, LargeMeshDrawsTheSamePictureAsFaceByFace) {
    ExpectSamePicture("textured and plain bands");
    EXPECT_TRUE(model.meshes[0]->arrays) << "the arrays were not used";
    ExpectSamePicture("texture override", static_cast<int>(texture));

    // Changed lists must not be drawn from stale arrays.
    ScaleModel(&model, 0.5f);
    EXPECT_FALSE(model.meshes[0]->arrays);
    ExpectSamePicture("after scaling");
}

TEST_F(DrawArraysTest, FacesTheArraysCannotExpressAreDrawnFaceByFace) {
    ObjMesh& mesh = *model.meshes[0];
    const std::vector<std::pair<std::string, std::function<void()>>> changes = {
        {"a face without normals among faces with normals",
         [&] {
             mesh.AddFace({0, 1, cells + 2}, {0, 1, cells + 2}, {}, 0);
         }},
        {"a corner outside the vertex list", [&] { mesh.indices[mesh.faces[5].firstIndex] = -7; }},
        {"a texture coordinate outside its list",
         [&] { mesh.indices[mesh.faces[9].firstIndex + 1] = 1 << 30; }},
    };
    for (const auto& change : changes) {
        change.second();
        mesh.arrays.reset();
        ExpectSamePicture(change.first);
    }
}

// The grid's faces without their normals, with vertex colours, and two faces more at the end: a
// concave arrow in a corner and three collinear corners of the bottom row.
void PrepareGridWithoutNormals(ObjMesh& mesh) {
    const ObjMesh read = mesh;
    mesh.faces.clear();
    mesh.indices.clear();
    for (const ObjFace& face : read.faces) {
        std::vector<int> vertices;
        std::vector<int> texCoords;
        for (int j = 0; j < face.VertexCount(); ++j) {
            vertices.push_back(read.VertexIndex(face, j));
            texCoords.push_back(read.TexCoordIndex(face, j));
        }
        mesh.AddFace(vertices, texCoords, {}, face.materialIndex);
    }
    for (const Vector3& v : mesh.vertices)
        mesh.colors.push_back({(v.x + 1) / 2, (v.y + 1) / 2, 0.5f});
    const int first = static_cast<int>(mesh.vertices.size());
    for (const Vector3& v : std::vector<Vector3>{{0.5f, 0.5f, 0.1f},
                                                 {0.9f, 0.5f, 0.1f},
                                                 {0.7f, 0.7f, 0.1f},
                                                 {0.9f, 0.9f, 0.1f},
                                                 {0.5f, 0.9f, 0.1f}}) {
        mesh.vertices.push_back(v);
        mesh.colors.push_back({1, 1, 1});
    }
    mesh.AddFace({first, first + 1, first + 2, first + 3, first + 4}, {0, 0, 0, 0, 0}, {}, 1);
    mesh.AddFace({0, 1, 2}, {0, 1, 2}, {}, 1);
}

TEST_F(DrawArraysTest, PreparedMeshDrawsTheSamePictureAsFaceByFace) {
    ObjMesh& mesh = *model.meshes[0];
    PrepareGridWithoutNormals(mesh);
    const struct {
        const char* what;
        std::function<void()> change;
    } cases[] = {
        {"one smoothing group: normals by vertex", [] {}},
        {"bands of smoothing groups, some flat",
         [&] {
             mesh.smoothingGroups.clear();
             for (std::size_t i = 0; i < mesh.faces.size(); ++i)
                 mesh.smoothingGroups.push_back(static_cast<std::uint32_t>(i / 500 % 3));
         }},
    };
    for (const auto& c : cases) {
        c.change();
        PrepareDrawing(&model);
        ASSERT_TRUE(mesh.prepared);
        ASSERT_EQ(mesh.prepared->faceForms.size(), mesh.faces.size()) << c.what;
        EXPECT_EQ(mesh.prepared->faceForms[mesh.faces.size() - 2], FaceForm::triangles);
        EXPECT_EQ(mesh.prepared->faceForms.back(), FaceForm::skipped);
        ExpectSamePicture(c.what);
        EXPECT_TRUE(mesh.arrays) << c.what << ": the arrays were not used";
        ExpectSamePicture(std::string(c.what) + ", texture override", static_cast<int>(texture));
    }
}

} // namespace
