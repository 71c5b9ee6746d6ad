// Telling OBJ text from pictures, archives, other model formats and binary data by content.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>

#include "model/model_file.h"

namespace {

using namespace std::string_literals;

std::string Le32(std::uint32_t value) {
    std::string bytes;
    for (int i = 0; i < 4; ++i)
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}

std::string BinaryStl(std::uint32_t triangles, const std::string& header) {
    std::string bytes = header;
    bytes.resize(80, ' ');
    return bytes + Le32(triangles) + std::string(50 * triangles, '\0');
}

std::string RandomBytes(std::size_t size) {
    std::mt19937 random(7);
    std::string bytes;
    for (std::size_t i = 0; i < size; ++i)
        bytes += static_cast<char>(random() & 0xFF);
    return bytes;
}

struct Case {
    const char* name;
    std::string bytes;
    std::uint64_t fileSize; // 0: the bytes are the whole file
    const char* format;
    const char* problem;
};

const char* const notObj = "; this viewer reads OBJ files only";

TEST(ModelFile, TellsObjTextFromOtherFiles) {
    const std::string plainObj = "# cube\nmtllib cube.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
    const std::string commentsOnly(70000, '#');
    const Case cases[] = {
        {"plain OBJ", plainObj, 0, "OBJ", ""},
        {"Latin-1 comment", "# mod\xe8le de t\xeate\r\nv 1 2 3\r\n", 0, "OBJ", ""},
        {"UTF-8 byte-order mark", "\xef\xbb\xbfv 1 2 3\nf 1 1 1\n", 0, "OBJ", ""},
        {"tab, form feed, indented statement", "\f\n\t o part\n", 0, "OBJ", ""},
        {"starts with BM as text", "BMW wheel export\nv 1 2 3\n", 0, "OBJ", ""},
        {"starts with MM as text", "MMMMMM\ng part\n", 0, "OBJ", ""},
        {"statement after the head", plainObj, 1u << 30, "OBJ", ""},
        {"PNG renamed", "\x89PNG\r\n\x1a\n\0\0\0\rIHDR"s, 0, "", "a PNG picture, not an OBJ model"},
        {"JPEG", "\xff\xd8\xff\xe0\0\x10JFIF"s, 0, "", "a JPEG picture, not an OBJ model"},
        {"GIF", "GIF89a\x01\0\x01\0"s, 0, "", "a GIF picture, not an OBJ model"},
        {"BMP", "BM" + Le32(66) + Le32(0) + Le32(54) + Le32(40) + std::string(48, '\0'), 0, "",
         "a BMP picture, not an OBJ model"},
        {"TIFF", "II*\0\x08\0\0\0"s, 0, "", "a TIFF picture, not an OBJ model"},
        {"WebP", "RIFF" + Le32(30) + "WEBPVP8 ", 0, "", "a WebP picture, not an OBJ model"},
        {"ZIP", "PK\x03\x04\x14\0\0\0readme.txt"s, 0, "", "a ZIP archive, not an OBJ model"},
        {"gzip", "\x1f\x8b\x08\0"s, 0, "", "a gzip archive, not an OBJ model"},
        {"7z", "7z\xbc\xaf\x27\x1c\0\x04"s, 0, "", "a 7z archive, not an OBJ model"},
        {"xz",
         "\xfd"
         "7zXZ\0\0"s,
         0, "", "an xz archive, not an OBJ model"},
        {"bzip2", "BZh91AY&SY", 0, "", "a bzip2 archive, not an OBJ model"},
        {"PDF", "%PDF-1.7\n", 0, "", "a PDF document, not an OBJ model"},
        {"UTF-16 with mark", "\xff\xfev\0 \0001\0"s, 0, "",
         "UTF-16 text; OBJ files are read as UTF-8, ASCII or Latin-1"},
        {"UTF-16 without mark", "v\0 \0001\0 \0002\0"s, 0, "",
         "UTF-16 text; OBJ files are read as UTF-8, ASCII or Latin-1"},
        {"PLY", "ply\r\nformat ascii 1.0\r\n", 0, "PLY", "a PLY model"},
        {"binary STL", BinaryStl(2, "binary STL"), 0, "STL", "an STL model"},
        {"binary STL saying solid", BinaryStl(1, "solid part"), 0, "STL", "an STL model"},
        {"ASCII STL", "solid part\n facet normal 0 0 1\n", 0, "STL", "an STL model"},
        {"glTF", "{\n  \"asset\": {\"version\": \"2.0\"}\n}\n", 0, "glTF", "a glTF model"},
        {"GLB", "glTF\x02\0\0\0"s, 0, "GLB", "a GLB (binary glTF) model"},
        {"COLLADA", "<?xml version=\"1.0\"?>\n<COLLADA xmlns=\"x\">\n", 0, "COLLADA",
         "a COLLADA model"},
        {"3DS", "MM" + Le32(16) + "\x02\0"s + Le32(10) + Le32(3), 0, "3DS", "a 3DS model"},
        {"OFF", "OFF\n8 6 0\n", 0, "OFF", "an OFF model"},
        {"COFF with counts", "COFF 8 6 0\n", 0, "OFF", "an OFF model"},
        {"binary FBX", "Kaydara FBX Binary  \0\x1a\0"s, 0, "FBX", "an FBX model"},
        {"ASCII FBX", "; FBX 7.4.0 project file\n", 0, "FBX", "an FBX model"},
        {"3MF", "PK\x03\x04\x14\0\0\0\x08\0[Content_Types].xml 3D/3dmodel.model"s, 0, "3MF",
         "a 3MF model"},
        {"empty", "", 0, "", "an empty file, not an OBJ model"},
        {"random bytes", RandomBytes(4096), 0, "",
         nullptr}, // a binary-data reason, whatever its first odd byte
        {"NUL after statements", "v 1 2 3\nf 1 1 1\n\0"s, 0, "",
         "binary data (byte 0x00 at offset 16), not an OBJ model"},
        {"escape byte", "v 1 2 3\x1b[0m\n", 0, "",
         "binary data (byte 0x1B at offset 7), not an OBJ model"},
        {"DEL byte", "v 1 2 3\x7f\n", 0, "",
         "binary data (byte 0x7F at offset 7), not an OBJ model"},
        {"cut RIFF header", "RIFF]", 0, "", "text without any OBJ statement, not an OBJ model"},
        {"prose", "Dear reader,\nvertices follow.\n", 0, "",
         "text without any OBJ statement, not an OBJ model"},
        {"comments past the head", commentsOnly.substr(0, modelFileHeadSize), 70000, "",
         "text without any OBJ statement in its first 64 KiB, not an OBJ model"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ModelFileCheck check =
            CheckModelBytes(c.bytes, c.fileSize != 0 ? c.fileSize : c.bytes.size());
        EXPECT_EQ(check.format, c.format);
        if (c.problem == nullptr)
            EXPECT_EQ(check.problem.rfind("binary data (byte 0x", 0), 0u) << check.problem;
        else if (c.format[0] != '\0' && std::string(c.format) != "OBJ")
            EXPECT_EQ(check.problem, std::string(c.problem) + notObj);
        else
            EXPECT_EQ(check.problem, c.problem);
    }
}

TEST(ModelFile, ReadsTheHeadOfAFileOrSaysWhyItCannot) {
    namespace fs = std::filesystem;
    const fs::path folder =
        fs::temp_directory_path() / ("model-file-test-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const fs::path stl = folder / "part.obj";
    std::ofstream(stl, std::ios::binary) << BinaryStl(3, "exported");
    // A large OBJ: only its head is read, and the size comes from the file.
    const fs::path large = folder / "large.obj";
    {
        std::ofstream out(large, std::ios::binary);
        out << std::string(modelFileHeadSize, '#') << "\nv 1 2 3\n";
    }

    const struct {
        fs::path path;
        const char* format;
        const char* problem;
    } cases[] = {
        {stl, "STL", "an STL model; this viewer reads OBJ files only"},
        {large, "", "text without any OBJ statement in its first 64 KiB, not an OBJ model"},
        {folder / "missing.obj", "", "No such file or directory"},
        {folder, "", "Is a directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.string());
        const ModelFileCheck check = CheckModelFile(c.path.string());
        EXPECT_EQ(check.format, c.format);
        EXPECT_EQ(check.problem, c.problem);
    }
    fs::remove_all(folder);
}

} // namespace
