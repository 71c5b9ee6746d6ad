#include <gtest/gtest.h>

#include <cmath>

#include "model/model.h"

namespace {

Vector3 V(float x, float y, float z) {
    Vector3 v;
    v.x = x;
    v.y = y;
    v.z = z;
    return v;
}

void ExpectVector(const Vector3& v, float x, float y, float z, float tolerance = 0.0f) {
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

void AddFace(ObjMesh& mesh, const std::vector<int>& corners, const std::vector<int>& normals = {}) {
    ASSERT_TRUE(mesh.AddFace(corners, {}, normals, -1));
}

TEST(VectorMaths, NormalizeScalesToUnitLengthAndLeavesZeroAlone) {
    Vector3 v = V(3.0f, 0.0f, 4.0f);
    Normalize(v);
    ExpectVector(v, 0.6f, 0.0f, 0.8f, 1e-7f);
    Vector3 zero;
    Normalize(zero);
    ExpectVector(zero, 0.0f, 0.0f, 0.0f);
    EXPECT_FALSE(std::isnan(zero.x));
}

TEST(VectorMaths, CrossFollowsTheRightHandRule) {
    ExpectVector(Cross(V(1, 0, 0), V(0, 1, 0)), 0, 0, 1);
    ExpectVector(Cross(V(0, 1, 0), V(1, 0, 0)), 0, 0, -1);
    ExpectVector(Cross(V(1, 2, 3), V(4, 5, 6)), -3, 6, -3);
}

TEST(VectorMaths, FaceNormalPointsTowardsCounterClockwiseViewer) {
    ExpectVector(FaceNormal(V(0, 0, 0), V(1, 0, 0), V(0, 1, 0)), 0, 0, 1);
    ExpectVector(FaceNormal(V(0, 1, 0), V(1, 0, 0), V(0, 0, 0)), 0, 0, -1);
    // Not unit-sized input still gives a unit normal.
    ExpectVector(FaceNormal(V(0, 0, 0), V(0, 0, 5), V(0, 7, 0)), -1, 0, 0);
    // Degenerate (collinear) corners leave the zero vector.
    ExpectVector(FaceNormal(V(0, 0, 0), V(1, 1, 1), V(2, 2, 2)), 0, 0, 0);
}

TEST(VectorMaths, RotationsTurnByDegreesWithTheShortPiAndMayWriteIntoTheirSource) {
    // The angle is degrees * 3.1415926 / 180 rounded to float, then float cosine and sine.
    const float angle = static_cast<float>(37.5f * 3.1415926 / 180.0);
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    const struct {
        const char* name;
        void (*rotate)(const Vector3&, Vector3&, float);
        Vector3 from;
        Vector3 quarterTurn;
        float turned[3]; // (2, 3, 4) turned by 37.5 degrees
        int axis;        // the coordinate that stays exactly as it was
    } axes[] = {
        {"z", RotateZ, V(1, 0, 0), V(0, -1, 0), {2 * c + 3 * s, -2 * s + 3 * c, 4}, 2},
        {"y", RotateY, V(1, 0, 0), V(0, 0, 1), {2 * c - 4 * s, 3, 2 * s + 4 * c}, 1},
        {"x", RotateX, V(0, 1, 0), V(0, 0, -1), {2, 3 * c + 4 * s, -3 * s + 4 * c}, 0},
    };
    for (const auto& axis : axes) {
        SCOPED_TRACE(axis.name);
        Vector3 out;
        axis.rotate(axis.from, out, 90.0f);
        ExpectVector(out, axis.quarterTurn.x, axis.quarterTurn.y, axis.quarterTurn.z, 1e-6f);
        Vector3 v = axis.from;
        axis.rotate(v, v, 90.0f);
        ExpectVector(v, axis.quarterTurn.x, axis.quarterTurn.y, axis.quarterTurn.z, 1e-6f);
        axis.rotate(V(2, 3, 4), out, 37.5f);
        const float turned[3] = {out.x, out.y, out.z};
        for (int i = 0; i < 3; ++i) {
            if (i == axis.axis)
                EXPECT_EQ(turned[i], axis.turned[i]);
            else
                EXPECT_FLOAT_EQ(turned[i], axis.turned[i]) << "coordinate " << i;
        }
    }
}

TEST(FaceNormals, OneNormalPerFaceFromTheFirstThreeCorners) {
    ObjMesh mesh;
    mesh.vertices = {V(0, 0, 0), V(1, 0, 0), V(0, 1, 0), V(0, 0, 1)};
    mesh.normals = {V(9, 9, 9), V(9, 9, 9), V(9, 9, 9)}; // replaced, not appended to
    AddFace(mesh, {0, 1, 2, 3});                         // only corners 0, 1, 2 count
    AddFace(mesh, {2, 1, 0}, {7, 7, 7});
    ComputeFaceNormals(&mesh);
    ASSERT_EQ(mesh.normals.size(), 2u);
    ExpectVector(mesh.normals[0], 0, 0, 1);
    ExpectVector(mesh.normals[1], 0, 0, -1);
    for (int j = 0; j < 3; ++j) {
        EXPECT_EQ(mesh.NormalIndex(mesh.faces[1], j), 7);
    }
}

TEST(FaceNormals, ShortFacesAndInvalidIndicesGetTheZeroNormal) {
    ObjMesh mesh;
    mesh.vertices = {V(0, 0, 0), V(1, 0, 0), V(0, 1, 0)};
    for (const std::vector<int>& corners :
         std::vector<std::vector<int>>{{}, {0, 1}, {0, 1, 3}, {-1, 1, 2}, {0, 1, 2}}) {
        AddFace(mesh, corners);
    }
    ComputeFaceNormals(&mesh);
    ASSERT_EQ(mesh.normals.size(), 5u);
    for (int i = 0; i < 4; ++i) {
        ExpectVector(mesh.normals[i], 0, 0, 0);
    }
    ExpectVector(mesh.normals[4], 0, 0, 1);

    ObjMesh empty;
    empty.normals = {V(1, 1, 1)};
    ComputeFaceNormals(&empty);
    EXPECT_TRUE(empty.normals.empty());
}

TEST(ModelOperations, ScaleTouchesVerticesOnlyAndComputeWalksEveryMesh) {
    auto* model = new ObjModel;
    for (int m = 0; m < 2; ++m) {
        auto* mesh = new ObjMesh;
        mesh->vertices = {V(0, 0, 0), V(1, 0, 0), V(0, 1, 0)};
        mesh->normals = {V(0, 0, 1)};
        mesh->texCoords = {TexCoord{0.5f, 0.25f, 0.0f}};
        AddFace(*mesh, {0, 1, 2});
        model->meshes.push_back(mesh);
    }
    model->meshes.push_back(nullptr);
    ScaleModel(model, -2.0f);
    ExpectVector(model->meshes[1]->vertices[1], -2, 0, 0);
    ExpectVector(model->meshes[1]->vertices[2], 0, -2, 0);
    ExpectVector(model->meshes[1]->normals[0], 0, 0, 1);
    EXPECT_EQ(model->meshes[1]->texCoords[0].u, 0.5f);

    model->meshes[0]->normals.clear();
    ComputeModelNormals(model);
    ASSERT_EQ(model->meshes[0]->normals.size(), 1u);
    ASSERT_EQ(model->meshes[1]->normals.size(), 1u);
    ExpectVector(model->meshes[0]->normals[0], 0, 0, 1);
    ExpectVector(model->meshes[1]->normals[0], 0, 0, 1);
    DeleteModel(model); // skips the null mesh entry (checked by the leak sanitizer)
}

class ModelListTest : public testing::Test {
protected:
    void TearDown() override { UnloadModel(nullptr); }

    static ObjModel* Listed() {
        auto* model = new ObjModel;
        model->meshes.push_back(new ObjMesh);
        modelList.push_back(model);
        return model;
    }
};

TEST_F(ModelListTest, UnloadRemovesTheFirstEntryOfTheModel) {
    ObjModel* a = Listed();
    ObjModel* b = Listed();
    ObjModel* c = Listed();
    UnloadModel(b);
    EXPECT_EQ(modelList, (std::vector<ObjModel*>{a, c}));
    UnloadModel(a);
    EXPECT_EQ(modelList, (std::vector<ObjModel*>{c}));
}

TEST_F(ModelListTest, UnloadOfAModelNotInTheListChangesNothing) {
    ObjModel* listed = Listed();
    ObjModel stranger; // on the stack: deleting it would crash
    UnloadModel(&stranger);
    EXPECT_EQ(modelList, (std::vector<ObjModel*>{listed}));
}

TEST_F(ModelListTest, UnloadOfNullDeletesEveryModel) {
    UnloadModel(nullptr); // empty list: nothing happens
    EXPECT_TRUE(modelList.empty());
    Listed();
    Listed();
    UnloadModel(nullptr);
    EXPECT_TRUE(modelList.empty());
}

TEST(Materials, NewMaterialStartsFromTheOpenGLDefaults) {
    ObjMaterial material;
    EXPECT_EQ(material.textureId, -1);
    EXPECT_EQ(material.shininess, 0.0f);
    const float ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    const float diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    const float black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(material.ambient[i], ambient[i]);
        EXPECT_EQ(material.diffuse[i], diffuse[i]);
        EXPECT_EQ(material.specular[i], black[i]);
        EXPECT_EQ(material.emission[i], black[i]);
    }
}

} // namespace
