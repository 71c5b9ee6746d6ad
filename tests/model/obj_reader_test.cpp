#include <algorithm>
#include <array>
#include <cfloat>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "common/diagnostics.h"
#include "face_view.h"
#include "model/obj_chunks.h"
#include "reader_fixture.h"
#include "unseekable_buffer.h"

namespace {

class ObjReaderTest : public ReaderTest {
protected:
    static std::vector<std::pair<std::string, std::string>> ReaderModels(); // path, text

    // Empties the material table, leaving the models loaded: two loads of one text then
    // number their materials alike.
    static void ClearMaterials() {
        for (ObjMaterial* material : materialTable) {
            delete material;
        }
        materialTable.clear();
        ResetRecordedTextures();
    }
};

using Indices = std::vector<int>;

const char* const twoGroups = "g first\n"
                              "v 0 0 0\nv 1 0 0\nv 0 1 0\n"
                              "vt 0 0\nvt 1 0\n"
                              "f 1 2 3\n"
                              "g second\n"
                              "v 0 0 1\nv 1 0 1\nv 0 1 1\n"
                              "vn 0 0 1\n"
                              "f 4 5 6\n"
                              "f 6/2/1 5/1/1 4/2/1\n";

// Two loads of one model agree on every mesh's name, elements and faces.
void ExpectSameMeshes(const ObjModel& a, const ObjModel& b) {
    ASSERT_EQ(a.meshes.size(), b.meshes.size());
    for (std::size_t m = 0; m < a.meshes.size(); ++m) {
        SCOPED_TRACE("mesh " + std::to_string(m));
        const ObjMesh& x = *a.meshes[m];
        const ObjMesh& y = *b.meshes[m];
        EXPECT_EQ(x.name, y.name);
        ASSERT_EQ(x.vertices.size(), y.vertices.size());
        if (!x.vertices.empty()) {
            EXPECT_EQ(std::memcmp(x.vertices.data(), y.vertices.data(),
                                  x.vertices.size() * sizeof(Vector3)),
                      0);
        }
        ASSERT_EQ(x.texCoords.size(), y.texCoords.size());
        if (!x.texCoords.empty()) { // an empty list may have no storage to compare
            EXPECT_EQ(std::memcmp(x.texCoords.data(), y.texCoords.data(),
                                  x.texCoords.size() * sizeof(TexCoord)),
                      0);
        }
        EXPECT_EQ(x.indices, y.indices);
        const std::vector<FaceView> xFaces = Faces(x);
        const std::vector<FaceView> yFaces = Faces(y);
        ASSERT_EQ(xFaces.size(), yFaces.size());
        for (std::size_t i = 0; i < xFaces.size(); ++i) {
            EXPECT_EQ(xFaces[i].vertexIndices, yFaces[i].vertexIndices);
            EXPECT_EQ(xFaces[i].texCoordIndices, yFaces[i].texCoordIndices);
            EXPECT_EQ(xFaces[i].normalIndices, yFaces[i].normalIndices);
        }
    }
}

TEST_F(ObjReaderTest, GroupsPrintStatisticsAndMakeIndicesMeshLocal) {
    ObjModel* model = LoadText(twoGroups);
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(output, "*** Objeto: Data/test.obj\n"
                      "Novo modelo: first\n"
                      "Vertices: 3\n"
                      "Faces:    1\n"
                      "Normais:  0\n"
                      "Texcoords:2\n"
                      "Novo modelo: second\n"
                      "Vertices: 3\n"
                      "Faces:    2\n"
                      "Normais:  1\n"
                      "Texcoords:0\n"
                      "Limites: 0 0 1 - 1 1 1\n");
    ASSERT_EQ(model->meshes.size(), 2u);
    const ObjMesh& second = *model->meshes[1];
    EXPECT_EQ(second.name, "second");
    EXPECT_EQ(second.displayList, -1);
    EXPECT_EQ(Faces(second)[0].vertexIndices, (Indices{0, 1, 2}));
    // Texture numbers count model-wide too: 2 and 1 are the first mesh's coordinates, copied
    // once each behind the second mesh's own (none), which the statistics do not count.
    EXPECT_EQ(Faces(second)[1].vertexIndices, (Indices{2, 1, 0}));
    EXPECT_EQ(Faces(second)[1].texCoordIndices, (Indices{0, 1, 0}));
    ASSERT_EQ(second.texCoords.size(), 2u);
    EXPECT_EQ(second.texCoords[0].u, 1.0f);
    EXPECT_EQ(second.texCoords[1].u, 0.0f);
    EXPECT_EQ(Faces(second)[1].normalIndices, (Indices{0, 0, 0}));
    EXPECT_EQ(modelList, (std::vector<ObjModel*>{model}));
}

TEST_F(ObjReaderTest, VerticesBeforeAnyGroupMakeTheMeshObjeto) {
    ObjModel* model = LoadText("v 1 2 3\nv -1 0 5\nv 0 0 0\nf 1 2 3\n");
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(output, "*** Objeto: Data/test.obj\n"
                      "Vertices: 3\n"
                      "Faces:    1\n"
                      "Normais:  0\n"
                      "Texcoords:0\n"
                      "Limites: -1 0 0 - 1 2 5\n");
    ASSERT_EQ(model->meshes.size(), 1u);
    EXPECT_EQ(model->meshes[0]->name, "objeto");

    // Normals, coordinates and faces before any group do the same.
    for (const char* first : {"vn 0 0 1\n", "vt 0 0\n", "f 1 1 1\n"}) {
        ClearTables();
        model = LoadText(first);
        ASSERT_NE(model, nullptr) << first;
        ASSERT_EQ(model->meshes.size(), 1u) << first;
        EXPECT_EQ(model->meshes[0]->name, "objeto");
    }
}

// A face's index lists as read: mesh-local, 0-based, kept as read when they lie outside.
struct FaceCase {
    const char* why;
    const char* text;
    std::size_t mesh;
    std::size_t face;
    Indices vertices;
    Indices texCoords; // empty when the face has none
    Indices normals;
};

TEST_F(ObjReaderTest, FaceNumbersGiveMeshLocalIndexLists) {
    const char* const forms = "f 1/2/3 4/5/6 7/8/9\nf 1//3 2//4 3//5\nf 1 2 3\n"
                              "f 1/2 2/3 3/4 4/5\nf 1/2/3/4 5/6/7/8 9/10/11/12\n";
    const char* const blanks = "f  1  2 3 \nf 1 2 3  \nf   \nf \n";
    // -2 in the second mesh reaches back into the first: its coordinate is copied behind the
    // mesh's own. The fourth vertex arrives after the second mesh's first face, so -1 is then
    // index 3; -5 is the first mesh's second vertex, copied.
    const char* const negative = "v 0 0 0\nv 0 0 0\nvt 0 0\nf -2 -1 -3\ng next\n"
                                 "v 0 0 0\nv 0 0 0\nv 0 0 0\nvt 0 0\nvn 0 0 1\n"
                                 "f -3/-1/-1 -2/-2/-1 -1/-1/-2\nv 0 0 0\nf -1 -4 -5 -2147483648\n";
    const FaceCase cases[] = {
        {"vertex/coordinate/normal", forms, 0, 0, {0, 3, 6}, {1, 4, 7}, {2, 5, 8}},
        {"vertex//normal", forms, 0, 1, {0, 1, 2}, {-1, -1, -1}, {2, 3, 4}},
        {"vertex only", forms, 0, 2, {0, 1, 2}, {}, {}},
        {"a quadrilateral stays one face", forms, 0, 3, {0, 1, 2, 3}, {1, 2, 3, 4}, {}},
        {"parts after the third are ignored", forms, 0, 4, {0, 4, 8}, {1, 5, 9}, {2, 6, 10}},
        {"numbers follow atoi",
         "f +2/\t3/-0 7x/1.9/ 04//\n",
         0,
         0,
         {1, 6, 3},
         {2, 0, -1},
         {-1, -1, -1}},
        // 0 is no valid number: with the offsets it stays plainly outside the lists.
        {"mixed forms get 0 for what they lack",
         "v 0 0 0\nv 0 0 0\nv 0 0 0\ng second\nv 0 0 0\nv 0 0 0\nv 0 0 0\nf 4/1 5 6//2\n",
         1,
         0,
         {0, 1, 2},
         {0, -1, -1},
         {-1, -1, 1}},
        {"runs of blanks make no phantom corners", blanks, 0, 0, {0, 1, 2}, {}, {}},
        {"trailing blanks", blanks, 0, 1, {0, 1, 2}, {}, {}},
        {"only blanks", blanks, 0, 2, {}, {}, {}},
        {"one blank", blanks, 0, 3, {}, {}, {}},
        {"negative numbers count back", negative, 0, 0, {0, 1, -1}, {}, {}},
        {"negative numbers reach earlier meshes", negative, 1, 0, {0, 1, 2}, {0, 1, 0}, {0, 0, -1}},
        {"negative numbers count from the latest element",
         negative,
         1,
         1,
         {3, 0, 4, INT32_MIN + 4},
         {},
         {}},
        // 1 is the first mesh's vertex, copied to index 1; 3 was never listed and must not land
        // on that copy: numbers past the mesh's own vertices move past the copies too.
        {"zero and out-of-range numbers are kept",
         "v 0 0 0\ng b\nv 0 0 0\nf 0 1 3 99999999999 -99999999999\n",
         1,
         0,
         {-2, 1, 2, INT32_MAX - 1, INT32_MIN + 1},
         {},
         {}},
    };
    for (const FaceCase& c : cases) {
        SCOPED_TRACE(c.why);
        ClearTables();
        ObjModel* model = LoadText(c.text);
        ASSERT_NE(model, nullptr);
        ASSERT_LT(c.mesh, model->meshes.size());
        const std::vector<FaceView> faces = Faces(*model->meshes[c.mesh]);
        ASSERT_LT(c.face, faces.size());
        const FaceView& face = faces[c.face];
        EXPECT_EQ(face.vertexCount, static_cast<int>(c.vertices.size()));
        EXPECT_EQ(face.vertexIndices, c.vertices);
        EXPECT_EQ(face.texCoordIndices, c.texCoords);
        EXPECT_EQ(face.normalIndices, c.normals);
        EXPECT_EQ(face.materialIndex, -1);
    }
    // The second mesh's vertices, copies included: its own four and the first mesh's second.
    ClearTables();
    EXPECT_EQ(LoadText(negative)->meshes[1]->vertices.size(), 5u);
}

TEST_F(ObjReaderTest, FacesAreNotLimitedToAHundredCorners) {
    std::string text;
    for (int i = 0; i < 1000; ++i) {
        text += "v " + std::to_string(i) + " 0 0\nvt 0 0\nvn 0 0 1\n";
    }
    text += "f";
    for (int i = 1000; i >= 1; --i) {
        text += " " + std::to_string(i) + "/" + std::to_string(i) + "/" + std::to_string(i);
    }
    ObjModel* model = LoadText(text + "\n");
    ASSERT_NE(model, nullptr);
    const FaceView face = Faces(*model->meshes[0])[0];
    Indices backwards(1000);
    for (int i = 0; i < 1000; ++i) {
        backwards[i] = 999 - i;
    }
    EXPECT_EQ(face.vertexCount, 1000);
    EXPECT_EQ(face.vertexIndices, backwards);
    EXPECT_EQ(face.texCoordIndices, backwards);
    EXPECT_EQ(face.normalIndices, backwards);
}

TEST_F(ObjReaderTest, VertexNumbersReadLikeStreamExtraction) {
    ObjModel* model = LoadText("v 1\n"
                               "v 1 2 3 4\n"
                               "v  +1.5e1\t-2.5E-1 .5\n"
                               "v 1.5.5 7\n"
                               "v 1e999 5 5\n"
                               "v abc 5 5\n"
                               "v 0x1p3 9\n"
                               "v inf nan 1\n"
                               "v\n"
                               "vn 1 2 3 garbage\n"
                               "vt 0.25\n"
                               "vt 1 2 3\n");
    ASSERT_NE(model, nullptr);
    const ObjMesh& mesh = *model->meshes[0];
    ASSERT_EQ(mesh.vertices.size(), 8u); // "v" without a blank is no vertex
    auto expect = [&](int i, float x, float y, float z) {
        EXPECT_EQ(mesh.vertices[i].x, x) << i;
        EXPECT_EQ(mesh.vertices[i].y, y) << i;
        EXPECT_EQ(mesh.vertices[i].z, z) << i;
    };
    expect(0, 1, 0, 0);
    expect(1, 1, 2, 3);
    expect(2, 15, -0.25f, 0.5f);
    expect(3, 1.5f, 0.5f, 7);
    expect(4, FLT_MAX, 0, 0);
    expect(5, 0, 0, 0);
    expect(6, 0, 0, 0);
    expect(7, 0, 0, 0);
    ASSERT_EQ(mesh.normals.size(), 1u);
    EXPECT_EQ(mesh.normals[0].z, 3.0f);
    ASSERT_EQ(mesh.texCoords.size(), 2u);
    EXPECT_EQ(mesh.texCoords[0].u, 0.25f);
    EXPECT_EQ(mesh.texCoords[0].v, 0.0f);
    EXPECT_EQ(mesh.texCoords[1].w, 3.0f);
}

TEST_F(ObjReaderTest, LimitsDescribeTheLastMeshAndAreZeroWithoutVertices) {
    ASSERT_NE(LoadText("v 1 2 3\nv -1 0 5\n"), nullptr);
    EXPECT_NE(output.find("Limites: -1 0 3 - 1 2 5\n"), std::string::npos);

    ASSERT_NE(LoadText("g a\nv 100 100 100\ng b\nv 0.5 -0.125 1e-7\nv 1234567 0 0\n"), nullptr);
    EXPECT_NE(output.find("Limites: 0.5 -0.125 0 - 1.23457e+06 0 1e-07\n"), std::string::npos);

    ASSERT_NE(LoadText("# nothing\ng empty\n"), nullptr);
    EXPECT_EQ(output, "*** Objeto: Data/test.obj\n"
                      "Novo modelo: empty\n"
                      "Vertices: 0\nFaces:    0\nNormais:  0\nTexcoords:0\n"
                      "Limites: 0 0 0 - 0 0 0\n");

    ASSERT_NE(LoadText(""), nullptr);
    EXPECT_EQ(output, "*** Objeto: Data/test.obj\nLimites: 0 0 0 - 0 0 0\n");
}

TEST_F(ObjReaderTest, CrlfAndBlankLinesLoadLikeLf) {
    const std::string text = std::string("# model\n\n") + twoGroups + "\n";
    ObjModel* lf = LoadText(text);
    const std::string lfOutput = output;
    ObjModel* crlf = LoadText(WithCrlf(text) + "\r\n\r\n");
    ASSERT_NE(lf, nullptr);
    ASSERT_NE(crlf, nullptr);
    EXPECT_EQ(output, lfOutput);
    ExpectSameMeshes(*lf, *crlf);
    // A UTF-8 byte-order mark does not hide the first statement; a lone 0xEF byte is kept.
    ObjModel* marked = LoadText("\xEF\xBB\xBF" + std::string(twoGroups));
    ASSERT_NE(marked, nullptr);
    ExpectSameMeshes(*LoadText(twoGroups), *marked);
    EXPECT_EQ(LoadText("\xEFv 1 2 3\n")->meshes.size(), 0u);
    // The last line needs no newline.
    ObjModel* unterminated = LoadText("v 1 2 3\nf 1 1 1");
    ASSERT_NE(unterminated, nullptr);
    EXPECT_EQ(unterminated->meshes[0]->faces.size(), 1u);
}

TEST_F(ObjReaderTest, PrefixesAreExactCaseSensitiveAndInTheFirstColumn) {
    ObjModel* model = LoadText("g\n" // no blank: no group
                               "G x\n"
                               " g indented\n"
                               "\tv 1 1 1\n"
                               " v 1 1 1\n"
                               "# v 1 1 1\n"
                               "V 1 1 1\n"
                               "v\t1 1 1\n"
                               "vp 1 1\n"
                               "o object\ns 1\nl 1 2\np 1\n"
                               "f\t1 2 3\n"
                               "F 1 2 3\n"
                               "v 7 8 9\n");
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(model->meshes.size(), 1u);
    EXPECT_EQ(model->meshes[0]->name, "objeto");
    ASSERT_EQ(model->meshes[0]->vertices.size(), 1u);
    EXPECT_EQ(model->meshes[0]->vertices[0].x, 7.0f);
    EXPECT_TRUE(model->meshes[0]->faces.empty());
    EXPECT_EQ(output.find("Novo modelo"), std::string::npos);
}

TEST_F(ObjReaderTest, GroupNamesAreKeptWhole) {
    ObjModel* model = LoadText("g  two  words \ng \ng\xE9\n");
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(model->meshes.size(), 2u);
    EXPECT_EQ(model->meshes[0]->name, " two  words ");
    EXPECT_EQ(model->meshes[1]->name, "");
    EXPECT_NE(output.find("Novo modelo:  two  words \n"), std::string::npos);
    EXPECT_NE(output.find("Novo modelo: \n"), std::string::npos);
}

TEST_F(ObjReaderTest, UsemtlSelectsTheMaterialOfLaterFaces) {
    LoadMaterialText("newmtl red\nnewmtl blue\n");
    ObjModel* model = LoadText("v 0 0 0\nf 1 1 1\nusemtl blue\nf 1 1 1\n"
                               "g other\nf 1 1 1\nusemtl red\nf 1 1 1\n");
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->meshes[0]->faces[0].materialIndex, -1);
    EXPECT_EQ(model->meshes[0]->faces[1].materialIndex, 1);
    EXPECT_EQ(model->meshes[1]->faces[0].materialIndex, 1); // groups keep the material
    EXPECT_EQ(model->meshes[1]->faces[1].materialIndex, 0);
}

