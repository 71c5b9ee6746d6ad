// Shared set-up for the reader tests: empty program-wide tables before and after every test,
// and loads from in-memory text with the console output captured.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "image/texture.h"
#include "model/maths.h"
#include "model/obj_stream.h"
#include "model/reading.h"
#include "tests/model/recording_textures.h"

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
        ResetRecordedTextures();
    }

    // Loads an OBJ text as if it were the file at path; the console output goes to output.
    ObjModel* LoadText(const std::string& text, const std::string& path = "Data/test.obj",
                       bool mipmaps = true, bool lenientMaterials = false) {
        std::istringstream in(text);
        testing::internal::CaptureStdout();
        ObjModel* model =
            ReadModelFromStream(in, path, mipmaps, lenientMaterials, RecordTextureLoad);
        output = testing::internal::GetCapturedStdout();
        return model;
    }

    void LoadMaterialText(const std::string& text, const std::string& folder = "Data/",
                          bool mipmaps = true) {
        std::istringstream in(text);
        testing::internal::CaptureStdout();
        ReadMaterialsFromStream(in, folder, mipmaps, RecordTextureLoad);
        output = testing::internal::GetCapturedStdout();
    }

    // Reads a model file with the recording texture loader.
    static ObjModel* ReadFile(const std::string& path, bool mipmaps, bool keepMaterials) {
        return ReadModel(path, ModelReadOptions{mipmaps, keepMaterials, false}, RecordTextureLoad);
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
