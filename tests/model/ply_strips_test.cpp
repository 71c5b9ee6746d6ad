// The PLY triangle-strip reader: the three encodings give the same triangles, in the strips'
// alternating winding, with restarts and degenerate joints; broken files are refused with a
// reason, never read past their end.
#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "model/ply_strips.h"

namespace {

const std::string formats = std::string(QUILLMERE_TEST_DATA) + "/model/formats/";

std::string Bytes(const std::string& name) {
    std::ifstream in(formats + name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

using Triangle = std::array<int, 3>;

std::vector<Triangle> Triangles(const ObjMesh& mesh) {
    std::vector<Triangle> triangles;
    for (const ObjFace& face : mesh.faces) {
        EXPECT_EQ(face.VertexCount(), 3);
        triangles.push_back(
            {mesh.VertexIndex(face, 0), mesh.VertexIndex(face, 1), mesh.VertexIndex(face, 2)});
    }
    return triangles;
}

// Every index a read model holds names a vertex, normal and texture coordinate that exist.
void ExpectIndicesInside(const ImportedModel& model) {
    for (const auto& mesh : model.meshes) {
        for (const ObjFace& face : mesh->faces) {
            for (int c = 0; c < face.VertexCount(); ++c) {
                ASSERT_LT(static_cast<std::size_t>(mesh->VertexIndex(face, c)),
                          mesh->vertices.size());
                if (face.HasNormals()) {
                    ASSERT_LT(static_cast<std::size_t>(mesh->NormalIndex(face, c)),
                              mesh->normals.size());
                }
            }
        }
    }
}

TEST(PlyStrips, EveryEncodingGivesTheStripsTrianglesInTheirWinding) {
    // Entry one: 0 1 2 3 | 2 3 4 4 5 1 (the second and third triangles of the second strip
    // repeat vertex 4); entry two, a strip of its own: 1 0 5.
    const std::vector<Triangle> expected = {{0, 1, 2}, {2, 1, 3}, {2, 3, 4}, {5, 4, 1}, {1, 0, 5}};
    const struct {
        const char* file;
        bool normals;
        bool colors;
    } cases[] = {{"tristrips-ascii.ply", false, false},
                 {"tristrips-binary-le.ply", true, true},
                 {"tristrips-binary-be.ply", false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        ImportedModel model;
        std::string error;
        ASSERT_TRUE(ReadPlyTriStripsFile(formats + c.file, model, error)) << error;
        EXPECT_EQ(model.format, "PLY");
        ASSERT_EQ(model.meshes.size(), 1u);
        const ObjMesh& mesh = *model.meshes[0];
        EXPECT_EQ(mesh.name, std::string(c.file).substr(0, std::string(c.file).size() - 4));
        EXPECT_EQ(Triangles(mesh), expected);
        ASSERT_EQ(mesh.vertices.size(), 6u);
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(mesh.vertices[i].x, i);
            EXPECT_EQ(mesh.vertices[i].y, 2 * i);
            EXPECT_EQ(mesh.vertices[i].z, -i);
        }
        EXPECT_EQ(mesh.normals.size(), c.normals ? 6u : 0u);
        EXPECT_EQ(mesh.faces[0].HasNormals(), c.normals);
        if (c.normals) {
            EXPECT_EQ(mesh.NormalIndex(mesh.faces[3], 0), 5);
            EXPECT_EQ(mesh.normals[5].z, 1.0f);
        }
        ASSERT_EQ(mesh.colors.size(), c.colors ? 6u : 0u);
        if (c.colors) {
            EXPECT_FLOAT_EQ(mesh.colors[5].x, 200.0f / 255.0f);
            EXPECT_FLOAT_EQ(mesh.colors[5].y, 55.0f / 255.0f);
            EXPECT_FLOAT_EQ(mesh.colors[5].z, 7.0f / 255.0f);
        }
    }
}

// The ASCII file with one line replaced, or the header given whole.
std::string AsciiWith(const std::string& from, const std::string& to) {
    std::string text = Bytes("tristrips-ascii.ply");
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST(PlyStrips, BrokenFilesAreRefusedWithTheirReason) {
    const std::string little = Bytes("tristrips-binary-le.ply");
    const std::size_t data = little.find("end_header\n") + 11;
    std::string hugeList = little;
    hugeList[data + 6 * 27] = '\xff'; // the first strip's uchar count: 255 items, 57 bytes left
    const struct {
        const char* name;
        std::string bytes;
        const char* reason;
    } cases[] = {
        {"not PLY", "solid cube\n", "not a PLY file"},
        {"header cut short", Bytes("tristrips-ascii.ply").substr(0, 60), "no end_header"},
        {"unknown format", AsciiWith("format ascii", "format binary_middle_endian"), "format"},
        {"no z", AsciiWith("property float z\n", ""), "x, y and z"},
        {"float indices", AsciiWith("list int int", "list int float"), "not integers"},
        {"index past the vertices", AsciiWith("3 1 0 5", "3 1 0 6"), "vertex 6"},
        {"negative index", AsciiWith("3 1 0 5", "3 1 -2 5"), "vertex -2"},
        {"more vertices than bytes", AsciiWith("vertex 6", "vertex 600"), "declares 600"},
        {"list longer than the file", hugeList, "255 items"},
        {"words that are no numbers", AsciiWith("3 1 0 5", "3 1 zero 5"), "not a number"},
        {"list cut short", little.substr(0, little.size() - 3), "3 items, more than"},
        {"strips cut short", AsciiWith("3 1 0 5\n1 0\n0\n", "3 1 0\n\n\n\n"), "ends"},
        {"vertices cut short", little.substr(0, data + 40), "declares 6"},
        {"a strip too short for a triangle", AsciiWith("3 1 0 5", "2 1 0"), nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ImportedModel model;
        std::string error;
        const bool read = ReadPlyTriStrips(c.bytes, "cut", model, error);
        if (c.reason == nullptr) {
            // the first entry still gives its four triangles
            ASSERT_TRUE(read) << error;
            EXPECT_EQ(model.meshes[0]->faces.size(), 4u);
            continue;
        }
        EXPECT_FALSE(read);
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_TRUE(model.meshes.empty());
    }
}

// Every cut and a few thousand flipped bytes of each file: read or refused, never a read
// outside the bytes (the sanitizer build runs this too) and never an index outside the lists.
TEST(PlyStrips, CutAndCorruptedCopiesAreReadOrRefused) {
    std::mt19937 random(7);
    for (const char* file :
         {"tristrips-ascii.ply", "tristrips-binary-le.ply", "tristrips-binary-be.ply"}) {
        SCOPED_TRACE(file);
        const std::string whole = Bytes(file);
        for (std::size_t cut = 0; cut < whole.size(); ++cut) {
            ImportedModel model;
            std::string error;
            // A std::string copy, so that the sanitizer sees the end of the cut bytes.
            const std::string bytes = whole.substr(0, cut);
            if (ReadPlyTriStrips(bytes, "cut", model, error)) {
                ExpectIndicesInside(model);
            } else {
                EXPECT_FALSE(error.empty()) << "cut at " << cut;
            }
        }
        for (int trial = 0; trial < 2000; ++trial) {
            std::string bytes = whole;
            for (int flips = 1 + trial % 4; flips > 0; --flips) {
                bytes[random() % bytes.size()] = static_cast<char>(random());
            }
            ImportedModel model;
            std::string error;
            if (ReadPlyTriStrips(bytes, "flipped", model, error)) {
                ExpectIndicesInside(model);
            } else {
                EXPECT_FALSE(error.empty());
            }
        }
    }
}

// Elements without properties take no bytes: a count of 2^64 - 1 must neither be walked entry by
// entry nor refused.
TEST(PlyStrips, ElementsWithoutPropertiesAreNotWalked) {
    const std::string most = "18446744073709551615";
    const struct {
        const char* name;
        std::string bytes;
        std::size_t faces;
    } cases[] = {
        {"skipped element",
         AsciiWith("element tristrips", "element nothing " + most + "\nelement tristrips"), 5},
        {"empty strips",
         AsciiWith("element tristrips 2\nproperty list int int vertex_indices\n",
                   "element tristrips " + most + "\n"),
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ImportedModel model;
        std::string error;
        const bool read = ReadPlyTriStrips(c.bytes, "empty", model, error);
        EXPECT_EQ(read, c.faces > 0) << error;
        if (read) {
            EXPECT_EQ(model.meshes[0]->faces.size(), c.faces);
        } else {
            EXPECT_NE(error.find("no triangle"), std::string::npos) << error;
        }
    }
}

// The check that keeps broken PLY headers from assimp, which loops forever on some of them.
TEST(PlyStrips, HeadersAreCheckedAgainstTheFileLength) {
    const std::string ascii = Bytes("cube-colors-ascii.ply");
    const std::string binary = Bytes("cube-colors-binary.ply");
    const std::size_t binaryData = binary.find("end_header\n") + 11;
    const struct {
        const char* name;
        std::string head;
        std::uint64_t fileSize;
        const char* reason;
    } cases[] = {
        {"whole ASCII", ascii, ascii.size(), nullptr},
        {"whole binary", binary, binary.size(), nullptr},
        {"ASCII without its last line end", ascii, ascii.size() - 1, nullptr},
        {"cut inside the header", ascii.substr(0, 40), 40, "no end_header"},
        // 8 vertices of 15 bytes and 6 faces of at least a count byte each: 126 bytes
        {"binary data one byte short", binary, binaryData + 125, "shorter than its header"},
        {"binary data just long enough", binary, binaryData + 126, nullptr},
        {"binary data gone", binary.substr(0, binaryData), binaryData, "declares 8"},
        {"header beyond 64 KB", "ply\nformat ascii 1.0\n" + std::string(70000, '\n'), 70000,
         "first 64 KB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string error;
        EXPECT_EQ(CheckPlyHeader(c.head, c.fileSize, error), c.reason == nullptr) << error;
        if (c.reason != nullptr) {
            EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        }
    }
}

TEST(PlyStrips, OnlyHeadersThatDeclareStripsAreRouted) {
    const struct {
        const char* head;
        bool strips;
    } cases[] = {
        {"ply\nformat ascii 1.0\nelement vertex 3\nelement tristrips 1\nend_header\n", true},
        {"ply\r\nformat ascii 1.0\r\nelement  tristrips\t1\r\nend_header\r\n", true},
        // a head cut inside a long header still shows the declaration
        {"ply\nformat binary_little_endian 1.0\nelement tristrips 1\nproperty li", true},
        {"ply\nformat ascii 1.0\nelement vertex 3\nelement face 1\nend_header\n", false},
        // data after the header that happens to read as a declaration
        {"ply\nformat ascii 1.0\nelement face 1\nend_header\nelement tristrips 1\n", false},
        {"solid\nelement tristrips 1\n", false},
        {"ply\ncomment element tristrips 1\nend_header\n", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PlyHasTriStrips(c.head), c.strips) << c.head;
    }
}

} // namespace