TEST_F(ObjReaderTest, UnknownMaterialFailsTheLoadUnlessLenientGivesItsFacesTheDefault) {
    LoadMaterialText("newmtl red\n");
    const std::string text = "g a\nv 0 0 0\nusemtl \tred \nf 1 1 1\nusemtl Red\nf 1 1 1\n"
                             "g b\nf 1 1 1\nusemtl red\nf 1 1 1\n";
    std::string errors;
    ObjModel* model = nullptr;
    {
        const CapturedDiagnostics reports;
        model = LoadText(text, "Data/test.obj", true, true);
        errors = reports.Text();
    }
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->meshes[0]->faces[0].materialIndex, 0); // the trimmed name matches
    EXPECT_EQ(model->meshes[0]->faces[1].materialIndex, defaultMaterialIndex);
    EXPECT_EQ(model->meshes[1]->faces[0].materialIndex, defaultMaterialIndex);
    EXPECT_EQ(model->meshes[1]->faces[1].materialIndex, 0);
    EXPECT_NE(output.find("Novo modelo: a\n"
                          "Erro! Material Red n\xE3o encontrado!\n"
                          "Usando o material padr\xE3o.\n"
                          "Vertices: "),
              std::string::npos)
        << output;
    EXPECT_EQ(errors, "quillmere: Data/test.obj:5: material \"Red\" is defined by no material "
                      "library; its faces get the default material\n");
    // The same text without leniency stops at the unknown name; the case must match.
    UnloadModel(nullptr);
    EXPECT_EQ(LoadText(text), nullptr);
    EXPECT_EQ(output, "*** Objeto: Data/test.obj\n"
                      "Novo modelo: a\n"
                      "Erro! Material Red n\xE3o encontrado!\n");
    EXPECT_TRUE(modelList.empty()); // and the partial model is freed (leak sanitizer)
    EXPECT_EQ(materialTable.size(), 1u);
}

