// Complete texture runs: the file they write, their console lines, replays from a seed and the
// runs that cannot write their file.
#include <gtest/gtest.h>
#include <omp.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <new>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tests/texgen/texgen_test_support.h"

namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

const size_t textureFileSize = 54 + 512 * 512 * 3;

struct RunResult {
    std::string output;
    std::string file;
};

class TextureRunTest : public WorkFolderTest {
protected:
    RunResult Run(unsigned int seed) {
        CaptureStdout();
        { TextureGenerator generator(seed); }
        RunResult result;
        result.output = GetCapturedStdout();
        result.file = ReadFile("Data/example0.bmp");
        return result;
    }
};

TEST(TextureFileNameTest, NamesTheFileByIndexWithoutLeadingZeros) {
    EXPECT_EQ(TextureFileName(0), "./Data/example0.bmp");
    EXPECT_EQ(TextureFileName(12), "./Data/example12.bmp");
}

TEST_F(TextureRunTest, WritesOne512By512TwentyFourBitFileAfterFiveConsoleLines) {
    MakeDataFolder();
    RunResult run = Run(20261207u);

    std::vector<std::string> lines = SplitLines(run.output);
    ASSERT_EQ(lines.size(), 5u) << run.output;
    EXPECT_EQ(lines[0], "Creating 1 texture(s)...");
    EXPECT_EQ(lines[1].rfind("Octave: ", 0), 0u);
    EXPECT_EQ(lines[2].rfind("Frequency: ", 0), 0u);
    EXPECT_EQ(lines[3].rfind("Persistence: ", 0), 0u);
    EXPECT_EQ(lines[4].rfind("numColors = ", 0), 0u);
    EXPECT_EQ(run.output.back(), '\n');
    EXPECT_EQ(run.output.find('\r'), std::string::npos);

    std::vector<std::string> written;
    for (const auto& entry : std::filesystem::directory_iterator("Data")) {
        written.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(written, std::vector<std::string>{"example0.bmp"});

    // The layout is the BMP writer's: the size, width, height and depth tell the run's own.
    ASSERT_EQ(run.file.size(), textureFileSize);
    EXPECT_EQ(FieldAt(run.file, 18, 4), 512u);
    EXPECT_EQ(FieldAt(run.file, 22, 4), 512u);
    EXPECT_EQ(FieldAt(run.file, 28, 2), 24u);

    // A picture, not a blank: the noise gives the pixels many different colours.
    std::vector<bool> seen(1 << 24, false);
    int distinct = 0;
    for (size_t at = 54; at + 2 < run.file.size(); at += 3) {
        unsigned int key = FieldAt(run.file, at, 3);
        distinct += !seen[key];
        seen[key] = true;
    }
    EXPECT_GT(distinct, 100);
}

TEST_F(TextureRunTest, OneThreadAndSeveralWriteTheSameFile) {
    MakeDataFolder();
    const int threads = omp_get_max_threads();
    for (unsigned int seed : {7u, 1765012345u}) {
        omp_set_num_threads(1);
        RunResult serial = Run(seed);
        omp_set_num_threads(4);
        RunResult parallel = Run(seed);
        EXPECT_EQ(serial.output, parallel.output);
        EXPECT_EQ(serial.file.size(), textureFileSize);
        EXPECT_TRUE(serial.file == parallel.file) << "seed " << seed;
    }
    omp_set_num_threads(threads);
}

TEST_F(TextureRunTest, SecondRunOverwritesTheFirstFile) {
    MakeDataFolder();
    // A longer file in the way must be truncated, not partly overwritten.
    {
        std::ofstream junk("Data/example0.bmp", std::ios::binary);
        junk << std::string(2 * textureFileSize, 'x');
    }
    RunResult first = Run(1u);
    ASSERT_EQ(first.file.size(), textureFileSize);
    RunResult second = Run(2u);
    ASSERT_EQ(second.file.size(), textureFileSize);
    EXPECT_FALSE(first.file == second.file);

    // A run keeps its map and image for the next run on its thread; a new thread starts with
    // none, so this run writes from fresh buffers into a fresh file.
    std::filesystem::remove("Data/example0.bmp");
    RunResult fresh;
    std::thread([&] { fresh = Run(2u); }).join();
    EXPECT_TRUE(fresh.file == second.file);
}

TEST_F(TextureRunTest, RecordedRunDrawsInTheStatedOrderAndTheSeedReplaysIt) {
    MakeDataFolder();
    for (unsigned int seed : {3u, 1765100000u}) {
        RecordingGenerator recorder(seed);
        CaptureStdout();
        recorder.run();
        std::string output = GetCapturedStdout();
        std::string file = ReadFile("Data/example0.bmp");

        // The program's run of the same seed replays file and console byte for byte; the next
        // seed draws another picture.
        RunResult program = Run(seed);
        EXPECT_EQ(output, program.output);
        EXPECT_TRUE(file == program.file);
        EXPECT_FALSE(Run(seed + 1).file == file) << "another seed drew the same picture";

        // Bounds (4), octave, frequency, persistence, numColors, the weights, per point the
        // alpha chance, optional alpha and three colour channels, then contrast and brightness.
        const std::vector<int>& d = recorder.draws;
        FixedRandom replay;
        auto drawn = [&](size_t index, double low, double high) {
            replay.step = d.at(index);
            return replay.uniform(low, high);
        };
        int numColors = static_cast<int>(drawn(7, 2.1, 25.0));
        std::ostringstream expected;
        expected << "Creating 1 texture(s)...\n"
                 << "Octave: " << static_cast<int>(drawn(4, 1.0, 6.1)) << "\n"
                 << "Frequency: " << static_cast<float>(drawn(5, 1.0, 3.0)) << "\n"
                 << "Persistence: " << static_cast<float>(drawn(6, 0.0, 1.0)) << "\n"
                 << "numColors = " << numColors << "\n";
        EXPECT_EQ(output, expected.str());

        size_t next = 8 + (numColors - 1);
        for (int k = 0; k < numColors; ++k) {
            next += d.at(next) >= 9000 ? 5 : 4;
        }
        EXPECT_EQ(next + 2, d.size()) << "seed " << seed;
    }
}

TEST_F(TextureRunTest, UnwritableDataFolderThrowsANoiseExceptionAfterTheConsoleLines) {
    CaptureStdout();
    bool caught = false;
    try {
        TextureGenerator generator(5u);
    } catch (const noise::ExceptionUnknown&) {
        caught = true;
    }
    std::string output = GetCapturedStdout();
    EXPECT_TRUE(caught);
    EXPECT_EQ(SplitLines(output).size(), 5u);
    EXPECT_FALSE(std::filesystem::exists("Data"));

    // A plain file named Data stops the writer whoever runs the test, root included.
    std::ofstream("Data") << "not a folder";
    CaptureStdout();
    EXPECT_THROW(TextureGenerator generator(5u), noise::Exception);
    GetCapturedStdout();
}

TEST(TextureRunFailureTest, MessageNamesTheCause) {
    const std::string prefix = "could not make the texture file \"./Data/example0.bmp\" (";
    const std::pair<std::exception_ptr, std::string> cases[] = {
        {std::make_exception_ptr(noise::ExceptionUnknown()), "is ./Data/ missing or not writable?"},
        {std::make_exception_ptr(noise::ExceptionOutOfMemory()), "out of memory"},
        {std::make_exception_ptr(std::bad_alloc()), "out of memory"},
        {std::make_exception_ptr(noise::ExceptionInvalidParam()),
         "a noise or texture parameter was out of range"},
        {std::make_exception_ptr(noise::ExceptionNoModule()), "the noise library failed"},
        {std::make_exception_ptr(std::runtime_error("disk on fire")), "disk on fire"},
        {std::make_exception_ptr(42), "unknown error"},
    };
    for (const auto& [failure, cause] : cases) {
        EXPECT_EQ(TextureRunFailureMessage(failure), prefix + cause + ")");
    }
}

TEST_F(TextureRunTest, ClockConstructorRunsTheSeedOfTheCurrentSecond) {
    MakeDataFolder();
    for (int attempt = 0; attempt < 5; ++attempt) {
        std::time_t before = std::time(nullptr);
        CaptureStdout();
        { TextureGenerator generator; }
        std::string output = GetCapturedStdout();
        std::time_t after = std::time(nullptr);
        std::string file = ReadFile("Data/example0.bmp");
        if (before == after) {
            RunResult seeded = Run(static_cast<unsigned int>(before));
            EXPECT_EQ(output, seeded.output);
            EXPECT_TRUE(file == seeded.file);
            return;
        }
    }
    FAIL() << "no run finished within the second it started";
}

} // namespace
