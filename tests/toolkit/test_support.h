// Shared helpers of the toolkit tests: colour checks, small maps, predictable noise modules,
// scratch files and external tools.
#ifndef QUILLMERE_TESTS_TOOLKIT_TEST_SUPPORT_H
#define QUILLMERE_TESTS_TOOLKIT_TEST_SUPPORT_H

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <libnoise/module/modulebase.h>

#include "toolkit/toolkit.h"

namespace quillmere_test {

inline void ExpectColor(const noise::utils::Color& color, int red, int green, int blue, int alpha) {
    EXPECT_EQ(color.red, red);
    EXPECT_EQ(color.green, green);
    EXPECT_EQ(color.blue, blue);
    EXPECT_EQ(color.alpha, alpha);
}

// Every cell of the width x height corner of the image has this colour.
inline void ExpectEveryCell(const noise::utils::Image& image, int width, int height, int red,
                            int green, int blue, int alpha) {
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            SCOPED_TRACE(testing::Message() << "cell " << x << ", " << y);
            ExpectColor(image.GetValue(x, y), red, green, blue, alpha);
        }
    }
}

// A renderer refuses to run without a source map, without a destination image, or with an
// empty source map. map must be a sized map.
template <class Renderer>
void ExpectMissingInputsThrow(noise::utils::NoiseMap& map, noise::utils::Image& dest) {
    Renderer noSource;
    noSource.SetDestImage(dest);
    EXPECT_THROW(noSource.Render(), noise::ExceptionInvalidParam);

    Renderer noDest;
    noDest.SetSourceNoiseMap(map);
    EXPECT_THROW(noDest.Render(), noise::ExceptionInvalidParam);

    noise::utils::NoiseMap empty;
    Renderer emptySource;
    emptySource.SetSourceNoiseMap(empty);
    emptySource.SetDestImage(dest);
    EXPECT_THROW(emptySource.Render(), noise::ExceptionInvalidParam);
}

// A map of the given size holding values row by row, x running fastest.
inline noise::utils::NoiseMap MapOf(int width, int height, const std::vector<float>& values) {
    noise::utils::NoiseMap map(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            map.SetValue(x, y, values[x + y * width]);
        }
    }
    return map;
}

// A source whose value tells where it was sampled: weightX * x + weightY * y + weightZ * z.
class LinearModule : public noise::module::Module {
public:
    LinearModule(double weightX, double weightY, double weightZ)
        : noise::module::Module(0), m_weightX(weightX), m_weightY(weightY), m_weightZ(weightZ) {}
    int GetSourceModuleCount() const override { return 0; }
    double GetValue(double x, double y, double z) const override {
        ++m_calls;
        return m_weightX * x + m_weightY * y + m_weightZ * z;
    }
    int Calls() const { return m_calls; }

private:
    double m_weightX;
    double m_weightY;
    double m_weightZ;
    mutable int m_calls = 0;
};

// A scratch folder per test, removed afterwards.
class ScratchDir {
public:
    ScratchDir() {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        m_path = std::filesystem::temp_directory_path() /
                 (std::string("quillmere-toolkit-") + info->test_suite_name() + "-" + info->name());
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    std::string File(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

inline std::vector<unsigned char> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in),
                                      std::istreambuf_iterator<char>());
}

inline unsigned ReadU16(const std::vector<unsigned char>& bytes, std::size_t offset) {
    return bytes.at(offset) | (bytes.at(offset + 1) << 8);
}

inline unsigned long ReadU32(const std::vector<unsigned char>& bytes, std::size_t offset) {
    return static_cast<unsigned long>(ReadU16(bytes, offset)) |
           (static_cast<unsigned long>(ReadU16(bytes, offset + 2)) << 16);
}

// A writer without its source throws and makes no file; with one, a missing folder, an empty
// name and a full device throw too, and the writer, unchanged by the failures, then writes a file
// of writtenSize bytes. giveSource hands the writer its image or map.
template <class Writer, class GiveSource>
void ExpectWriterFailuresThrow(const ScratchDir& dir, const std::string& extension,
                               GiveSource giveSource, std::size_t writtenSize) {
    Writer writer;
    const std::string path = dir.File("none" + extension);
    writer.SetFileName(path);
    EXPECT_THROW(writer.Write(), noise::ExceptionInvalidParam);
    EXPECT_FALSE(std::filesystem::exists(path));

    giveSource(writer);
    const std::string missingFolder = dir.File("no-such-folder/out" + extension);
    for (const std::string& name : {missingFolder, std::string(), std::string("/dev/full")}) {
        if (name == "/dev/full" && !std::filesystem::exists(name)) {
            continue;
        }
        writer.SetFileName(name);
        EXPECT_THROW(writer.Write(), noise::ExceptionUnknown) << "file \"" << name << "\"";
    }
    EXPECT_FALSE(std::filesystem::exists(missingFolder));

    writer.SetFileName(path);
    writer.Write();
    EXPECT_EQ(ReadBytes(path).size(), writtenSize);
}

// Runs a shell command and returns its standard output; exitStatus gets the wait status.
inline std::string RunCommand(const std::string& command, int& exitStatus) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        exitStatus = -1;
        return output;
    }
    std::array<char, 4096> buffer;
    std::size_t count;
    while ((count = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
        output.append(buffer.data(), count);
    }
    exitStatus = pclose(pipe);
    return output;
}

inline bool CommandSucceeds(const std::string& command) {
    int status = 0;
    RunCommand(command + " >/dev/null 2>&1", status);
    return status == 0;
}

} // namespace quillmere_test

#endif
