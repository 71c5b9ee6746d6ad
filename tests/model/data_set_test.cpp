// The shipped data set, read with a parser of the test's own: what the viewer relies on (sizes,
// groups with their own vertices, counter-clockwise faces, the two libraries and their images).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string dataFolder = std::string(QUILLMERE_SOURCE_DIR) + "/Data/";

struct Vec {
    double x = 0, y = 0, z = 0;
};

struct Group {
    std::string name;
    std::string material;
    int firstVertex = 0; // 1-based file numbers this group owns: firstVertex .. firstVertex+count-1
    int vertices = 0, texCoords = 0, normals = 0;
    int linesBeforeGroup = 0; // v/vt/vn lines of this group seen before its g line
};

struct Corner {
    int v = 0, vt = 0, vn = 0;
};

struct ObjFile {
    std::vector<std::string> mtllibs, usemats;
    std::vector<Group> groups;
    std::vector<Vec> positions, normals;
    std::vector<std::vector<Corner>> faces;
    std::vector<int> faceGroup;
    bool allCornersComplete = true;
};

ObjFile ReadObj(const std::string& path) {
    ObjFile obj;
    std::ifstream in(path);
    EXPECT_TRUE(in) << path;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string keyword;
        words >> keyword;
        if (keyword == "mtllib" || keyword == "usemat" || keyword == "usemtl" || keyword == "g") {
            std::string rest = line.size() > keyword.size() ? line.substr(keyword.size() + 1) : "";
            if (keyword == "mtllib")
                obj.mtllibs.push_back(rest);
            else if (keyword == "usemat")
                obj.usemats.push_back(rest);
            else if (keyword == "g")
                obj.groups.push_back({rest, "", static_cast<int>(obj.positions.size()) + 1});
            else if (!obj.groups.empty())
                obj.groups.back().material = rest;
        } else if (keyword == "v" || keyword == "vn") {
            Vec p;
            words >> p.x >> p.y >> p.z;
            (keyword == "v" ? obj.positions : obj.normals).push_back(p);
            if (obj.groups.empty())
                continue;
            (keyword == "v" ? obj.groups.back().vertices : obj.groups.back().normals)++;
        } else if (keyword == "vt") {
            if (!obj.groups.empty())
                obj.groups.back().texCoords++;
        } else if (keyword == "f") {
            std::vector<Corner> face;
            for (std::string token; words >> token;) {
                Corner c;
                char slash1 = 0, slash2 = 0;
                std::istringstream parts(token);
                parts >> c.v >> slash1 >> c.vt >> slash2 >> c.vn;
                obj.allCornersComplete &= parts && slash1 == '/' && slash2 == '/';
                face.push_back(c);
            }
            obj.faces.push_back(face);
            obj.faceGroup.push_back(static_cast<int>(obj.groups.size()) - 1);
        }
    }
    return obj;
}

// newmtl name -> map_Kd file name ("" without a map), over both libraries.
std::map<std::string, std::string> ReadMaterials(const std::vector<std::string>& libraries) {
    std::map<std::string, std::string> maps;
    for (const std::string& library : libraries) {
        std::ifstream in(dataFolder + library);
        EXPECT_TRUE(in) << library;
        std::string current;
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("newmtl ", 0) == 0) {
                current = line.substr(7);
                EXPECT_EQ(maps.count(current), 0u) << "material defined twice: " << current;
                maps[current] = "";
            } else if (line.rfind("map_Kd ", 0) == 0) {
                maps[current] = line.substr(7);
            }
        }
    }
    return maps;
}

class DataSetTest : public testing::Test {
protected:
    static void SetUpTestSuite() { obj = new ObjFile(ReadObj(dataFolder + "uvmappedvorbel.obj")); }
    static void TearDownTestSuite() { delete obj; }
    static ObjFile* obj;
};
ObjFile* DataSetTest::obj = nullptr;

TEST_F(DataSetTest, IsAFewThousandQuadsAndTrianglesWithinTheCameraView) {
    EXPECT_GE(obj->faces.size(), 2000u);
    EXPECT_LE(obj->faces.size(), 6000u);
    int quads = 0, triangles = 0;
    for (const auto& face : obj->faces) {
        quads += face.size() == 4;
        triangles += face.size() == 3;
    }
    EXPECT_GT(quads, 0);
    EXPECT_GT(triangles, 0);
    double radius = 0;
    for (const Vec& p : obj->positions)
        radius = std::max(radius, std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z));
    EXPECT_LE(radius, 0.8);
    EXPECT_GE(radius, 0.6); // fills a good part of the window

    std::ifstream file(dataFolder + "uvmappedvorbel.obj", std::ios::binary | std::ios::ate);
    EXPECT_LT(file.tellg(), 800 * 1024);
}