TEST_F(ObjReaderTest, MtllibLineMayNameSeveralLibraries) {
    const std::string folder = testing::TempDir() + "quillmere_mtllib/";
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "a.mtl") << "newmtl a\n";
    std::ofstream(folder + "b.mtl") << "newmtl b\n";
    std::ofstream(folder + "my lib.mtl") << "newmtl spaced\n";
    ObjModel* model = LoadText("mtllib  a.mtl\tb.mtl \nmtllib my lib.mtl \nmtllib gone.mtl a.mtl\n"
                               "v 0 0 0\nf 1 1 1\n",
                               folder + "m.obj");
    std::filesystem::remove_all(folder);
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(materialTable.size(), 3u);
    EXPECT_EQ(materialTable[0]->name, "a");
    EXPECT_EQ(materialTable[1]->name, "b");
    EXPECT_EQ(materialTable[2]->name, "spaced"); // one name with a blank that exists
    // A library that is missing is reported; the others on its line are still read.
    EXPECT_NE(output.find("Erro na leitura do arquivo de materiais!\naux = \"newmtl a\""),
              std::string::npos)
        << output;
}

TEST_F(ObjReaderTest, UsematLoadsAnImageButChangesNoMaterial) {
    LoadMaterialText("newmtl red\n");
    ObjModel* model = LoadText("usemtl red\nusemat (null)\nusemat pics/eye.bmp\nf 1 1 1\n",
                               "models/a.obj", false);
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(textureLoads.size(), 1u);
    EXPECT_EQ(textureLoads[0].fileName, "models/pics/eye.bmp");
    EXPECT_FALSE(textureLoads[0].mipmaps);
    EXPECT_EQ(model->meshes[0]->faces[0].materialIndex, 0);
    EXPECT_EQ(output, "*** Objeto: models/a.obj\n"
                      "carregou bmp\n"
                      "Vertices: 0\nFaces:    1\nNormais:  0\nTexcoords:0\n"
                      "Limites: 0 0 0 - 0 0 0\n");
}

