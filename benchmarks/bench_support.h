// What the benchmark programs share: clocks, medians, the process's resident figures, and the
// temporary folder that generated input files live in.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

// Processor time of the whole process, every thread included: the machine is shared, and wall
// time would mostly measure the neighbours.
inline double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

inline double WallSeconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The middle value; of an even count, the mean of the two middle ones.
inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// A figure of /proc/self/status in kilobytes: "VmRSS:" now, "VmHWM:" the highest so far; -1
// when the line is missing.
inline long StatusKilobytes(const char* label) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(label, 0) == 0) {
            return std::atol(line.c_str() + std::strlen(label));
        }
    }
    return -1;
}

// Opens a generated input file for writing; a benchmark without its input cannot go on.
inline std::FILE* OpenForWriting(const std::string& path) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        std::perror(path.c_str());
        std::exit(1);
    }
    return out;
}

// A folder of this process's own under the system's temporary folder, removed with everything
// in it when the program ends.
class TemporaryFolder {
public:
    explicit TemporaryFolder(const std::string& prefix)
        : m_path(std::filesystem::temp_directory_path() /
                 (prefix + "_" + std::to_string(getpid()))) {
        std::filesystem::create_directories(m_path);
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};
