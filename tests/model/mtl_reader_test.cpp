#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "common/diagnostics.h"
#include "model/material_names.h"
#include "reader_fixture.h"

namespace {

class MtlReaderTest : public ReaderTest {};

void ExpectColor(const float* color, float r, float g, float b, float a) {
    EXPECT_FLOAT_EQ(color[0], r);
    EXPECT_FLOAT_EQ(color[1], g);
    EXPECT_FLOAT_EQ(color[2], b);
    EXPECT_FLOAT_EQ(color[3], a);
}

const char* const skinBlock = "newmtl skin\n"
                              "Ka 0.2 0.2 0.2\n"
                              "Kd 0.8 0.8 0.8\n"
                              "Ks 0 0 0\n"
                              "Ns 250\n"
                              "d 1\n"
                              "map_Kd skin.bmp\n";

TEST_F(MtlReaderTest, ReadsAWholeMaterialBlock) {
    LoadMaterialText(std::string("Ka 0.2 0.2 0.2\n") + "newmtl stone\nKd 0.1 0.2 0.3\n" +
                         "Ka 0.9 0.9 0.9\n" + skinBlock,
                     "Data/", false);
    ASSERT_EQ(materialTable.size(), 2u);
    const ObjMaterial& skin = *materialTable[1];
    EXPECT_EQ(skin.name, "skin");
    ExpectColor(skin.ambient, 0.2f, 0.2f, 0.2f, 1.0f);
    ExpectColor(skin.diffuse, 0.8f, 0.8f, 0.8f, 1.0f);
    ExpectColor(skin.specular, 0.0f, 0.0f, 0.0f, 1.0f);
    ExpectColor(skin.emission, 0.0f, 0.0f, 0.0f, 1.0f);
    EXPECT_EQ(skin.shininess, 32.0f);
    ASSERT_EQ(textureLoads.size(), 1u);
    EXPECT_EQ(textureLoads[0].fileName, "Data/skin.bmp");
    EXPECT_FALSE(textureLoads[0].mipmaps);
    EXPECT_EQ(skin.textureId, static_cast<int>(textureTable[0]->id));

    // The colour line before any newmtl went nowhere; stone keeps the defaults it was not given.
    const ObjMaterial& stone = *materialTable[0];
    ExpectColor(stone.diffuse, 0.1f, 0.2f, 0.3f, 1.0f);
    ExpectColor(stone.ambient, 0.9f, 0.9f, 0.9f, 1.0f);
    ExpectColor(stone.specular, 0.0f, 0.0f, 0.0f, 1.0f);
    EXPECT_EQ(stone.textureId, -1);
    EXPECT_EQ(stone.shininess, 0.0f);
}

TEST_F(MtlReaderTest, EchoesEveryLineAsReadBeforeAnyTest) {
    LoadMaterialText("# comment\n\nnewmtl a\r\n\r\nKd 1 1 1\n\xE9\n");
    EXPECT_EQ(output, "aux = \"# comment\" size = 9\n"
                      "aux = \"\" size = 0\n"
                      "aux = \"newmtl a\r\" size = 9\n"
                      "aux = \"\r\" size = 1\n"
                      "aux = \"Kd 1 1 1\" size = 8\n"
                      "aux = \"\xE9\" size = 1\n");
    ASSERT_EQ(materialTable.size(), 1u);
    EXPECT_EQ(materialTable[0]->name, "a");
}

TEST_F(MtlReaderTest, CrlfAndLfLibrariesGiveTheSameMaterials) {
    const std::string text = std::string(skinBlock) + "newmtl glass\nd 0.5\nKs 1 1 1\n";
    LoadMaterialText(text);
    std::vector<ObjMaterial> lf;
    for (ObjMaterial* m : materialTable) {
        lf.push_back(*m);
    }
    ClearTables();
    LoadMaterialText(WithCrlf(text));
    ASSERT_EQ(materialTable.size(), lf.size());
    for (std::size_t i = 0; i < lf.size(); ++i) {
        const ObjMaterial& crlf = *materialTable[i];
        EXPECT_EQ(crlf.name, lf[i].name);
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(crlf.ambient[c], lf[i].ambient[c]);
            EXPECT_EQ(crlf.diffuse[c], lf[i].diffuse[c]);
            EXPECT_EQ(crlf.specular[c], lf[i].specular[c]);
        }
        EXPECT_EQ(crlf.shininess, lf[i].shininess);
    }
    ASSERT_EQ(textureLoads.size(), 1u);
    EXPECT_EQ(textureLoads[0].fileName, "Data/skin.bmp"); // no carriage return in the name
}

