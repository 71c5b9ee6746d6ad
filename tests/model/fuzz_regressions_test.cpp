// Inputs that fuzzing found to break the readers, kept under tests/data/model/fuzz-regressions/
// and loaded through the same entry points as the viewer's files.
#include <gtest/gtest.h>

#include <string>

#include "model/model.h"

namespace {

std::string RegressionPath(const std::string& name) {
    return std::string(QUILLMERE_TEST_DATA) + "/model/fuzz-regressions/" + name;
}

class FuzzRegressionTest : public testing::Test {
protected:
    void TearDown() override {
        UnloadModel(nullptr);
        for (ObjMaterial* material : materialTable) {
            delete material;
        }
        materialTable.clear();
    }
};

// "mtllib" with no name (or a blank one) opens the model's own folder, which opens but cannot be
// read; that used to count as a read error inside a library and end the program.
TEST_F(FuzzRegressionTest, LibraryLineNamingTheFolderIsAnUnreadableLibrary) {
    testing::internal::CaptureStdout();
    ObjModel* model = LoadModel(RegressionPath("bare-mtllib.obj"), true, false);
    const std::string output = testing::internal::GetCapturedStdout();

    ASSERT_NE(model, nullptr);
    ASSERT_EQ(model->meshes.size(), 1u);
    EXPECT_EQ(model->meshes[0]->faces.size(), 1u);
    EXPECT_TRUE(materialTable.empty());
    const std::string message = "Erro na leitura do arquivo de materiais!\n";
    const auto first = output.find(message);
    ASSERT_NE(first, std::string::npos) << output;
    EXPECT_NE(output.find(message, first + 1), std::string::npos) << output;
    EXPECT_EQ(output.find("Erro de leitura!"), std::string::npos) << output;
}

} // namespace