TEST_F(ObjReaderTest, ReadErrorFailsTheLoad) {
    std::istringstream in("v 1 2 3\n");
    in.setstate(std::ios::badbit);
    testing::internal::CaptureStdout();
    EXPECT_EQ(ReadModelFromStream(in, "x.obj", true, false, RecordTextureLoad), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "*** Objeto: x.obj\nErro de leitura!!!\n");
    EXPECT_TRUE(modelList.empty());

    // A folder opens like a file but cannot be read.
    const std::string folder = testing::TempDir() + "quillmere_obj_folder.obj";
    std::filesystem::create_directories(folder);
    testing::internal::CaptureStdout();
    EXPECT_EQ(ReadFile(folder, true, true), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "*** Objeto: " + folder + "\nErro de leitura!!!\n");
    std::filesystem::remove_all(folder);
}

TEST_F(ObjReaderTest, MissingFileFailsSilently) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(ReadFile(DataPath("no-such-model.obj"), true, true), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_TRUE(modelList.empty());
}

TEST_F(ObjReaderTest, FileLoadReadsLibrariesBesideTheModelInOrder) {
    testing::internal::CaptureStdout();
    ObjModel* model = ReadFile(DataPath("scene.obj"), true, true);
    output = testing::internal::GetCapturedStdout();
    ASSERT_NE(model, nullptr);
    const std::string path = DataPath("scene.obj");
    EXPECT_EQ(output, "*** Objeto: " + path +
                          "\n"
                          "aux = \"newmtl skin\" size = 11\n"
                          "aux = \"Ka 0.2 0.2 0.2\" size = 14\n"
                          "aux = \"Kd 0.8 0.8 0.8\" size = 14\n"
                          "aux = \"Ks 0 0 0\" size = 8\n"
                          "aux = \"Ns 250\" size = 6\n"
                          "aux = \"d 1\" size = 3\n"
                          "aux = \"map_Kd skin.bmp\" size = 15\n"
                          "carregou bmp\n"
                          "Erro na leitura do arquivo de materiais!\n"
                          "Novo modelo: body\n"
                          "Vertices: 4\nFaces:    2\nNormais:  1\nTexcoords:4\n"
                          "Novo modelo: eye\n"
                          "carregou bmp\n"
                          "Vertices: 3\nFaces:    1\nNormais:  0\nTexcoords:0\n"
                          "Limites: -0.25 0.5 0.75 - 0.25 0.75 0.75\n");
    ASSERT_EQ(materialTable.size(), 1u);
    ASSERT_EQ(textureLoads.size(), 2u);
    EXPECT_EQ(textureLoads[0].fileName, DataPath("skin.bmp"));
    EXPECT_TRUE(textureLoads[0].mipmaps);
    EXPECT_EQ(textureLoads[1].fileName, DataPath("eye.bmp"));
    EXPECT_EQ(materialTable[0]->textureId, static_cast<int>(textureTable[0]->id));
    EXPECT_EQ(model->meshes[0]->faces[1].materialIndex, 0);
    EXPECT_EQ(model->meshes[1]->faces[0].materialIndex, 0);
    EXPECT_EQ(Faces(*model->meshes[0])[1].vertexCount, 4);
}

TEST_F(ObjReaderTest, KeepMaterialsDecidesWhetherTheTableStartsEmpty) {
    testing::internal::CaptureStdout();
    ObjModel* first = ReadFile(DataPath("scene.obj"), true, true);
    ObjModel* second = ReadFile(DataPath("scene.obj"), true, true);
    testing::internal::GetCapturedStdout();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(materialTable.size(), 1u); // skin was met again and skipped
    ObjMaterial* kept = materialTable[0];

    // Without keeping, the old pointers are dropped (not deleted) and skin is read anew.
    testing::internal::CaptureStdout();
    ObjModel* third = ReadFile(DataPath("scene.obj"), true, false);
    testing::internal::GetCapturedStdout();
    ASSERT_NE(third, nullptr);
    ASSERT_EQ(materialTable.size(), 1u);
    EXPECT_NE(materialTable[0], kept);
    delete kept;
    EXPECT_EQ(modelList, (std::vector<ObjModel*>{first, second, third}));
}

