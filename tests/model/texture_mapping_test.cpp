// Generated texture coordinates: which plane a box-mapped face takes, the angles and heights of
// the cylinder and sphere mappings about a chosen up axis, and the painted copy of a model.
#include <gtest/gtest.h>

#include <algorithm>

#include "model/texture_mapping.h"

namespace {

Vector3 V(float x, float y, float z) {
    Vector3 v;
    v.x = x;
    v.y = y;
    v.z = z;
    return v;
}

MappingBox Box(float lx, float ly, float lz, float hx, float hy, float hz) {
    MappingBox box;
    const float low[3] = {lx, ly, lz};
    const float high[3] = {hx, hy, hz};
    std::copy(low, low + 3, box.low);
    std::copy(high, high + 3, box.high);
    return box;
}

struct MapCase {
    const char* name;
    TextureMapping mapping;
    MappingAxis up;
    Vector3 point;
    Vector3 normal;
    float u;
    float v;
};

const MappingAxis yUp{1, false};
const MappingAxis zUp{2, false};
const MappingAxis yDown{1, true};

TEST(TextureMappingTest, PointsMapByTheirFaceTheAngleAndTheHeight) {
    // The point sits at 0.1, 0.3 and 0.6 of an uneven box: each axis is scaled on its own.
    const MappingBox uneven = Box(0, 0, 0, 10, 20, 40);
    const Vector3 p = V(1, 6, 24);
    const MappingBox centred = Box(-1, -1, -1, 1, 1, 1);
    const MapCase cases[] = {
        // Box: sides take (across, up), top and bottom the two horizontal axes.
        {"box +x side", TextureMapping::Box, yUp, p, V(0.9f, 0.1f, -0.3f), 0.6f, 0.3f},
        {"box -z side", TextureMapping::Box, yUp, p, V(0.1f, 0.2f, -1), 0.1f, 0.3f},
        {"box top", TextureMapping::Box, yUp, p, V(0.3f, 1, 0.3f), 0.1f, 0.6f},
        {"box +Z up, top", TextureMapping::Box, zUp, p, V(0, 0, 1), 0.3f, 0.1f},
        {"box +Z up, +x side", TextureMapping::Box, zUp, p, V(1, 0, 0), 0.3f, 0.6f},
        {"box +Z up, -y side", TextureMapping::Box, zUp, p, V(0, -1, 0), 0.1f, 0.6f},
        // Upside down the height runs the other way (and one horizontal axis with it).
        {"box -Y up, -z side", TextureMapping::Box, yDown, p, V(0, 0, -1), 0.1f, 0.7f},
        {"box -Y up, +x side", TextureMapping::Box, yDown, p, V(1, 0, 0), 0.4f, 0.7f},
        // Cylinder: u from -180 degrees (-x) through +x (0.5) to +z (0.75); v up the box.
        {"cylinder +x bottom", TextureMapping::Cylinder, yUp, V(1, -1, 0), Vector3(), 0.5f, 0.0f},
        {"cylinder +z top", TextureMapping::Cylinder, yUp, V(0, 1, 1), Vector3(), 0.75f, 1.0f},
        {"cylinder -z middle", TextureMapping::Cylinder, yUp, V(0, 0, -1), Vector3(), 0.25f, 0.5f},
        {"cylinder +Z up", TextureMapping::Cylinder, zUp, V(0, 1, 0.5f), Vector3(), 0.5f, 0.75f},
        {"cylinder +Z up, +x", TextureMapping::Cylinder, zUp, V(1, 0, -1), Vector3(), 0.75f, 0.0f},
        // Sphere: latitude from the south pole (0) to the north pole (1).
        {"sphere north", TextureMapping::Sphere, yUp, V(0, 1, 0), Vector3(), 0.5f, 1.0f},
        {"sphere south", TextureMapping::Sphere, yUp, V(0, -1, 0), Vector3(), 0.5f, 0.0f},
        {"sphere equator +x", TextureMapping::Sphere, yUp, V(1, 0, 0), Vector3(), 0.5f, 0.5f},
        {"sphere 45 north +z", TextureMapping::Sphere, yUp, V(0, 1, 1), Vector3(), 0.75f, 0.75f},
        {"sphere -Y up", TextureMapping::Sphere, yDown, V(0, 1, 1), Vector3(), 0.25f, 0.25f},
    };
    for (const MapCase& c : cases) {
        SCOPED_TRACE(c.name);
        const MappingBox& box = c.mapping == TextureMapping::Box ? uneven : centred;
        const TexCoord coord = MapPoint(c.mapping, box, c.up, c.point, c.normal);
        EXPECT_NEAR(coord.u, c.u, 1e-5f);
        EXPECT_NEAR(coord.v, c.v, 1e-5f);
    }
}

// A cube from -1 to 1 without texture coordinates, one quad per side, outward winding.
ObjModel* Cube() {
    ObjMesh* mesh = new ObjMesh();
    const float corners[8][3] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                                 {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};
    for (const auto& c : corners)
        mesh->vertices.push_back(V(c[0], c[1], c[2]));
    const std::vector<std::vector<int>> sides = {{4, 5, 6, 7}, {1, 0, 3, 2}, {5, 1, 2, 6},
                                                 {0, 4, 7, 3}, {7, 6, 2, 3}, {0, 1, 5, 4}};
    for (std::size_t i = 0; i < sides.size(); ++i)
        EXPECT_TRUE(mesh->AddFace(sides[i], {}, {}, static_cast<int>(i)));
    ObjModel* model = new ObjModel();
    model->meshes.push_back(mesh);
    return model;
}

TEST(TextureMappingTest, BoxPaintedCubeSidesTakeTheirOwnPlanes) {
    ModelPointer cube(Cube());
    ASSERT_TRUE(HasUnmappedFaces(*cube));
    const ModelPointer painted =
        PaintedCopy(*cube, TextureMapping::Box, Box(-1, -1, -1, 1, 1, 1), yUp, true);
    ASSERT_FALSE(HasUnmappedFaces(*painted));
    const ObjMesh& mesh = *painted->meshes[0];
    ASSERT_EQ(mesh.faces.size(), 6u);
    EXPECT_EQ(mesh.vertices.size(), 8u);
    // Per side, the two axes that u and v follow (x 0, y 1, z 2).
    const int planes[6][2] = {{0, 1}, {0, 1}, {2, 1}, {2, 1}, {0, 2}, {0, 2}};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        const ObjFace& face = mesh.faces[i];
        EXPECT_EQ(face.materialIndex, i);
        for (int j = 0; j < face.VertexCount(); ++j) {
            const Vector3& p = mesh.vertices[mesh.VertexIndex(face, j)];
            const float xyz[3] = {p.x, p.y, p.z};
            const TexCoord& t = mesh.texCoords.at(mesh.TexCoordIndex(face, j));
            EXPECT_FLOAT_EQ(t.u, (xyz[planes[i][0]] + 1) / 2);
            EXPECT_FLOAT_EQ(t.v, (xyz[planes[i][1]] + 1) / 2);
        }
    }
}

