// Our reader against an independent one: tinyobjloader reads the same file, and every number
// and every corner must agree.
#include <tiny_obj_loader.h>

#include <cstdio>
#include <filesystem>
#include <random>

#include "reader_fixture.h"

namespace {

class TinyObjCrossCheck : public ReaderTest {};

// Three groups, each with its own vertices, coordinates and normals, numbers in the forms
// exporters write, and faces of three to six corners.
std::string Generate() {
    std::mt19937 random(2024);
    std::uniform_real_distribution<double> value(-50.0, 50.0);
    std::string text = "# cross-check\n";
    char line[160];
    int base = 0;
    for (int g = 0; g < 3; ++g) {
        text += "g part" + std::to_string(g) + "\n";
        const int count = 300 + 50 * g;
        for (int i = 0; i < count; ++i) {
            std::snprintf(line, sizeof line, "v %.6f %.9g %.3e\nvt %.5f %.4f\nvn %.4f %.4f %.4f\n",
                          value(random), value(random), value(random), value(random) / 50,
                          value(random) / 50, value(random) / 50, value(random) / 50,
                          value(random) / 50);
            text += line;
        }
        for (int f = 0; f < count; ++f) {
            const int corners = 3 + static_cast<int>(random() % 4);
            text += "f";
            for (int c = 0; c < corners; ++c) {
                const int v = base + 1 + static_cast<int>(random() % count);
                const int t = base + 1 + static_cast<int>(random() % count);
                const int n = base + 1 + static_cast<int>(random() % count);
                text += " " + std::to_string(v) + "/" + std::to_string(t) + "/" + std::to_string(n);
            }
            text += "\n";
        }
        base += count;
    }
    return text;
}

TEST_F(TinyObjCrossCheck, SameNumbersAndCorners) {
    const std::string path = testing::TempDir() + "quillmere_crosscheck.obj";
    const std::string text = Generate();
    std::FILE* out = std::fopen(path.c_str(), "w");
    ASSERT_NE(out, nullptr);
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);

    tinyobj::attrib_t attrib;
    std::vector<tinyobj::shape_t> shapes;
    std::vector<tinyobj::material_t> materials;
    std::string warn;
    std::string err;
    ASSERT_TRUE(
        tinyobj::LoadObj(&attrib, &shapes, &materials, &warn, &err, path.c_str(), nullptr, false))
        << err;
    testing::internal::CaptureStdout();
    ObjModel* model = ReadFile(path, true, true);
    testing::internal::GetCapturedStdout();
    std::filesystem::remove(path);
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(model->meshes.size(), shapes.size());

    std::size_t vertexOffset = 0;
    std::size_t texCoordOffset = 0;
    std::size_t normalOffset = 0;
    for (std::size_t m = 0; m < shapes.size(); ++m) {
        const ObjMesh& mesh = *model->meshes[m];
        EXPECT_EQ(mesh.name, shapes[m].name);
        for (std::size_t i = 0; i < mesh.vertices.size(); ++i) {
            const float* theirs = &attrib.vertices[3 * (vertexOffset + i)];
            ASSERT_FLOAT_EQ(mesh.vertices[i].x, theirs[0]);
            ASSERT_FLOAT_EQ(mesh.vertices[i].y, theirs[1]);
            ASSERT_FLOAT_EQ(mesh.vertices[i].z, theirs[2]);
        }
        for (std::size_t i = 0; i < mesh.texCoords.size(); ++i) {
            const float* theirs = &attrib.texcoords[2 * (texCoordOffset + i)];
            ASSERT_FLOAT_EQ(mesh.texCoords[i].u, theirs[0]);
            ASSERT_FLOAT_EQ(mesh.texCoords[i].v, theirs[1]);
        }
        for (std::size_t i = 0; i < mesh.normals.size(); ++i) {
            const float* theirs = &attrib.normals[3 * (normalOffset + i)];
            ASSERT_FLOAT_EQ(mesh.normals[i].x, theirs[0]);
            ASSERT_FLOAT_EQ(mesh.normals[i].y, theirs[1]);
            ASSERT_FLOAT_EQ(mesh.normals[i].z, theirs[2]);
        }
        const tinyobj::mesh_t& theirMesh = shapes[m].mesh;
        ASSERT_EQ(mesh.faces.size(), theirMesh.num_face_vertices.size());
        std::size_t corner = 0;
        for (std::size_t f = 0; f < mesh.faces.size(); ++f) {
            const ObjFace& face = mesh.faces[f];
            ASSERT_EQ(face.VertexCount(), theirMesh.num_face_vertices[f]);
            for (int c = 0; c < face.VertexCount(); ++c, ++corner) {
                const tinyobj::index_t& index = theirMesh.indices[corner];
                ASSERT_EQ(mesh.VertexIndex(face, c) + vertexOffset,
                          static_cast<std::size_t>(index.vertex_index));
                ASSERT_EQ(mesh.TexCoordIndex(face, c) + texCoordOffset,
                          static_cast<std::size_t>(index.texcoord_index));
                ASSERT_EQ(mesh.NormalIndex(face, c) + normalOffset,
                          static_cast<std::size_t>(index.normal_index));
            }
        }
        vertexOffset += mesh.vertices.size();
        texCoordOffset += mesh.texCoords.size();
        normalOffset += mesh.normals.size();
    }
    EXPECT_EQ(vertexOffset * 3, attrib.vertices.size());
    EXPECT_EQ(texCoordOffset * 2, attrib.texcoords.size());
    EXPECT_EQ(normalOffset * 3, attrib.normals.size());
}

} // namespace