TEST_F(DataSetTest, EveryGroupOwnsTheVerticesItsFacesUse) {
    ASSERT_GE(obj->groups.size(), 2u);
    EXPECT_TRUE(obj->allCornersComplete) << "every corner is written v/vt/vn";
    for (const Group& g : obj->groups) {
        EXPECT_GT(g.vertices, 0) << g.name;
        // One texture coordinate and one normal per vertex keeps the three numbers equal.
        EXPECT_EQ(g.texCoords, g.vertices) << g.name;
        EXPECT_EQ(g.normals, g.vertices) << g.name;
    }
    for (size_t i = 0; i < obj->faces.size(); ++i) {
        ASSERT_GE(obj->faceGroup[i], 0) << "face before any group";
        const Group& g = obj->groups[obj->faceGroup[i]];
        for (const Corner& c : obj->faces[i]) {
            ASSERT_GE(c.v, g.firstVertex) << g.name << " face " << i;
            ASSERT_LT(c.v, g.firstVertex + g.vertices) << g.name << " face " << i;
            ASSERT_EQ(c.vt, c.v);
            ASSERT_EQ(c.vn, c.v);
        }
    }
}

TEST_F(DataSetTest, FacesAreCounterClockwiseSeenFromWhereTheirNormalsPoint) {
    for (size_t i = 0; i < obj->faces.size(); ++i) {
        const auto& face = obj->faces[i];
        Vec newell, normals;
        for (size_t j = 0; j < face.size(); ++j) {
            const Vec& p = obj->positions[face[j].v - 1];
            const Vec& q = obj->positions[face[(j + 1) % face.size()].v - 1];
            newell.x += (p.y - q.y) * (p.z + q.z);
            newell.y += (p.z - q.z) * (p.x + q.x);
            newell.z += (p.x - q.x) * (p.y + q.y);
            const Vec& n = obj->normals[face[j].vn - 1];
            normals.x += n.x;
            normals.y += n.y;
            normals.z += n.z;
        }
        double agreement = newell.x * normals.x + newell.y * normals.y + newell.z * normals.z;
        ASSERT_GT(agreement, 0.0) << "face " << i << " of group "
                                  << obj->groups[obj->faceGroup[i]].name;
    }
    for (const Vec& n : obj->normals)
        ASSERT_NEAR(std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z), 1.0, 2e-3);
}

TEST_F(DataSetTest, MaterialsComeFromTwoLibrariesWithTheGeneratedAndAPaletteTexture) {
    EXPECT_EQ(obj->mtllibs, (std::vector<std::string>{"vorbel.mtl", "vorbel_details.mtl"}));
    ASSERT_EQ(obj->usemats.size(), 1u);
    std::map<std::string, std::string> maps = ReadMaterials(obj->mtllibs);
    for (const Group& g : obj->groups)
        EXPECT_EQ(maps.count(g.material), 1u) << g.name << " uses " << g.material;

    std::set<std::string> images;
    for (const auto& [name, map] : maps) {
        if (!map.empty())
            images.insert(map);
    }
    EXPECT_EQ(images.count("example0.bmp"), 1u);
    images.erase("example0.bmp");
    images.insert(obj->usemats[0]);
    ASSERT_FALSE(images.empty());

    // The committed images are 8-bit palette files: a 40-byte information header and the
    // pixels after 256 palette entries.
    for (const std::string& image : images) {
        std::ifstream in(dataFolder + image, std::ios::binary);
        ASSERT_TRUE(in) << image;
        std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
        ASSERT_GT(bytes.size(), 1078u) << image;
        auto u32 = [&](size_t at) {
            return static_cast<uint32_t>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
                                         static_cast<uint32_t>(bytes[at + 3]) << 24);
        };
        EXPECT_EQ(bytes[0], 'B');
        EXPECT_EQ(bytes[1], 'M');
        EXPECT_EQ(u32(2), bytes.size());
        EXPECT_EQ(u32(10), 1078u);
        EXPECT_EQ(u32(14), 40u);
        EXPECT_EQ(bytes[28] | bytes[29] << 8, 8);
        uint32_t width = u32(18), height = u32(22);
        EXPECT_EQ(bytes.size(), 1078u + (width + 3) / 4 * 4 * height);
    }
}

} // namespace
