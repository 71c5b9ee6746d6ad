// Models in the layouts that other programs write draw exactly as a model-wide reading of the
// file would: the test reads each file itself, with file-wide (and relative) numbers as every
// OBJ reader takes them, draws that reference with plain immediate-mode calls, and compares
// what OpenGL's feedback mode returns for it and for DrawMesh: every polygon, corner position,
// texture coordinate, and (through two sets of coloured lights) normal.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "draw_fixtures.h"
#include "image/image.h"
#include "model/model.h"

namespace {

const std::string layouts = std::string(QUILLMERE_TEST_DATA) + "/model/layouts/";
const std::string dataSetModel = std::string(QUILLMERE_SOURCE_DIR) + "/Data/uvmappedvorbel.obj";

struct Corner {
    int vertex = -1; // file-wide, 0-based; -1 when the corner names none that exists
    int texCoord = -1;
    int normal = -1;
};

struct ReferenceModel {
    std::vector<Vector3> vertices;
    std::vector<TexCoord> texCoords;
    std::vector<Vector3> normals;
    std::vector<std::vector<Corner>> faces;
    std::vector<bool> faceHasTexCoords;
};

// One face number made 0-based against the count of elements read so far; -1 when invalid.
int FileWideIndex(const std::string& part, std::size_t count) {
    if (part.empty())
        return -1;
    const long number = std::strtol(part.c_str(), nullptr, 10);
    const long index = number < 0 ? static_cast<long>(count) + number : number - 1;
    return index >= 0 && index < static_cast<long>(count) ? static_cast<int>(index) : -1;
}

// A deliberately plain reader: whitespace-separated words, one list per kind for the whole file.
ReferenceModel ReadReference(const std::string& path) {
    ReferenceModel model;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string keyword;
        words >> keyword;
        if (keyword == "v" || keyword == "vn") {
            Vector3 v;
            words >> v.x >> v.y >> v.z;
            (keyword == "v" ? model.vertices : model.normals).push_back(v);
        } else if (keyword == "vt") {
            TexCoord t{0, 0, 0};
            words >> t.u >> t.v;
            model.texCoords.push_back(t);
        } else if (keyword == "f") {
            std::vector<Corner> face;
            bool hasTexCoords = false;
            for (std::string word; words >> word;) {
                std::string parts[3];
                int part = 0;
                for (char c : word) {
                    if (c == '/')
                        ++part;
                    else if (part < 3)
                        parts[part] += c;
                }
                hasTexCoords = hasTexCoords || part >= 1;
                face.push_back({FileWideIndex(parts[0], model.vertices.size()),
                                FileWideIndex(parts[1], model.texCoords.size()),
                                FileWideIndex(parts[2], model.normals.size())});
            }
            model.faces.push_back(face);
            model.faceHasTexCoords.push_back(hasTexCoords);
        }
    }
    return model;
}

void DrawReference(const ReferenceModel& model) {
    for (std::size_t i = 0; i < model.faces.size(); ++i) {
        glBegin(GL_POLYGON);
        for (const Corner& corner : model.faces[i]) {
            if (corner.vertex < 0)
                continue;
            if (corner.normal >= 0) {
                const Vector3& n = model.normals[corner.normal];
                glNormal3f(n.x, n.y, n.z);
            }
            if (model.faceHasTexCoords[i] && corner.texCoord >= 0) {
                const TexCoord& t = model.texCoords[corner.texCoord];
                glTexCoord2f(t.u, t.v);
            }
            const Vector3& v = model.vertices[corner.vertex];
            glVertex3f(v.x, v.y, v.z);
        }
        glEnd();
    }
}

// Feedback records: per polygon its corners, each x, y, z, r, g, b, a, s, t, r, q.
using Feedback = std::vector<std::vector<float>>;

template <typename Draw> Feedback Capture(Draw draw) {
    static std::vector<GLfloat> buffer(1 << 20);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    // Both drawings start from the same current normal and texture coordinate.
    glNormal3f(0, 0, 1);
    glTexCoord4f(0, 0, 0, 1);
    draw();
    const GLint size = glRenderMode(GL_RENDER);
    EXPECT_GE(size, 0) << "feedback buffer overflow";
    Feedback polygons;
    for (GLint i = 0; i + 1 < size;) {
        const GLint token = static_cast<GLint>(buffer[i]);
        EXPECT_EQ(token, GL_POLYGON_TOKEN);
        if (token != GL_POLYGON_TOKEN)
            break;
        const int corners = static_cast<int>(buffer[i + 1]);
        i += 2;
        polygons.emplace_back(buffer.begin() + i, buffer.begin() + i + corners * 11);
        i += corners * 11;
    }
    return polygons;
}

