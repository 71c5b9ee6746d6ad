// What PrepareDrawing works out for drawing: the normals corners are drawn with, the faces it
// leaves out, and the triangles of concave faces.
#include <cmath>
#include <fstream>
#include <sstream>

#include "reader_fixture.h"

namespace {

class PrepareDrawingTest : public ReaderTest {
protected:
    // Loads a file of tests/data/model/shapes/ (or text) and prepares it.
    ObjMesh& Prepared(const std::string& text) {
        model = LoadText(text);
        EXPECT_NE(model, nullptr);
        if (model == nullptr || model->meshes.empty()) {
            static ObjMesh none;
            return none;
        }
        PrepareDrawing(model);
        return *model->meshes[0];
    }

    static std::string Shape(const std::string& name) {
        std::ifstream in(DataPath("shapes/" + name));
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    ObjModel* model = nullptr;
};

std::size_t FirstCorner(const ObjMesh& mesh, std::size_t face) {
    std::size_t corner = 0;
    for (std::size_t i = 0; i < face; ++i) {
        corner += static_cast<std::size_t>(mesh.faces[i].VertexCount());
    }
    return corner;
}

// The normal a corner is drawn with: the computed one, else the file's; zero when none.
Vector3 DrawnNormal(const ObjMesh& mesh, std::size_t face, int corner) {
    const PreparedDrawing& prepared = *mesh.prepared;
    if (!prepared.cornerNormals.empty()) {
        const int computed = prepared.cornerNormals[FirstCorner(mesh, face) + corner];
        if (computed >= 0) {
            return prepared.normals[static_cast<std::size_t>(computed)];
        }
    }
    const int n = mesh.NormalIndex(mesh.faces[face], corner);
    return n >= 0 ? mesh.normals[static_cast<std::size_t>(n)] : Vector3();
}

FaceForm FormOf(const ObjMesh& mesh, std::size_t face) {
    return mesh.prepared->faceForms.empty() ? FaceForm::asRead : mesh.prepared->faceForms[face];
}

const char* const cubeVertices = "v -1 -1 -1\nv 1 -1 -1\nv 1 1 -1\nv -1 1 -1\n"
                                 "v -1 -1 1\nv 1 -1 1\nv 1 1 1\nv -1 1 1\n";

TEST_F(PrepareDrawingTest, CornersGetFlatSharedOrFileNormalsAsSmoothingGroupsSay) {
    const float third = 1.0f / std::sqrt(3.0f);
    const float half = 1.0f / std::sqrt(2.0f);
    struct Expected {
        std::size_t face;
        int corner;
        Vector3 normal;
    };
    const struct {
        const char* why;
        std::string text;
        std::vector<Expected> corners;
    } cases[] = {
        // Faces 0 (front, +z) and 3 (right, +x) meet at vertex 7 = (1, 1, 1), corner 2 of both.
        {"s off: every corner of a face has the face's own normal",
         Shape("cube-smoothing-off.obj"),
         {{0, 0, {0, 0, 1}}, {0, 2, {0, 0, 1}}, {3, 3, {1, 0, 0}}, {4, 1, {0, 1, 0}}}},
        {"one smoothing group: the faces at a vertex share its normal",
         Shape("cube-smoothing-group.obj"),
         {{0, 2, {third, third, third}},
          {3, 3, {third, third, third}},
          {5, 0, {-third, -third, -third}}}},
        {"without any s the model is smooth",
         std::string(cubeVertices) + "f 5 6 7 8\nf 6 2 3 7\nf 8 7 3 4\n",
         {{0, 2, {third, third, third}}, {1, 3, {third, third, third}}}},
        {"groups share normals within a group only; group 0 faces stay flat",
         std::string(cubeVertices) + "s 1\nf 5 6 7 8\nf 8 7 3 4\ns 2\nf 6 2 3 7\ns off\n"
                                     "f 1 2 6 5\ns 1\nf 1 5 8 4\n",
         {{0, 2, {0, half, half}},
          {1, 1, {0, half, half}},
          {2, 3, {1, 0, 0}},
          {3, 3, {0, -1, 0}},
          {0, 3, {-third, third, third}}}},
        {"normals the file gives are kept as written; the face without gets its own",
         "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 0 -1\nvn 0 0 2\n"
         "f 1//1 2//1 3//1\nf 2 1 4\n",
         {{0, 0, {0, 0, 2}}, {0, 1, {0, 0, 2}}, {1, 0, {0, -1, 0}}, {1, 1, {0, -1, 0}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        ClearTables();
        const ObjMesh& mesh = Prepared(c.text);
        ASSERT_TRUE(mesh.prepared);
        for (const Expected& e : c.corners) {
            SCOPED_TRACE("face " + std::to_string(e.face) + " corner " + std::to_string(e.corner));
            const Vector3 n = DrawnNormal(mesh, e.face, e.corner);
            EXPECT_NEAR(n.x, e.normal.x, 1e-5);
            EXPECT_NEAR(n.y, e.normal.y, 1e-5);
            EXPECT_NEAR(n.z, e.normal.z, 1e-5);
        }
    }
}

TEST_F(PrepareDrawingTest, SphereWithoutNormalsGetsNormalsAlongItsRadii) {
    const ObjMesh& mesh = Prepared(Shape("sphere-no-normals.obj"));
    ASSERT_TRUE(mesh.prepared);
    ASSERT_EQ(mesh.faces.size(), 48u);
    for (std::size_t i = 0; i < mesh.faces.size(); ++i) {
        EXPECT_EQ(FormOf(mesh, i), FaceForm::asRead);
        for (int j = 0; j < mesh.faces[i].VertexCount(); ++j) {
            const Vector3& p =
                mesh.vertices[static_cast<std::size_t>(mesh.VertexIndex(mesh.faces[i], j))];
            const Vector3 n = DrawnNormal(mesh, i, j);
            EXPECT_NEAR(n.x * n.x + n.y * n.y + n.z * n.z, 1.0f, 1e-5);
            // Unit radius: the position is the outward direction.
            EXPECT_GT(n.x * p.x + n.y * p.y + n.z * p.z, 0.98f) << "face " << i << " corner " << j;
        }
    }
}

// Twice the signed area of a face's triangles, along the face's normal (+z here).
double TriangleAreas(const ObjMesh& mesh, std::size_t face, std::size_t triangleFace) {
    const PreparedDrawing& prepared = *mesh.prepared;
    double sum = 0.0;
    for (std::uint32_t t = prepared.triangleStarts[triangleFace];
         t < prepared.triangleStarts[triangleFace + 1]; t += 3) {
        const Vector3* p[3];
        for (int k = 0; k < 3; ++k) {
            p[k] = &mesh.vertices[static_cast<std::size_t>(
                mesh.VertexIndex(mesh.faces[face], prepared.triangleCorners[t + k]))];
        }
        const double area =
            (p[1]->x - p[0]->x) * (p[2]->y - p[0]->y) - (p[1]->y - p[0]->y) * (p[2]->x - p[0]->x);
        EXPECT_GT(area, 0.0) << "a triangle turned round: culling would hide it";
        sum += area;
    }
    return sum;
}

TEST_F(PrepareDrawingTest, FacesWithoutAreaAreSkippedAndConcaveOnesBecomeTriangles) {
    const ObjMesh& mesh = Prepared(Shape("degenerate-polygons.obj"));
    ASSERT_TRUE(mesh.prepared);
    const FaceForm expected[] = {FaceForm::asRead,  FaceForm::skipped,  FaceForm::skipped,
                                 FaceForm::skipped, FaceForm::asRead,   FaceForm::asRead,
                                 FaceForm::skipped, FaceForm::triangles};
    ASSERT_EQ(mesh.faces.size(), std::size(expected));
    for (std::size_t i = 0; i < mesh.faces.size(); ++i) {
        EXPECT_EQ(FormOf(mesh, i), expected[i]) << "face " << i;
    }
    // The arrow: the unit square less the notch from (1, 0) over (0.5, 0.5) to (1, 1).
    ASSERT_EQ(mesh.prepared->triangleStarts.size(), 2u);
    EXPECT_NEAR(TriangleAreas(mesh, 7, 0), 2 * 0.75, 1e-6);

    // A ring written as one face: its triangles cover the ring and not the hole.
    ClearTables();
    const ObjMesh& ring = Prepared(Shape("concave-ring.obj"));
    ASSERT_EQ(FormOf(ring, 0), FaceForm::triangles);
    EXPECT_NEAR(TriangleAreas(ring, 0, 0), 2 * (1.8 * 1.8 - 0.9 * 0.9), 1e-5);
}

TEST_F(PrepareDrawingTest, ModelsWithoutAnythingToComputeGetEmptyLists) {
    // Normals for every corner and triangles only: nothing computed, nothing left out.
    const ObjMesh& mesh = Prepared("v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nf 1//1 2//1 3//1\n");
    ASSERT_TRUE(mesh.prepared);
    EXPECT_TRUE(mesh.prepared->cornerNormals.empty());
    EXPECT_TRUE(mesh.prepared->faceForms.empty());
    EXPECT_TRUE(mesh.prepared->triangleCorners.empty());
    PrepareDrawing(nullptr); // nothing to do
}

} // namespace