TEST_F(ObjReaderTest, HostileInputLoadsAndNothingReadsOutsideTheLists) {
    std::string text = "v 1e999999 -1e999999 1e-999999\n"
                       "v 99999999999999999999999999999999999999999 x\n"
                       "v --1 ++2 .e\n"
                       "vn\n"
                       "vt\n"
                       "f 0 0 0\n"
                       "f -1 -2 -3 -4 -5\n"
                       "f 2147483647 -2147483648 99999999999999999999\n"
                       "f ////// /1/ 1// //1 ///\n"
                       "f a/b/c d/e/f\n"
                       "f 1\n"
                       "f 1 2\n"
                       "g \n"
                       "f 1 2 3\n"
                       "usemat\n"
                       "mtllib\n"
                       "f\x01 \xff\xfe 1\t/2 3\r\r\n";
    text += "f";
    for (int i = 0; i < 1000; ++i) {
        text += " " + std::to_string(i % 7 - 3) + "/" + std::to_string(i) + "/";
    }
    text += "\n";
    ObjModel* model = LoadText(text, "test.obj");
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(model->meshes.size(), 2u);
    const ObjMesh& first = *model->meshes[0];
    EXPECT_EQ(first.vertices[0].x, FLT_MAX);
    EXPECT_EQ(first.vertices[0].y, 0.0f);
    EXPECT_EQ(first.faces.size(), 7u);
    EXPECT_EQ(Faces(first)[5].vertexIndices, (Indices{0}));
    EXPECT_EQ(model->meshes[1]->faces.back().VertexCount(), 1000);

    // Normals of faces whose corners fall outside the vertex list stay zero.
    ComputeModelNormals(model);
    for (const ObjMesh* mesh : model->meshes) {
        ASSERT_EQ(mesh->normals.size(), mesh->faces.size());
    }
    for (const Vector3& n : model->meshes[1]->normals) {
        EXPECT_EQ(n.x, 0.0f);
        EXPECT_EQ(n.y, 0.0f);
        EXPECT_EQ(n.z, 0.0f);
    }
    ScaleModel(model, 2.0f);
    UnloadModel(model);
    EXPECT_TRUE(modelList.empty());
}

TEST(FolderOf, KeepsEverythingUpToTheLastSlash) {
    EXPECT_EQ(FolderOf("./Data/uvmappedvorbel.obj"), "./Data/");
    EXPECT_EQ(FolderOf("a/b/c.obj"), "a/b/");
    EXPECT_EQ(FolderOf("model.obj"), "");
    EXPECT_EQ(FolderOf("dir\\model.obj"), "");
    EXPECT_EQ(FolderOf("/model.obj"), "/");
    EXPECT_EQ(FolderOf("dir/"), "dir/");
    EXPECT_EQ(FolderOf(""), "");
}

} // namespace

// Every element's first coordinate is its model-wide number, so whatever a corner points at
// tells which element it reaches, whichever mesh holds it.
struct CrossGroupCase {
    const char* layout;
    const char* text;
    // Per mesh, per face, the model-wide numbers of the corners' vertex, coordinate and normal.
    std::vector<std::vector<std::vector<std::array<int, 3>>>> corners;
    std::vector<std::size_t> ownVertices;  // what the statistics count, per mesh
    std::vector<std::size_t> heldVertices; // own plus copies, per mesh
};

TEST_F(ObjReaderTest, FacesReachElementsOfEarlierMeshesThroughCopies) {
    const std::vector<CrossGroupCase> cases = {
        {"shared pool, then groups",
         "v 1 0 0\nv 2 0 0\nv 3 0 0\nv 4 0 0\nvt 1 0\nvt 2 0\nvn 0 0 1\nvn 0 0 2\n"
         "g a\nf 1/1/1 2/2/2 3/1/2\ng b\nf 3/2/1 2/2/2 4/1/1\nf 4/1/1 3/2/1 1/1/2\n",
         {{},
          {{{1, 1, 1}, {2, 2, 2}, {3, 1, 2}}},
          {{{3, 2, 1}, {2, 2, 2}, {4, 1, 1}}, {{4, 1, 1}, {3, 2, 1}, {1, 1, 2}}}},
         {4, 0, 0},
         {4, 3, 4}},
        {"own and earlier vertices mixed, relative numbers, vertices after the faces",
         "g a\nv 1 0 0\nv 2 0 0\nv 3 0 0\nf 1 2 3\ng b\nv 4 0 0\nf 4 -2 2\nv 5 0 0\n"
         "f -1 -2 -3 -5\n",
         {{{{1, 0, 0}, {2, 0, 0}, {3, 0, 0}}},
          {{{4, 0, 0}, {3, 0, 0}, {2, 0, 0}}, {{5, 0, 0}, {4, 0, 0}, {3, 0, 0}, {1, 0, 0}}}},
         {3, 2},
         {3, 5}},
    };
    for (const CrossGroupCase& c : cases) {
        ClearTables();
        ObjModel* model = LoadText(c.text);
        ASSERT_NE(model, nullptr) << c.layout;
        ASSERT_EQ(model->meshes.size(), c.corners.size()) << c.layout;
        for (std::size_t m = 0; m < c.corners.size(); ++m) {
            const ObjMesh& mesh = *model->meshes[m];
            EXPECT_NE(output.find("Vertices: " + std::to_string(c.ownVertices[m]) +
                                  "\nFaces:    " + std::to_string(c.corners[m].size()) + "\n"),
                      std::string::npos)
                << c.layout << " mesh " << m;
            EXPECT_EQ(mesh.vertices.size(), c.heldVertices[m]) << c.layout << " mesh " << m;
            ASSERT_EQ(mesh.faces.size(), c.corners[m].size()) << c.layout;
            for (std::size_t f = 0; f < mesh.faces.size(); ++f) {
                const FaceView face = Faces(mesh)[f];
                for (std::size_t j = 0; j < c.corners[m][f].size(); ++j) {
                    const std::array<int, 3>& want = c.corners[m][f][j];
                    const auto at = [&](const auto& list, const std::vector<int>& indices) {
                        const int index = indices.at(j);
                        EXPECT_GE(index, 0) << c.layout << " mesh " << m << " face " << f;
                        return index >= 0 && static_cast<std::size_t>(index) < list.size()
                                   ? static_cast<int>(index)
                                   : -1;
                    };
                    const int v = at(mesh.vertices, face.vertexIndices);
                    ASSERT_NE(v, -1) << c.layout << " mesh " << m << " face " << f;
                    EXPECT_EQ(mesh.vertices[v].x, want[0]) << c.layout << " " << m << f << j;
                    if (want[1] != 0) {
                        const int t = at(mesh.texCoords, face.texCoordIndices);
                        ASSERT_NE(t, -1) << c.layout;
                        EXPECT_EQ(mesh.texCoords[t].u, want[1]) << c.layout << " " << m << f << j;
                        const int n = at(mesh.normals, face.normalIndices);
                        ASSERT_NE(n, -1) << c.layout;
                        EXPECT_EQ(mesh.normals[n].z, want[2]) << c.layout << " " << m << f << j;
                    }
                }
            }
        }
    }
}