void Light(GLenum light, float x, float y, float z, const GLfloat colour[4]) {
    const GLfloat none[] = {0, 0, 0, 1};
    const GLfloat direction[] = {x, y, z, 0};
    glEnable(light);
    glLightfv(light, GL_AMBIENT, none);
    glLightfv(light, GL_DIFFUSE, colour);
    glLightfv(light, GL_SPECULAR, none);
    glLightfv(light, GL_POSITION, direction);
}

// Red, green and blue lights along +x, +y, +z (or their opposites): a corner's colour then
// shows each component of its normal on one side.
void SetLights(float sign) {
    const GLfloat red[] = {1, 0, 0, 1};
    const GLfloat green[] = {0, 1, 0, 1};
    const GLfloat blue[] = {0, 0, 1, 1};
    glLoadIdentity();
    Light(GL_LIGHT0, sign, 0, 0, red);
    Light(GL_LIGHT1, 0, sign, 0, green);
    Light(GL_LIGHT2, 0, 0, sign, blue);
}

class LayoutReferenceTest : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        OpenTestWindow(64, 64);
        glGenTextures(1, &texture);
    }

    void TearDown() override {
        glDeleteTextures(1, &texture);
        UnloadEverything();
    }

    GLuint texture = 0;
};

TEST_P(LayoutReferenceTest, DrawsAsAModelWideReading) {
    const std::string path =
        GetParam() == std::string("data-set") ? dataSetModel : layouts + GetParam();
    const ReferenceModel reference = ReadReference(path);
    ASSERT_GE(reference.faces.size(), 2u) << path;

    ObjModel* model = LoadModel(path, false, false, true);
    ASSERT_NE(model, nullptr) << path;
    // Every face gets OpenGL's default material, so that only geometry decides the colours.
    ClearMaterials();

    // The whole model in view, so that nothing is clipped; no culling, lighting on.
    float low[3] = {1e30f, 1e30f, 1e30f};
    float high[3] = {-1e30f, -1e30f, -1e30f};
    for (const Vector3& v : reference.vertices) {
        const float xyz[3] = {v.x, v.y, v.z};
        for (int i = 0; i < 3; ++i) {
            low[i] = std::min(low[i], xyz[i]);
            high[i] = std::max(high[i], xyz[i]);
        }
    }
    glViewport(0, 0, 64, 64);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(low[0] - 1, high[0] + 1, low[1] - 1, high[1] + 1, -high[2] - 1, -low[2] + 1);
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_CULL_FACE);
    glDisable(GL_COLOR_MATERIAL);
    glEnable(GL_LIGHTING);

    std::size_t polygons = 0;
    for (float sign : {1.0f, -1.0f}) {
        SetLights(sign);
        const GLfloat ambient[] = {0.2f, 0.2f, 0.2f, 1};
        const GLfloat diffuse[] = {0.8f, 0.8f, 0.8f, 1};
        const GLfloat black[] = {0, 0, 0, 1};
        glMaterialfv(GL_FRONT, GL_AMBIENT, ambient);
        glMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
        glMaterialfv(GL_FRONT, GL_SPECULAR, black);
        glMaterialfv(GL_FRONT, GL_EMISSION, black);
        glMaterialf(GL_FRONT, GL_SHININESS, 0);
        const Feedback expected = Capture([&] { DrawReference(reference); });
        // The texture override makes every face with texture coordinates send them.
        const Feedback drawn = Capture([&] {
            for (ObjMesh* mesh : model->meshes)
                DrawMesh(mesh, true, true, static_cast<int>(texture));
        });
        ASSERT_EQ(drawn.size(), expected.size()) << path;
        for (std::size_t p = 0; p < drawn.size(); ++p) {
            ASSERT_EQ(drawn[p].size(), expected[p].size()) << path << " polygon " << p;
            for (std::size_t k = 0; k < drawn[p].size(); ++k)
                ASSERT_NEAR(drawn[p][k], expected[p][k], 1e-4f)
                    << path << " polygon " << p << " value " << k;
        }
        polygons = drawn.size();
    }
    EXPECT_GE(polygons, 2u) << path;
    glDisable(GL_LIGHT1);
    glDisable(GL_LIGHT2);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, LayoutReferenceTest,
    testing::Values("shared-pool-then-groups.obj", "maya-default-group-pool.obj",
                    "groups-mix-own-and-earlier.obj", "relative-indices-across-groups.obj",
                    "missing-mtl-library.obj", "map-kd-options.obj",
                    "blender-objects-two-libraries.obj", "meshlab-no-groups-quads.obj",
                    "cad-millimetres-far-from-origin.obj", "scan-tenth-unit-near-origin.obj",
                    "data-set"),
    [](const testing::TestParamInfo<const char*>& info) {
        std::string name;
        for (const char* c = info.param; *c != '.' && *c != '\0'; ++c)
            name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
        return name;
    });

} // namespace
