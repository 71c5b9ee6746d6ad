// Shared set-up for the reader tests: empty program-wide tables before and after every test,
// and loads from in-memory text with the console output captured.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "image/image.h"
#include "model/model.h"
#include "model/obj_stream.h"
#include "tests/model/texture_stand_in.h"

class ReaderTest : public testing::Test {
protected:
    void SetUp() override { ClearTables(); }
    void TearDown() override { ClearTables(); }

    static void ClearTables() {
        UnloadModel(nullptr);
        for (ObjMaterial* material : materialTable) {
            delete material;
        }
        materialTable.clear();
        ResetTextureStandIn();
    }

    // Loads an OBJ text as if it were the file at path; the console output goes to output.
    ObjModel* LoadText(const std::string& text, const std::string& path = "Data/test.obj",
                       bool mipmaps = true, bool lenientMaterials = false) {
        std::istringstream in(text);
        testing::internal::CaptureStdout();
        ObjModel* model = LoadModelFromStream(in, path, mipmaps, lenientMaterials);
        output = testing::internal::GetCapturedStdout();
        return model;
    }

    void LoadMaterialText(const std::string& text, const std::string& folder = "Data/",
                          bool mipmaps = true) {
        std::istringstream in(text);
        testing::internal::CaptureStdout();
        LoadMaterialsFromStream(in, folder, mipmaps);
        output = testing::internal::GetCapturedStdout();
    }

    static std::string DataPath(const std::string& name) {
        return std::string(QUILLMERE_TEST_DATA) + "/model/" + name;
    }

    static std::string WithCrlf(const std::string& text) {
        std::string result;
        for (char c : text) {
            if (c == '\n') {
                result += '\r';
            }
            result += c;
        }
        return result;
    }

    std::string output;
};