TEST_F(ObjReaderTest, LargeModelsLoadTheSameWhetherTheSizeIsKnownOrNot) {
    // Lists of more than a megabyte get their room from the rest of the file; a second group
    // starts with the first one's room. Neither may change what is read.
    std::string text = "# big\n";
    for (int group = 0; group < 2; ++group) {
        text += "g part" + std::to_string(group) + "\n";
        const int base = group * 120000;
        for (int i = 0; i < 120000; ++i) {
            text += "v " + std::to_string(i % 997) + " " + std::to_string(i / 997) + " 0.5\n";
            text += "vt 0." + std::to_string(i % 1000) + " 0.25\n";
        }
        for (int i = 1; i + 2 <= 120000; i += 2) {
            const std::string a = std::to_string(base + i);
            const std::string b = std::to_string(base + i + 1);
            const std::string c = std::to_string(base + i + 2);
            text += "f " + a + "/" + a + " " + b + "/" + b + " " + c + "/" + c + "\n";
        }
    }
    ObjModel* known = LoadText(text);
    const std::string knownOutput = output;
    UnseekableBuffer buffer(text);
    std::istream unseekable(&buffer);
    testing::internal::CaptureStdout();
    ObjModel* unknown =
        ReadModelFromStream(unseekable, "Data/test.obj", true, false, RecordTextureLoad);
    output = testing::internal::GetCapturedStdout();
    ASSERT_NE(known, nullptr);
    ASSERT_NE(unknown, nullptr);
    EXPECT_EQ(output, knownOutput);
    ASSERT_EQ(known->meshes.size(), 2u);
    ExpectSameMeshes(*known, *unknown);
    for (const ObjMesh* mesh : known->meshes) {
        ASSERT_EQ(mesh->vertices.size(), 120000u);
        EXPECT_EQ(mesh->vertices.back().y, 120.0f);
        EXPECT_EQ(Faces(*mesh).back().vertexIndices, (Indices{119996, 119997, 119998}));
        EXPECT_EQ(Faces(*mesh).back().texCoordIndices, (Indices{119996, 119997, 119998}));
    }
}

// Two loads agree on every record, field by field, the lists beyond faces included.
void ExpectSameRecords(const ObjModel& a, const ObjModel& b) {
    ExpectSameMeshes(a, b);
    ASSERT_EQ(a.meshes.size(), b.meshes.size());
    const auto same = [](const auto& x, const auto& y) {
        return x.size() == y.size() &&
               (x.empty() || std::memcmp(x.data(), y.data(), x.size() * sizeof(*x.data())) == 0);
    };
    const auto spans = [](const std::vector<ObjElement>& elements) {
        std::vector<std::array<int, 3>> result;
        for (const ObjElement& element : elements) {
            result.push_back({static_cast<int>(element.firstIndex), static_cast<int>(element.count),
                              element.materialIndex});
        }
        return result;
    };
    for (std::size_t m = 0; m < a.meshes.size(); ++m) {
        SCOPED_TRACE("mesh " + std::to_string(m));
        const ObjMesh& x = *a.meshes[m];
        const ObjMesh& y = *b.meshes[m];
        EXPECT_TRUE(same(x.normals, y.normals));
        EXPECT_TRUE(same(x.colors, y.colors));
        EXPECT_EQ(x.smoothingGroups, y.smoothingGroups);
        EXPECT_EQ(x.smoothingOff, y.smoothingOff);
        EXPECT_EQ(x.elementIndices, y.elementIndices);
        EXPECT_EQ(spans(x.points), spans(y.points));
        EXPECT_EQ(spans(x.lines), spans(y.lines));
        ASSERT_EQ(x.faces.size(), y.faces.size());
        for (std::size_t f = 0; f < x.faces.size(); ++f) {
            EXPECT_EQ(x.faces[f].firstIndex, y.faces[f].firstIndex);
            EXPECT_EQ(x.faces[f].shape, y.faces[f].shape);
            EXPECT_EQ(x.faces[f].materialIndex, y.faces[f].materialIndex);
        }
    }
}

// The layout models and a few texts that stretch the reader: a byte-order mark, CRLF line ends,
// lists that a first count sizes short, and a text of over a megabyte with every kind of element.
std::vector<std::pair<std::string, std::string>> ObjReaderTest::ReaderModels() {
    std::vector<std::pair<std::string, std::string>> models;
    for (const auto& entry : std::filesystem::directory_iterator(DataPath("layouts"))) {
        if (entry.path().extension() == ".obj") {
            std::ifstream in(entry.path());
            models.emplace_back(entry.path().string(),
                                std::string(std::istreambuf_iterator<char>(in), {}));
        }
    }
    EXPECT_GE(models.size(), 8u);
    models.emplace_back("Data/bom.obj", "\xEF\xBB\xBF" + std::string(twoGroups));
    models.emplace_back("Data/crlf.obj", WithCrlf(twoGroups));
    models.emplace_back("Data/late.obj",
                        "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nf 1 2 3\nf 1/1 2/1 3/1 4/1\n"
                        "s 2\nf 1 2 4\ng b\nv 2 0 0 1 0 0\np 1 5\nl 5 -1\nf -1 1 2 3 4\n"
                        "f 5 4 3");
    // Over a megabyte, so that lines cross the blocks of the count; every kind of element.
    std::string large = "g big\n";
    for (int i = 0; i < 200000; ++i) {
        large += "v " + std::to_string(i % 991) + ".125 " + std::to_string(i / 991) + " -2.5\n";
        large += i % 3 ? "vt 0.5 0.25\n" : "vn 0 0 1\r\n";
    }
    for (int i = 1; i + 3 <= 200000; i += 3) {
        const std::string a = std::to_string(i);
        const std::string b = std::to_string(i + 1);
        const std::string c = std::to_string(i + 2);
        large += i % 2 ? "f " + a + " " + b + " " + c + "\n"
                       : "f " + a + " " + b + " " + c + " " + std::to_string(i + 3) + "\n";
    }
    models.emplace_back("Data/large.obj", large);
    return models;
}

TEST_F(ObjReaderTest, ListsSizedByAFirstCountHoldWhatGrowingListsHold) {
    // A stream that can be read twice is counted first and its lists sized from the count; one
    // that cannot grows them. The count must leave the reading where it found it (after a
    // byte-order mark) and must not change a record, also where it falls short (a quadrilateral
    // after triangles, borrowed elements, colours and smoothing groups that start late).
    const std::vector<std::pair<std::string, std::string>> models = ReaderModels();
    for (const auto& [path, text] : models) {
        SCOPED_TRACE(path);
        ClearMaterials();
        ObjModel* counted = LoadText(text, path);
        const std::string countedOutput = output;
        ClearMaterials();
        UnseekableBuffer buffer(text);
        std::istream unseekable(&buffer);
        testing::internal::CaptureStdout();
        ObjModel* grown = ReadModelFromStream(unseekable, path, true, false, RecordTextureLoad);
        output = testing::internal::GetCapturedStdout();
        ASSERT_EQ(counted == nullptr, grown == nullptr);
        EXPECT_EQ(output, countedOutput);
        if (counted != nullptr) {
            EXPECT_FALSE(counted->meshes.empty());
            ExpectSameRecords(*counted, *grown);
        }
    }
    // The count is exact: the lists of a mesh that borrows nothing have just their room.
    const std::string& large = models.back().second;
    for (const std::string& text : {std::string(twoGroups), large + "g next\nv 1 2 3\nf 1 1 1\n"}) {
        ObjModel* model = LoadText(text);
        ASSERT_NE(model, nullptr);
        for (const ObjMesh* mesh : model->meshes) {
            SCOPED_TRACE(mesh->name);
            EXPECT_EQ(mesh->vertices.capacity(), mesh->vertices.size());
            EXPECT_EQ(mesh->normals.capacity(), mesh->normals.size());
            EXPECT_EQ(mesh->texCoords.capacity(), mesh->texCoords.size());
            EXPECT_EQ(mesh->faces.capacity(), mesh->faces.size());
        }
    }
}