TEST(TextureMappingTest, PaintedCopyKeepsOwnCoordinatesOnRequestAndWrapsAcrossTheSeam) {
    ObjMesh* mesh = new ObjMesh();
    mesh->name = "part";
    for (const Vector3& p : {V(-1, -1, -0.1f), V(-1, -1, 0.1f), V(-1, 1, 0.1f), V(-1, 1, -0.1f),
                             V(1, -1, 0), V(1, 1, 0)})
        mesh->vertices.push_back(p);
    mesh->normals.push_back(V(-1, 0, 0));
    mesh->texCoords.push_back({0.25f, 0.5f, 0.0f});
    mesh->texCoords.push_back({0.75f, 0.5f, 0.0f});
    // A quad across the -x line (the -180/+180 degree seam) with normals, then a triangle with
    // texture coordinates of its own.
    ASSERT_TRUE(mesh->AddFace({0, 1, 2, 3}, {}, {0, 0, 0, 0}, 3));
    ASSERT_TRUE(mesh->AddFace({4, 5, 2}, {0, 1, 0}, {}, 4));
    mesh->smoothingGroups = {1, 2};
    mesh->colors.push_back(V(0.5f, 0.5f, 0.5f));
    ObjModel model;
    model.meshes.push_back(mesh);

    for (bool keepOwn : {true, false}) {
        SCOPED_TRACE(keepOwn ? "keep own" : "replace own");
        const ModelPointer painted =
            PaintedCopy(model, TextureMapping::Cylinder, Box(-1, -1, -1, 1, 1, 1), yUp, keepOwn);
        const ObjMesh& copy = *painted->meshes[0];
        EXPECT_EQ(copy.name, "part");
        EXPECT_EQ(copy.smoothingGroups, mesh->smoothingGroups);
        EXPECT_EQ(copy.colors.size(), 1u);
        ASSERT_EQ(copy.faces.size(), 2u);
        const ObjFace& quad = copy.faces[0];
        ASSERT_TRUE(quad.HasTexCoords());
        ASSERT_TRUE(quad.HasNormals());
        EXPECT_EQ(quad.materialIndex, 3);
        float lowest = 10.0f;
        float highest = -10.0f;
        for (int j = 0; j < 4; ++j) {
            EXPECT_EQ(copy.VertexIndex(quad, j), j);
            EXPECT_EQ(copy.NormalIndex(quad, j), 0);
            const float u = copy.texCoords.at(copy.TexCoordIndex(quad, j)).u;
            lowest = std::min(lowest, u);
            highest = std::max(highest, u);
        }
        // About 0.03 of a turn wide, on the far side of 1 rather than across the whole texture.
        EXPECT_LT(highest - lowest, 0.1f);
        EXPECT_GT(lowest, 0.9f);

        const ObjFace& triangle = copy.faces[1];
        EXPECT_FALSE(triangle.HasNormals());
        EXPECT_EQ(triangle.materialIndex, 4);
        EXPECT_EQ(copy.TexCoordIndex(triangle, 1) == 1, keepOwn);
        EXPECT_EQ(copy.texCoords.size(), keepOwn ? 6u : 9u);
    }
    // The original is left as it was.
    EXPECT_FALSE(mesh->faces[0].HasTexCoords());
    EXPECT_EQ(mesh->texCoords.size(), 2u);
    delete mesh;
}

} // namespace
