// Shared helpers of the texture generation tests: generators with scripted or recorded draws,
// a private working folder per test, stdout capture and file reading.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "texgen/texgen.h"

// Draws the given values of next() in order. Running out of values is a test failure: it
// means the code drew more numbers than the sequence under test foresees.
class ScriptedGenerator : public TextureGenerator {
public:
    explicit ScriptedGenerator(std::vector<int> draws)
        : TextureGenerator(1u, Deferred{}), m_draws(draws.begin(), draws.end()) {}

    int next() override {
        if (m_draws.empty()) {
            ADD_FAILURE() << "more numbers drawn than scripted";
            return 0;
        }
        int value = m_draws.front();
        m_draws.pop_front();
        return value;
    }

    size_t remaining() const { return m_draws.size(); }
    void run() { createTextures(); }

private:
    std::deque<int> m_draws;
};

// Draws from the seeded runtime generator like the production one and keeps every value.
class RecordingGenerator : public TextureGenerator {
public:
    explicit RecordingGenerator(unsigned int seed) : TextureGenerator(seed, Deferred{}) {}

    int next() override {
        int value = TextureGenerator::next();
        draws.push_back(value);
        return value;
    }

    void run() { createTextures(); }

    std::vector<int> draws;
};

// A Random whose next() returns a fixed step, to see what uniform() makes of it.
class FixedRandom : public Random {
public:
    FixedRandom() : Random(1u) {}
    int next() override { return step; }
    int step = 0;
};

// The smallest step whose draw from [low, high), truncated to an int, equals target.
inline int StepFor(double low, double high, int target) {
    FixedRandom random;
    for (random.step = 0; random.step < 10000; ++random.step) {
        if (static_cast<int>(random.uniform(low, high)) == target) {
            return random.step;
        }
    }
    ADD_FAILURE() << "no step draws " << target << " from [" << low << ", " << high << ")";
    return 0;
}

// Runs each test in a fresh folder of its own, with or without a ./Data/ subfolder.
class WorkFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_previous = std::filesystem::current_path();
        std::string pattern = (std::filesystem::temp_directory_path() / "texgen-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_folder = pattern;
        std::filesystem::current_path(m_folder);
    }

    void TearDown() override {
        std::filesystem::current_path(m_previous);
        std::filesystem::remove_all(m_folder);
    }

    void MakeDataFolder() { std::filesystem::create_directory(m_folder / "Data"); }

    std::filesystem::path m_previous;
    std::filesystem::path m_folder;
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Little-endian unsigned field of a file held in a string.
inline unsigned int FieldAt(const std::string& bytes, size_t offset, int width) {
    unsigned int value = 0;
    for (int k = width - 1; k >= 0; --k) {
        value = (value << 8) | static_cast<unsigned char>(bytes.at(offset + k));
    }
    return value;
}

inline std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    if (start < text.size()) {
        lines.push_back(text.substr(start));
    }
    return lines;
}