// The count of the parts of a text, put together, is the count of the whole text: statements
// whose first bytes lie at a part's end, CRLF, a last line without a line end, group lines that
// are no groups. A wrong count would make every part be read again line by line.
TEST_F(ObjReaderTest, PartsAreCountedAsTheWholeText) {
    const std::string texts[] = {
        twoGroups,
        WithCrlf(twoGroups),
        "v 1 2 3\nvt 0 0\nv",
        "g a\nv 1 2 3\ng\tb\nvn 1 2 3\nvt 1 2\nf 1 2 3\ng\nvx 1\nf\ng b\nv 4 5 6",
    };
    const auto plan = [](const std::vector<PlannedMesh>& meshes) {
        std::vector<std::array<std::size_t, 4>> result;
        for (const PlannedMesh& mesh : meshes) {
            result.push_back({mesh.vertices, mesh.normals, mesh.texCoords, mesh.faces});
        }
        return result;
    };
    for (const std::string& text : texts) {
        std::istringstream in(text);
        const StatementCount whole = CountStatements(in);
        for (std::size_t border = 1; border < text.size(); ++border) {
            if (text[border - 1] != '\n') {
                continue; // parts start at line starts
            }
            SCOPED_TRACE(text.substr(0, border) + "|");
            const StatementCount first = CountStatements(PartText{text.data(), border, border});
            const StatementCount second = CountStatements(
                PartText{text.data() + border, text.size() - border, text.size() - border});
            std::vector<PlannedMesh> joined = first.plan;
            joined.back().vertices += second.plan[0].vertices;
            joined.back().normals += second.plan[0].normals;
            joined.back().texCoords += second.plan[0].texCoords;
            joined.back().faces += second.plan[0].faces;
            joined.insert(joined.end(), second.plan.begin() + 1, second.plan.end());
            EXPECT_EQ(plan(joined), plan(whole.plan));
            EXPECT_EQ(first.lines + second.lines,
                      static_cast<std::uint64_t>(std::count(text.begin(), text.end(), '\n')));
        }
    }
}

TEST_F(ObjReaderTest, PartsReadOnThreadsGiveTheRecordsOfOneReading) {
    // Every model read in 2 to 8 parts on 2 or 3 threads, whose borders fall wherever the shares
    // put them (inside lines, between CR and LF, in a group's elements or faces): the same console
    // output and the same records as one reading. The texts after the layouts put every statement
    // the threads leave to the reader into later parts: groups, materials, smoothing, points,
    // lines, colours, numbers relative and across groups, an unknown material, no final line end.
    std::vector<std::pair<std::string, std::string>> models = ReaderModels();
    std::string mixed = "mtllib blender-body.mtl\n";
    for (int g = 0; g < 40; ++g) {
        mixed += g % 4 ? "v 0 0 0\nv 1 0 0 0.5 0.5 0.5\nv 1 1 0\nvt 0 0\nvn 0 0 1\n"
                       : "g part" + std::to_string(g) + "\nv 0 0 2\nv 1 0 2\nv 1 1 2\n";
        mixed += g % 3 ? "usemtl Body\ns 1\n" : "s off\n";
        mixed += "f -3 -2 -1\nf 1 2 3\nf 1/1/1 -2/-1/-1 3//1\np -1\nl 1 -2\n# note\n";
    }
    models.emplace_back(DataPath("layouts/mixed.obj"), mixed + "f 1 2 3");
    models.emplace_back("Data/unknown.obj", mixed + "usemtl Nowhere\nf 1 2 3\n");
    // Two whole pages ending in a line without a line end: the last line of a mapped part, with
    // no room after it on its page, is read from a copy and gives what one reading gives.
    std::string pages = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";
    while (pages.size() < 8192 - 8) {
        pages += pages.size() % 3 ? "# padding\n" : "vn 0 0 1\n";
    }
    pages.resize(8192 - 8, '#');
    models.emplace_back("Data/pages.obj", pages + "\nf 1 2 3");
    // Two halves of 64 KB: the last part, read here, ends where a full block of the stream does.
    std::string halves;
    for (int i = 0; i < 16384; ++i) {
        halves += "v 1 2 3\n";
    }
    models.emplace_back("Data/halves.obj", halves);
    enum class Source { mapped, streams, none };
    for (const auto& [path, text] : models) {
        SCOPED_TRACE(path);
        ClearMaterials();
        ObjModel* once = LoadText(text, path);
        const std::string onceOutput = output;
        // The parts mapped from a file, read through streams of their own, or (no helper having
        // a stream) all read here.
        const std::string file = testing::TempDir() + "parts.obj";
        std::ofstream(file, std::ios::binary) << text;
        for (const auto& [threadCount, parts, source] : {std::tuple{2u, 2u, Source::mapped},
                                                         {2u, 3u, Source::streams},
                                                         {3u, 5u, Source::mapped},
                                                         {2u, 8u, Source::streams},
                                                         {2u, 2u, Source::none}}) {
            const bool mapped = source == Source::mapped;
            SCOPED_TRACE(std::to_string(parts) + " parts on " + std::to_string(threadCount) +
                         " threads, source " + std::to_string(static_cast<int>(source)));
            ClearMaterials();
            std::ifstream fromFile(file, std::ios::binary);
            std::istringstream fromText(text);
            ReadingThreads threads;
            threads.threads = threadCount;
            threads.parts = parts;
            threads.smallestText = 0;
            if (mapped) {
                threads.file = file;
            } else {
                threads.open = [&text, source = source]() -> std::unique_ptr<std::istream> {
                    if (source == Source::none) {
                        return nullptr;
                    }
                    return std::make_unique<std::istringstream>(text);
                };
            }
            testing::internal::CaptureStdout();
            ObjModel* inParts =
                ReadModelFromStream(mapped ? static_cast<std::istream&>(fromFile) : fromText, path,
                                    true, false, RecordTextureLoad, threads);
            output = testing::internal::GetCapturedStdout();
            ASSERT_EQ(once == nullptr, inParts == nullptr);
            EXPECT_EQ(output, onceOutput);
            if (once != nullptr) {
                ExpectSameRecords(*once, *inParts);
            }
        }
    }
}