TEST_F(MtlReaderTest, FirstDefinitionOfANameWins) {
    LoadMaterialText("newmtl a\nKd 0.5 0.5 0.5\nnewmtl a\nKd 1 0 0\nmap_Kd x.bmp\nNs 1000\n"
                     "newmtl b\nKd 0 1 0\n");
    ASSERT_EQ(materialTable.size(), 2u);
    ExpectColor(materialTable[0]->diffuse, 0.5f, 0.5f, 0.5f, 1.0f);
    EXPECT_EQ(materialTable[0]->shininess, 0.0f);
    EXPECT_EQ(materialTable[0]->textureId, -1);
    EXPECT_TRUE(textureLoads.empty());
    ExpectColor(materialTable[1]->diffuse, 0.0f, 1.0f, 0.0f, 1.0f);

    // Also across libraries: a later library cannot redefine a or add lines to b.
    LoadMaterialText("Kd 0.25 0.25 0.25\nnewmtl a\nKd 1 1 1\nnewmtl c\n");
    ASSERT_EQ(materialTable.size(), 3u);
    ExpectColor(materialTable[0]->diffuse, 0.5f, 0.5f, 0.5f, 1.0f);
    ExpectColor(materialTable[1]->diffuse, 0.0f, 1.0f, 0.0f, 1.0f);
    EXPECT_EQ(materialTable[2]->name, "c");
    EXPECT_EQ(FindMaterial("c"), 2);
}

TEST_F(MtlReaderTest, ShininessAndOpacity) {
    LoadMaterialText("newmtl zero\nNs 0\nnewmtl full\nNs 1000\nnewmtl half\nd 0.5\n"
                     "Ka 0.1 0.2 0.3\nNs 500\n");
    ASSERT_EQ(materialTable.size(), 3u);
    EXPECT_EQ(materialTable[0]->shininess, 0.0f);
    EXPECT_EQ(materialTable[1]->shininess, 128.0f);
    const ObjMaterial& half = *materialTable[2];
    EXPECT_EQ(half.shininess, 64.0f);
    ExpectColor(half.ambient, 0.1f, 0.2f, 0.3f, 0.5f);
    ExpectColor(half.diffuse, 0.8f, 0.8f, 0.8f, 0.5f);
    ExpectColor(half.specular, 0.0f, 0.0f, 0.0f, 0.5f);
    ExpectColor(half.emission, 0.0f, 0.0f, 0.0f, 1.0f);
    // A line without a number leaves the value as it was; a word reads as 0.
    LoadMaterialText("newmtl again\nNs 500\nNs \nnewmtl word\nNs 500\nNs word\n");
    EXPECT_EQ(materialTable[3]->shininess, 64.0f);
    EXPECT_EQ(materialTable[4]->shininess, 0.0f);
    // Computed in double, stored as float.
    LoadMaterialText("newmtl odd\nNs 333\n");
    EXPECT_EQ(materialTable[5]->shininess, static_cast<float>(333.0f / 1000.0 * 128.0));
}

TEST_F(MtlReaderTest, PrefixesAreExactAndCaseSensitiveAfterAnyIndentation) {
    LoadMaterialText("newmtl m\n"
                     "ka 1 1 1\n"           // lower case: ignored
                     "Kd  0.5 0.25 0.125\n" // second blank skipped by extraction
                     "Ks\t1 1 1\n"          // tab: no match
                     " \t Ka 1 1 1\n"       // indented with blanks and tabs: read
                     "Kdx 1 1 1\n"
                     "illum 2\nNi 1.5\nKe 1 1 1\nmap_Ka a.bmp\nmap_Kd\n"
                     "dissolve 0.1\nd\n");
    ASSERT_EQ(materialTable.size(), 1u);
    const ObjMaterial& m = *materialTable[0];
    ExpectColor(m.ambient, 1.0f, 1.0f, 1.0f, 1.0f);
    ExpectColor(m.diffuse, 0.5f, 0.25f, 0.125f, 1.0f);
    ExpectColor(m.specular, 0.0f, 0.0f, 0.0f, 1.0f);
    ExpectColor(m.emission, 0.0f, 0.0f, 0.0f, 1.0f);
    EXPECT_TRUE(textureLoads.empty());
}

TEST_F(MtlReaderTest, NamesAreTheTrimmedRestOfTheLine) {
    LoadMaterialText("newmtl  two words \t\nmap_Kd my map.bmp \nnewmtl\nnewmtlx\n");
    ASSERT_EQ(materialTable.size(), 2u);
    EXPECT_EQ(materialTable[0]->name, "two words");
    // A bare keyword names the empty material (once): no reading past the line.
    EXPECT_EQ(materialTable[1]->name, "");
    ASSERT_EQ(textureLoads.size(), 1u);
    EXPECT_EQ(textureLoads[0].fileName, "Data/my map.bmp");
    EXPECT_EQ(GetMaterial("two words"), materialTable[0]);
    EXPECT_EQ(FindMaterial("TWO WORDS"), -1);
}

