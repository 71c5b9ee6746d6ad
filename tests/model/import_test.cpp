// Models of other formats read through assimp into the model records, without a window: the
// small files of tests/data/model/formats (written by make_format_files.py there), whose
// numbers are known, and files that must be refused or trimmed.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "model/import.h"

namespace {

const std::string formats = std::string(QUILLMERE_TEST_DATA) + "/model/formats/";

std::size_t TotalVertices(const ImportedModel& model) {
    std::size_t count = 0;
    for (const auto& mesh : model.meshes)
        count += mesh->vertices.size();
    return count;
}

std::size_t TotalFaces(const ImportedModel& model) {
    std::size_t count = 0;
    for (const auto& mesh : model.meshes)
        count += mesh->faces.size();
    return count;
}

// The corner positions of a face, in the order the face lists them.
Vector3 Corner(const ObjMesh& mesh, const ObjFace& face, int corner) {
    return mesh.vertices[static_cast<std::size_t>(mesh.VertexIndex(face, corner))];
}

Vector3 Normal(const ObjMesh& mesh, const ObjFace& face, int corner) {
    return mesh.normals[static_cast<std::size_t>(mesh.NormalIndex(face, corner))];
}

void ExpectNear(const Vector3& actual, float x, float y, float z, const std::string& what) {
    EXPECT_NEAR(actual.x, x, 1e-5f) << what;
    EXPECT_NEAR(actual.y, y, 1e-5f) << what;
    EXPECT_NEAR(actual.z, z, 1e-5f) << what;
}

ImportedModel Import(const std::string& path) {
    ImportedModel model;
    std::string error;
    EXPECT_TRUE(ImportWithAssimp(path, model, error)) << path << ": " << error;
    return model;
}

class ScratchFolder : public testing::Test {
protected:
    void SetUp() override {
        folder = testing::TempDir() + "quillmere_import/";
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::string Write(const std::string& name, const std::string& bytes) {
        std::ofstream(folder + name, std::ios::binary) << bytes;
        return folder + name;
    }
    std::string Copy(const std::string& from, const std::string& name) {
        std::filesystem::copy_file(from, folder + name,
                                   std::filesystem::copy_options::overwrite_existing);
        return folder + name;
    }
    std::string folder;
};

TEST(ImportTest, EachFormatGivesItsMeshesFacesAndCorners) {
    struct Case {
        const char* file;
        const char* format;
        std::size_t meshes;
        std::size_t vertices;
        std::size_t faces;
        int firstFaceCorners; // polygons stay polygons: nothing is cut into triangles
        bool faceNormals;     // the first face refers to normals
        bool colors;
    };
    const Case cases[] = {
        {"cube-colors-ascii.ply", "PLY", 1, 8, 6, 4, false, true},
        {"cube-colors-binary.ply", "PLY", 1, 8, 6, 4, false, true},
        {"tetra-normals-ascii.stl", "STL", 1, 12, 4, 3, true, false},
        // zero normals are no normals: the viewer computes its own for such faces
        {"tetra-zero-normals.stl", "STL", 1, 12, 4, 3, false, false},
        {"quad-and-triangle.off", "OFF", 1, 5, 2, 4, false, false},
        {"textured-quad.gltf", "glTF", 1, 4, 2, 3, true, false},
        {"embedded-png.glb", "GLB", 3, 10, 2, 3, true, false},
        {"two-instances.dae", "COLLADA", 2, 6, 2, 3, false, false},
        {"square-material.3ds", "3DS", 1, 6, 2, 3, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const ImportedModel model = Import(formats + c.file);
        EXPECT_EQ(model.format, c.format);
        ASSERT_EQ(model.meshes.size(), c.meshes);
        EXPECT_EQ(TotalVertices(model), c.vertices);
        EXPECT_EQ(TotalFaces(model), c.faces);
        const ObjMesh& mesh = *model.meshes[0];
        ASSERT_FALSE(mesh.faces.empty());
        EXPECT_EQ(mesh.faces[0].VertexCount(), c.firstFaceCorners);
        EXPECT_EQ(mesh.faces[0].HasNormals(), c.faceNormals);
        EXPECT_EQ(mesh.colors.size(), c.colors ? mesh.vertices.size() : 0u);
        for (const auto& each : model.meshes) {
            for (const ObjFace& face : each->faces) {
                ASSERT_GE(face.materialIndex, 0);
                ASSERT_LT(static_cast<std::size_t>(face.materialIndex), model.materials.size());
            }
        }
    }
}

TEST(ImportTest, CornersColoursAndNormalsArriveAsWritten) {
    const ImportedModel ply = Import(formats + "cube-colors-binary.ply");
    const ObjMesh& cube = *ply.meshes[0];
    const int expected[] = {0, 2, 3, 1};
    for (int corner = 0; corner < 4; ++corner)
        EXPECT_EQ(cube.VertexIndex(cube.faces[0], corner), expected[corner]);
    ExpectNear(cube.vertices[5], 1, 0, 1, "vertex 5");
    ExpectNear(cube.colors[5], 1, 0, 1, "colour of vertex 5"); // 255 is 1

    const ImportedModel stl = Import(formats + "tetra-normals-ascii.stl");
    const ObjMesh& tetra = *stl.meshes[0];
    // the first facet is (0,0,0) (0,1,0) (1,0,0), facing down
    ExpectNear(Normal(tetra, tetra.faces[0], 0), 0, 0, -1, "first facet");
    const float third = 1.0f / std::sqrt(3.0f);
    ExpectNear(Normal(tetra, tetra.faces[3], 2), third, third, third, "slanted facet");
}

TEST(ImportTest, NodeTransformsMoveVerticesAndTurnNormals) {
    // a node moved by (10, 0, 0) and scaled by 2
    const ImportedModel gltf = Import(formats + "textured-quad.gltf");
    const ObjMesh& quad = *gltf.meshes[0];
    ExpectNear(quad.vertices[0], 10, 0, 0, "first corner");
    ExpectNear(quad.vertices[2], 12, 2, 0, "opposite corner");
    // the scale must not lengthen the normal
    ExpectNear(Normal(quad, quad.faces[0], 0), 0, 0, 1, "normal");
    EXPECT_FLOAT_EQ(quad.texCoords[1].u, 1.0f);

    // one triangle twice: moved by (5, 0, 0), and mirrored in x
    const ImportedModel dae = Import(formats + "two-instances.dae");
    const ObjMesh& moved = *dae.meshes[0];
    const ObjMesh& mirrored = *dae.meshes[1];
    ExpectNear(Corner(moved, moved.faces[0], 1), 6, 0, 0, "moved corner");
    // the mirror turns the corners round; their order is turned back so the face still
    // faces +z, the way it was modelled
    for (const ObjMesh* mesh : {&moved, &mirrored}) {
        const ObjFace& face = mesh->faces[0];
        const Vector3 n =
            FaceNormal(Corner(*mesh, face, 0), Corner(*mesh, face, 1), Corner(*mesh, face, 2));
        EXPECT_GT(n.z, 0.99f) << mesh->name;
    }
    ExpectNear(mirrored.vertices[1], -1, 0, 0, "mirrored corner");
}

TEST(ImportTest, MaterialsGiveColoursAndTextureEntries) {
    struct Case {
        const char* file;
        std::size_t material;
        const char* name;
        float diffuse[4]; // glTF's metallic-roughness base colour is the diffuse colour
        float ambient0;
        float specular0;
        float shininess;
        int texture;
    };
    const Case cases[] = {
        {"textured-quad.gltf", 0, "checker", {0.5f, 0.25f, 1, 1}, 0.2f, 0, 0, 0},
        {"embedded-png.glb", 0, "yellow", {1, 1, 1, 1}, 0.2f, 0, 0, 0},
        {"embedded-png.glb", 1, "wire", {0, 0, 1, 0.5f}, 0.2f, 0, 0, -1}, // alpha is opacity
        {"two-instances.dae", 0, "red", {0.8f, 0.1f, 0.1f, 1}, 0.1f, 0.5f, 20, -1},
        {"square-material.3ds", 0, "green", {0, 1, 0, 1}, 0, 0, 0, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " " + c.name);
        const ImportedModel model = Import(formats + c.file);
        ASSERT_GT(model.materials.size(), c.material);
        const ImportedMaterial& material = model.materials[c.material];
        EXPECT_EQ(material.values.name, c.name);
        for (int i = 0; i < 4; ++i)
            EXPECT_FLOAT_EQ(material.values.diffuse[i], c.diffuse[i]) << i;
        EXPECT_FLOAT_EQ(material.opacity, c.diffuse[3]);
        EXPECT_FLOAT_EQ(material.values.ambient[0], c.ambient0);
        EXPECT_FLOAT_EQ(material.values.specular[0], c.specular0);
        EXPECT_FLOAT_EQ(material.values.shininess, c.shininess);
        EXPECT_EQ(material.texture, c.texture);
    }

    const ImportedModel gltf = Import(formats + "textured-quad.gltf");
    ASSERT_EQ(gltf.textures.size(), 1u);
    EXPECT_FALSE(gltf.textures[0].embedded);
    EXPECT_EQ(gltf.textures[0].path, formats + "checker.png"); // beside the model
    const ImportedModel glb = Import(formats + "embedded-png.glb");
    ASSERT_EQ(glb.textures.size(), 1u);
    EXPECT_TRUE(glb.textures[0].embedded);
    EXPECT_EQ(glb.textures[0].width, 0); // compressed: the PNG file's bytes as stored
    const std::vector<unsigned char>& bytes = glb.textures[0].bytes;
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + std::min<std::size_t>(4, bytes.size())),
              "\x89PNG");
}

TEST(ImportTest, PointsAndLineStripsBecomeElements) {
    const ImportedModel glb = Import(formats + "embedded-png.glb");
    const ObjMesh& points = *glb.meshes[1];
    const ObjMesh& strip = *glb.meshes[2];
    ASSERT_EQ(points.points.size(), 1u); // the three points run together
    EXPECT_EQ(points.points[0].count, 3u);
    EXPECT_EQ(points.points[0].materialIndex, 1);
    EXPECT_TRUE(points.faces.empty());
    // two segments that meet are one polyline through the three vertices
    ASSERT_EQ(strip.lines.size(), 1u);
    ASSERT_EQ(strip.lines[0].count, 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(strip.elementIndices[strip.lines[0].firstIndex + i], i);
    EXPECT_EQ(ImportSummary(glb), "GLB model: 3 meshes, 10 vertices, 2 faces, 3 points, 1 line, "
                                  "3 materials, 1 texture");
}

TEST_F(ScratchFolder, ContentChoosesTheReaderBeforeTheName) {
    struct Case {
        std::string path;
        const char* format; // "" for the OBJ reader
    };
    const Case cases[] = {
        {Copy(formats + "cube-colors-binary.ply", "cube.obj"), "PLY"},
        {Copy(formats + "cube-colors-ascii.ply", "cube.stl"), "PLY"},
        {Copy(formats + "tetra-zero-normals.stl", "tetra"), "STL"},
        {Copy(formats + "two-instances.dae", "scene.xml"), "COLLADA"},
        {Write("scene.ply", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"), ""},
        // content that says nothing: the name decides
        {Write("no-signature.3ds", std::string("\x4d\x4d\x06\x00\x00\x00", 6)), "3DS"},
        {Write("notes.txt", "nothing to see\n"), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(ImportedFormat(c.path), c.format);
    }
    // a PLY named .stl is read as the PLY it is, not refused by the STL reader
    const ImportedModel model = Import(folder + "cube.stl");
    EXPECT_EQ(model.format, "PLY");
    EXPECT_EQ(TotalFaces(model), 6u);
}

TEST_F(ScratchFolder, UnreadableFilesAreRefusedWithAssimpsReason) {
    const std::string cases[] = {
        Write("cut.stl", "solid x\nfacet normal 0 0 1\nouter loop\nvertex 0 0\n"),
        Write(
            "missing-buffer.gltf",
            R"({"asset":{"version":"2.0"},"buffers":[{"uri":"nothere.bin","byteLength":12}],)"
            R"("bufferViews":[{"buffer":0,"byteLength":12}],"accessors":[{"bufferView":0,)"
            R"("componentType":5126,"count":1,"type":"VEC3"}],"meshes":[{"primitives":)"
            R"([{"attributes":{"POSITION":0}}]}],"nodes":[{"mesh":0}],"scenes":[{"nodes":[0]}]})"),
        Write("garbage.ply", "ply\nformat nonsense 9\n"),
        // OBJ text is never handed to assimp, whatever its name
        Write("scene.ply", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"),
        Write("unknown.xyz1", std::string("\0\1\2\3", 4)),
        folder + "does-not-exist.ply",
    };
    for (const std::string& path : cases) {
        SCOPED_TRACE(path);
        ImportedModel model;
        model.format = "stale";
        std::string error;
        EXPECT_FALSE(ImportWithAssimp(path, model, error));
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(model.meshes.empty());
        EXPECT_TRUE(model.format.empty());
    }
}

TEST_F(ScratchFolder, FacesOutsideTheVerticesAreLeftOutAndPointCloudsKept) {
    const std::string header = "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\n"
                               "property float y\nproperty float z\n";
    const ImportedModel trimmed =
        Import(Write("bad-index.ply", header + "element face 2\nproperty list uchar int "
                                               "vertex_indices\nend_header\n0 0 0\n1 0 0\n0 1 0\n"
                                               "3 0 1 2\n3 0 1 99\n"));
    ASSERT_EQ(trimmed.meshes.size(), 1u);
    EXPECT_EQ(trimmed.meshes[0]->faces.size(), 1u);
    ASSERT_EQ(trimmed.warnings.size(), 1u);
    EXPECT_NE(trimmed.warnings[0].find("1 face "), std::string::npos) << trimmed.warnings[0];

    const ImportedModel cloud =
        Import(Write("cloud.ply", header + "end_header\n0 0 0\n1 0 0\n0 1 0\n"));
    ASSERT_EQ(cloud.meshes.size(), 1u);
    ASSERT_EQ(cloud.meshes[0]->points.size(), 1u);
    EXPECT_EQ(cloud.meshes[0]->points[0].count, 3u);
    EXPECT_EQ(ImportSummary(cloud), "PLY model: 1 mesh, 3 vertices, 0 faces, 3 points, "
                                    "1 material, 0 textures");
}

TEST_F(ScratchFolder, TexturePathsResolveBesideTheModel) {
    // Windows separators, and an absolute path from the exporter's machine
    std::filesystem::create_directories(folder + "maps");
    Write("maps/skin.png", "png");
    Write("wood.png", "png");
    Write("old oak.png", "png");
    const std::string dae = Copy(formats + "two-instances.dae", "textured.dae");
    std::ifstream in(dae);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string effect = "<diffuse><color>0.8 0.1 0.1 1</color></diffuse>";
    struct Case {
        const char* written;
        std::string resolved;
    };
    const Case cases[] = {
        {"maps\\skin.png", folder + "maps/skin.png"},
        {"C:\\Users\\artist\\wood.png", folder + "wood.png"},
        {"missing.png", folder + "missing.png"}, // kept, so that loading can name it
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.written);
        std::string changed = text;
        changed.replace(changed.find(effect), effect.size(),
                        "<diffuse><texture texture=\"img\" texcoord=\"uv\"/></diffuse>");
        changed.replace(changed.find("<library_effects>"), 17,
                        std::string("<library_images><image id=\"img\"><init_from>") + c.written +
                            "</init_from></image></library_images><library_effects>");
        Write("textured.dae", changed);
        const ImportedModel model = Import(dae);
        ASSERT_EQ(model.textures.size(), 1u);
        EXPECT_EQ(model.textures[0].path, c.resolved);
        EXPECT_EQ(model.materials[0].texture, 0);
    }

    // glTF names pictures by URI, with blanks written %20
    std::ifstream gltfIn(formats + "textured-quad.gltf");
    std::string gltf((std::istreambuf_iterator<char>(gltfIn)), std::istreambuf_iterator<char>());
    gltf.replace(gltf.find("checker.png"), 11, "old%20oak.png");
    Write("quad.gltf", gltf);
    Copy(formats + "textured-quad.bin", "textured-quad.bin");
    EXPECT_EQ(Import(folder + "quad.gltf").textures.at(0).path, folder + "old oak.png");
}

// One triangle with normals of length 2 under a node matrix (COLLADA, row by row).
std::string TriangleUnderNode(const std::string& matrix) {
    return R"(<?xml version="1.0" encoding="utf-8"?>
<COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">
  <asset><up_axis>Y_UP</up_axis></asset>
  <library_geometries><geometry id="tri" name="tri"><mesh>
    <source id="p"><float_array id="pa" count="9">0 0 0 1 0 0 0 1 0</float_array>
      <technique_common><accessor source="#pa" count="3" stride="3"><param name="X" type="float"/>
      <param name="Y" type="float"/><param name="Z" type="float"/></accessor></technique_common></source>
    <source id="n"><float_array id="na" count="9">0 0 2 0 0 2 0 0 2</float_array>
      <technique_common><accessor source="#na" count="3" stride="3"><param name="X" type="float"/>
      <param name="Y" type="float"/><param name="Z" type="float"/></accessor></technique_common></source>
    <vertices id="v"><input semantic="POSITION" source="#p"/></vertices>
    <triangles count="1"><input semantic="VERTEX" source="#v" offset="0"/>
      <input semantic="NORMAL" source="#n" offset="0"/><p>0 1 2</p></triangles>
  </mesh></geometry></library_geometries>
  <library_visual_scenes><visual_scene id="s"><node id="only" name="only">
    <matrix>)" +
           matrix +
           R"(</matrix><instance_geometry url="#tri"/></node></visual_scene></library_visual_scenes>
  <scene><instance_visual_scene url="#s"/></scene>
</COLLADA>
)";
}

TEST_F(ScratchFolder, EveryNodeMatrixMovesCornersAndKeepsNormalsUnitLength) {
    // the identity is copied, every other matrix multiplied: both must give what the matrix says
    struct Case {
        const char* what;
        const char* matrix;
        Vector3 second; // where corner (1, 0, 0) lands
        bool mirrored;  // the corner order is turned back
    };
    const Case cases[] = {
        {"identity", "1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1", {1, 0, 0}, false},
        {"moved", "1 0 0 3 0 1 0 -2 0 0 1 0 0 0 0 1", {4, -2, 0}, false},
        {"scaled", "2 0 0 0 0 2 0 0 0 0 2 0 0 0 0 1", {2, 0, 0}, false},
        {"mirrored", "-1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1", {-1, 0, 0}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ImportedModel model =
            Import(Write(std::string(c.what) + ".dae", TriangleUnderNode(c.matrix)));
        ASSERT_EQ(model.meshes.size(), 1u);
        const ObjMesh& mesh = *model.meshes[0];
        ASSERT_EQ(mesh.vertices.size(), 3u);
        ExpectNear(mesh.vertices[1], c.second.x, c.second.y, c.second.z, "corner (1, 0, 0)");
        ASSERT_EQ(mesh.faces.size(), 1u);
        const ObjFace& face = mesh.faces[0];
        ASSERT_TRUE(face.HasNormals());
        EXPECT_EQ(mesh.VertexIndex(face, 0), c.mirrored ? 2 : 0);
        EXPECT_EQ(mesh.VertexIndex(face, 2), c.mirrored ? 0 : 2);
        for (int corner = 0; corner < 3; ++corner)
            ExpectNear(Normal(mesh, face, corner), 0, 0, 1, "normal, made unit length");
    }
}

TEST_F(ScratchFolder, FacesOfMixedShapesAndNormalsKeepTheirOwnCorners) {
    // a quad, triangles, a face past the vertices and a vertex whose normal is zero: faces
    // touching that vertex have no normals, the others keep theirs
    const std::string header = "ply\nformat ascii 1.0\nelement vertex 5\nproperty float x\n"
                               "property float y\nproperty float z\nproperty float nx\n"
                               "property float ny\nproperty float nz\nelement face 4\n"
                               "property list uchar int vertex_indices\nend_header\n";
    const ImportedModel model =
        Import(Write("mixed.ply", header + "0 0 0 0 0 1\n1 0 0 0 0 1\n1 1 0 0 0 3\n0 1 0 0 0 1\n"
                                           "2 2 0 0 0 0\n4 0 1 2 3\n3 0 1 2\n3 0 1 9\n3 2 1 4\n"));
    ASSERT_EQ(model.meshes.size(), 1u);
    const ObjMesh& mesh = *model.meshes[0];
    ASSERT_EQ(mesh.faces.size(), 3u);
    EXPECT_EQ(mesh.faces[0].VertexCount(), 4);
    EXPECT_EQ(mesh.faces[1].VertexCount(), 3);
    EXPECT_TRUE(mesh.faces[0].HasNormals());
    EXPECT_TRUE(mesh.faces[1].HasNormals());
    EXPECT_FALSE(mesh.faces[2].HasNormals());
    const int corners[3][4] = {{0, 1, 2, 3}, {0, 1, 2, -1}, {2, 1, 4, -1}};
    for (int f = 0; f < 3; ++f) {
        for (int c = 0; c < mesh.faces[f].VertexCount(); ++c) {
            EXPECT_EQ(mesh.VertexIndex(mesh.faces[f], c), corners[f][c]) << f << " " << c;
            if (mesh.faces[f].HasNormals())
                EXPECT_EQ(mesh.NormalIndex(mesh.faces[f], c), corners[f][c]) << f << " " << c;
        }
    }
    ExpectNear(mesh.normals[2], 0, 0, 1, "normal of length 3");
    ASSERT_EQ(model.warnings.size(), 1u);
    EXPECT_NE(model.warnings[0].find("1 face "), std::string::npos) << model.warnings[0];
}

TEST_F(ScratchFolder, RefusedFilesCarryAssimpsOwnReason) {
    // not the stand-in for an import that failed without one
    for (const std::string& path :
         {Write("cut.stl", "solid x\nfacet normal 0 0 1\nouter loop\nvertex 0 0\n"),
          Write("garbage.ply", "ply\nformat nonsense 9\n")}) {
        SCOPED_TRACE(path);
        ImportedModel model;
        std::string error;
        EXPECT_FALSE(ImportWithAssimp(path, model, error));
        EXPECT_FALSE(error.empty());
        EXPECT_NE(error, "assimp could not read it");
    }
}

} // namespace