// What files add beyond faces: smoothing groups, points, lines and vertex colours.
struct ExtrasCase {
    const char* why;
    const char* text;
    std::size_t mesh;
    std::vector<std::uint32_t> groups;
    std::vector<std::array<std::uint32_t, 2>> points; // first index, count
    std::vector<std::array<std::uint32_t, 2>> lines;
    Indices elementIndices;
    std::vector<std::array<float, 3>> colors;
    std::vector<float> vertexX; // every vertex's x, copies included
};

TEST_F(ObjReaderTest, MeshesWhoseFacesAreAllOffAreMarkedWithoutAList) {
    const std::string tri = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";
    const struct {
        const char* why;
        std::string text;
        std::vector<std::uint32_t> groups;
        bool off;
    } cases[] = {
        {"without s a mesh is smooth", tri + "f 1 2 3\n", {}, false},
        {"s off before the faces", tri + "s off\nf 1 2 3\nf 1 2 3\n", {}, true},
        {"a face before s 0 is off too", tri + "f 1 2 3\ns 0\nf 1 2 3\n", {}, true},
        {"an s after the mesh's last face changes nothing", tri + "f 1 2 3\ns off\n", {}, false},
        {"off carries into the next mesh", tri + "s off\ng a\nf 1 2 3\n", {}, true},
        {"a group after off faces lists them",
         tri + "s off\nf 1 2 3\ns 3\nf 1 2 3\ns 0\nf 1 2 3\n",
         {0, 3, 0},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        ClearTables();
        ObjModel* model = LoadText(c.text);
        ASSERT_NE(model, nullptr);
        const ObjMesh& mesh = *model->meshes.back();
        EXPECT_EQ(mesh.smoothingGroups, c.groups);
        EXPECT_EQ(mesh.smoothingOff, c.off);
    }
}

TEST_F(ObjReaderTest, SmoothingGroupsPointsLinesAndColoursGetTheirOwnFields) {
    const std::vector<ExtrasCase> cases = {
        {"faces before the first s get 0; off and 0 are 0",
         "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\ns 1\nf 1 2 3\ns off\nf 1 2 3\ns 0\nf 1 2 3\n"
         "s 4\nf 1 2 3\n",
         0,
         {0, 1, 0, 0, 4},
         {},
         {},
         {},
         {},
         {0, 1, 0}},
        {"a group read before a mesh's faces carries over; a mesh without faces after an s has "
         "no list",
         "g a\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\ns 2\ng b\nv 5 0 0\nf 1 2 4\n",
         1,
         {2},
         {},
         {},
         {},
         {},
         {5, 0, 1}},
        {"points and lines keep vertex numbers; relative ones count back, texture parts go",
         "v 0 0 0\nv 1 0 0\nv 2 0 0\nv 3 0 0\np 1 2\np -1\nl 1 2 3\nl 3/1 4/2\np\n",
         0,
         {},
         {{0, 2}, {2, 1}},
         {{3, 3}, {6, 2}},
         {0, 1, 3, 0, 1, 2, 2, 3},
         {},
         {0, 1, 2, 3}},
        {"points and lines reach earlier groups' vertices through the face's copies",
         "g a\nv 0 0 0\nv 1 0 0\nv 2 0 0\ng b\nv 3 0 0\nv 4 0 0\np 1 4\nf 4 5 2\nl -5 5 -4\n",
         1,
         {},
         {{0, 2}},
         {{2, 3}},
         {2, 0, 2, 1, 3},
         {},
         {3, 4, 0, 1}},
        {"colours keep pace with the vertices once one has a colour; a w alone is no colour",
         "v 0 0 0 1\nv 1 0 0 0.2 0.3 0.4\nv 2 0 0\n",
         0,
         {},
         {},
         {},
         {},
         {{1, 1, 1}, {0.2f, 0.3f, 0.4f}, {1, 1, 1}},
         {0, 1, 2}},
        {"a borrowed vertex brings its colour; the mesh's own uncoloured ones are white",
         "g a\nv 0 0 0 1 0 0\nv 1 0 0\ng b\nv 2 0 0\nf 3 1 2\n",
         1,
         {},
         {},
         {},
         {},
         {{1, 1, 1}, {1, 0, 0}, {1, 1, 1}},
         {2, 0, 1}},
        {"a mesh whose vertices, own or borrowed, have no colour keeps no list",
         "g a\nv 0 0 0\nv 1 0 0\ng b\nv 2 0 0 0 0 1\ng c\nv 3 0 0\nf 4 2 2\n",
         2,
         {},
         {},
         {},
         {},
         {},
         {3, 1}},
    };
    for (const ExtrasCase& c : cases) {
        SCOPED_TRACE(c.why);
        ClearTables();
        ObjModel* model = LoadText(c.text);
        ASSERT_NE(model, nullptr);
        ASSERT_LT(c.mesh, model->meshes.size());
        const ObjMesh& mesh = *model->meshes[c.mesh];
        EXPECT_EQ(mesh.smoothingGroups, c.groups);
        const auto spans = [](const std::vector<ObjElement>& elements) {
            std::vector<std::array<std::uint32_t, 2>> result;
            for (const ObjElement& element : elements) {
                result.push_back({element.firstIndex, element.count});
            }
            return result;
        };
        EXPECT_EQ(spans(mesh.points), c.points);
        EXPECT_EQ(spans(mesh.lines), c.lines);
        EXPECT_EQ(mesh.elementIndices, c.elementIndices);
        std::vector<std::array<float, 3>> colors;
        for (const Vector3& color : mesh.colors) {
            colors.push_back({color.x, color.y, color.z});
        }
        EXPECT_EQ(colors, c.colors);
        std::vector<float> xs;
        for (const Vector3& v : mesh.vertices) {
            xs.push_back(v.x);
        }
        EXPECT_EQ(xs, c.vertexX);
    }
}

TEST_F(ObjReaderTest, StatementsBeyondFacesLeaveTheConsoleAccountAsItWas) {
    const std::string plain = "g a\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
    ObjModel* model = LoadText(plain);
    ASSERT_NE(model, nullptr);
    const std::string expected = output;
    ClearTables();
    model = LoadText("p 1\nl 1 2\ns 1\ng a\nv 0 0 0 1 0 0\nv 1 0 0\nv 0 1 0 0 1 0\np 1 2\n"
                     "l 1 2 3\nf 1 2 3\ns off\n");
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(output, expected);
    // Points and lines before any vertex name nothing and make no mesh.
    ASSERT_EQ(model->meshes.size(), 1u);
    EXPECT_EQ(model->meshes[0]->vertices.size(), 3u);
}