TEST_F(MtlReaderTest, MapOptionsAreSkippedAndWindowsPathsFollowed) {
    const struct {
        const char* rest;
        const char* file;
    } cases[] = {
        {"tex.bmp", "tex.bmp"},
        {"tex.bmp \t ", "tex.bmp"},
        {"my map.bmp", "my map.bmp"},
        {"-s 1 1 1 tex.bmp", "tex.bmp"},
        {"-s 2 tex.bmp", "tex.bmp"}, // one to three numbers
        {"-o 0.5 -0.5 tex.bmp", "tex.bmp"},
        {"-t 1 2 3 4.bmp", "4.bmp"}, // a fourth number is the name
        {"-mm 0 1 tex.bmp", "tex.bmp"},
        {"-bm 0.5 -clamp on -blendu off -blendv on tex.bmp", "tex.bmp"},
        {"-boost 2 -cc on -imfchan l -type sphere tex.bmp", "tex.bmp"},
        {"-colorspace sRGB -texres 512 .\\maps\\tex.bmp", "./maps/tex.bmp"},
        {"  -s 1 1 1  my map.bmp  ", "my map.bmp"},
        {"-unknown tex.bmp", "-unknown tex.bmp"},
        {"-s", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MapFileName(c.rest, "no-such-folder/"), c.file) << c.rest;

    // A name that exists is used whole, even when it reads like options.
    const std::string folder = testing::TempDir() + "quillmere_map/";
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "-s 1 a.bmp") << "x";
    EXPECT_EQ(MapFileName("-s 1 a.bmp ", folder), "-s 1 a.bmp");
    std::filesystem::remove_all(folder);

    LoadMaterialText("newmtl m\n\tmap_Kd -s 1 1 1 .\\t\\skin.bmp \r\nnewmtl n\nmap_Kd\tn.bmp\n");
    ASSERT_EQ(textureLoads.size(), 2u);
    EXPECT_EQ(textureLoads[0].fileName, "Data/./t/skin.bmp");
    EXPECT_EQ(textureLoads[1].fileName, "Data/n.bmp");
}

TEST_F(MtlReaderTest, MissingAndMalformedNumbersActLikeStreamExtraction) {
    LoadMaterialText("newmtl m\n"
                     "Ka 0.5 0.5\n"      // blue untouched
                     "Kd 0.5 x 0.5\n"    // green fails to 0, blue untouched
                     "Ks 1e50 1 1\n"     // overflow: the largest float, rest untouched
                     "Ns word\n"         // fails to 0
                     "d 0.25garbage\n"); // value read, garbage ignored
    const ObjMaterial& m = *materialTable[0];
    ExpectColor(m.ambient, 0.5f, 0.5f, 0.2f, 0.25f);
    ExpectColor(m.diffuse, 0.5f, 0.0f, 0.8f, 0.25f);
    ExpectColor(m.specular, 3.40282347e+38f, 0.0f, 0.0f, 0.25f);
    EXPECT_EQ(m.shininess, 0.0f);
}

TEST_F(MtlReaderTest, EmptyMapNameWithEmptyFolderKeepsNoTexture) {
    LoadMaterialText("newmtl m\nmap_Kd \n", "");
    ASSERT_EQ(textureLoads.size(), 1u);
    EXPECT_EQ(textureLoads[0].fileName, "");
    EXPECT_EQ(materialTable[0]->textureId, -1);
}

TEST_F(MtlReaderTest, MissingLibraryIsReportedAndTheLoadGoesOn) {
    testing::internal::CaptureStdout();
    const CapturedDiagnostics reports;
    ReadMaterials("no-such-library.mtl", DataPath(""), true, RecordTextureLoad);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Erro na leitura do arquivo de materiais!\n");
    EXPECT_EQ(reports.Text(), "quillmere: cannot open the material library \"" +
                                  DataPath("no-such-library.mtl") + "\"\n");
    EXPECT_TRUE(materialTable.empty());
}

using MtlReaderDeathTest = MtlReaderTest;

// Death-test statements print to standard output; send it to standard error where the
// death test can match it.
void StdoutToStderr() {
    dup2(STDERR_FILENO, STDOUT_FILENO);
}

TEST_F(MtlReaderDeathTest, ReadErrorEndsTheProgram) {
    std::istringstream in("newmtl a\n");
    in.setstate(std::ios::badbit);
    EXPECT_EXIT(
        {
            StdoutToStderr();
            ReadMaterialsFromStream(in, "", true, RecordTextureLoad);
            std::exit(0);
        },
        testing::ExitedWithCode(1), "^Erro de leitura!\n$");
}

} // namespace
