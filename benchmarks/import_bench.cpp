// Importing other formats: what ImportWithAssimp costs on top of assimp's own import, in time
// and in peak memory, on two files of about 100 MB written at start-up the way real programs
// write them (removed at exit):
//   stl - an exporter's binary STL: a scanned surface as 2,000,000 facets, facet normals set;
//   ply - a scanner's binary little-endian PLY: float x y z, faces as a uchar count and int
//         indices, 2.6 million vertices and 5.2 million triangles.
// Every measurement is a fresh process (this program started again with --measure), so that
// each peak is its own: "assimp" reads the file with the reading options ImportWithAssimp uses
// and keeps the scene, "ours" runs ImportWithAssimp (assimp's read, the conversion, the scene
// freed); "isolated" runs ImportIsolated, the viewer's way, for an informative figure. Five of
// each, alternating, medians. Time is processor time (the machine is shared); memory is the
// peak resident size above what the process held before reading.
//
//   import_bench [benchmark flags]        the measurements
//   import_bench --write KIND PATH        writes one file (KIND stl or ply)
//   import_bench --measure WHO PATH       one import (WHO assimp, ours or isolated); prints
//                                         seconds, peak and base kilobytes
#include <assimp/Importer.hpp>
#include <assimp/config.h>
#include <assimp/scene.h>
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "benchmarks/bench_support.h"
#include "model/import.h"
#include "model/isolated_import.h"

namespace {

// ---- the files -------------------------------------------------------------------------------

struct Point {
    float x, y, z;
};

// A scanned relief: a bumpy height field over a square, 10 units across.
Point At(int row, int column, int side) {
    const double u = static_cast<double>(column) / (side - 1) * 10.0 - 5.0;
    const double v = static_cast<double>(row) / (side - 1) * 10.0 - 5.0;
    const double h = 0.3 * std::sin(u * 1.7) * std::cos(v * 2.3) + 0.05 * std::sin(u * 9.1 + v);
    return {static_cast<float>(u), static_cast<float>(h), static_cast<float>(v)};
}

Point Normal(const Point& a, const Point& b, const Point& c) {
    const double ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
    const double vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
    double nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
    const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (length > 0) {
        nx /= length;
        ny /= length;
        nz /= length;
    }
    return {static_cast<float>(nx), static_cast<float>(ny), static_cast<float>(nz)};
}

template <class T> void Put(std::vector<char>& buffer, const T& value) {
    const char* bytes = reinterpret_cast<const char*>(&value);
    buffer.insert(buffer.end(), bytes, bytes + sizeof value);
}

// Binary STL: 80-byte header, facet count, then per facet its normal, three corners and a
// two-byte attribute count. 1001 x 1001 grid points give 2,000,000 facets (100,000,084 bytes).
void WriteStl(const std::string& path) {
    constexpr int side = 1001;
    std::FILE* out = OpenForWriting(path);
    char header[80] = "binary STL exported for the import benchmark";
    std::fwrite(header, 1, sizeof header, out);
    const std::uint32_t facets = 2u * (side - 1) * (side - 1);
    std::fwrite(&facets, sizeof facets, 1, out);
    std::vector<char> row;
    for (int r = 0; r + 1 < side; ++r) {
        row.clear();
        for (int c = 0; c + 1 < side; ++c) {
            const Point a = At(r, c, side), b = At(r + 1, c, side), d = At(r, c + 1, side),
                        e = At(r + 1, c + 1, side);
            const Point corners[2][3] = {{a, b, e}, {a, e, d}};
            for (const auto& corner : corners) {
                Put(row, Normal(corner[0], corner[1], corner[2]));
                for (const Point& p : corner) {
                    Put(row, p);
                }
                Put(row, std::uint16_t{0});
            }
        }
        std::fwrite(row.data(), 1, row.size(), out);
    }
    std::fclose(out);
}

// Binary little-endian PLY as scanners write it: float x y z per vertex, "list uchar int
// vertex_indices" per face. 1622 x 1622 grid points (99.9 MB).
void WritePly(const std::string& path) {
    constexpr int side = 1622;
    const long long faces = 2LL * (side - 1) * (side - 1);
    std::FILE* out = OpenForWriting(path);
    std::fprintf(out,
                 "ply\nformat binary_little_endian 1.0\ncomment written for the import "
                 "benchmark\nelement vertex %d\nproperty float x\nproperty float y\nproperty "
                 "float z\nelement face %lld\nproperty list uchar int vertex_indices\nend_header\n",
                 side * side, faces);
    std::vector<char> row;
    for (int r = 0; r < side; ++r) {
        row.clear();
        for (int c = 0; c < side; ++c) {
            Put(row, At(r, c, side));
        }
        std::fwrite(row.data(), 1, row.size(), out);
    }
    for (int r = 0; r + 1 < side; ++r) {
        row.clear();
        for (int c = 0; c + 1 < side; ++c) {
            const std::int32_t a = r * side + c, b = a + side;
            const std::int32_t triangles[2][3] = {{a, b, b + 1}, {a, b + 1, a + 1}};
            for (const auto& triangle : triangles) {
                Put(row, std::uint8_t{3});
                for (const std::int32_t index : triangle) {
                    Put(row, index);
                }
            }
        }
        std::fwrite(row.data(), 1, row.size(), out);
    }
    std::fclose(out);
}

bool WriteKind(const std::string& kind, const std::string& path) {
    if (kind == "stl") {
        WriteStl(path);
    } else if (kind == "ply") {
        WritePly(path);
    } else {
        return false;
    }
    return true;
}

const char* const kinds[] = {"stl", "ply"};

struct BenchFiles {
    TemporaryFolder folder{"quillmere_import_bench"};
    std::string paths[2];
    std::uintmax_t bytes[2] = {};
    BenchFiles() {
        for (int k = 0; k < 2; ++k) {
            paths[k] = (folder.Path() / (std::string("scan.") + kinds[k])).string();
            WriteKind(kinds[k], paths[k]);
            bytes[k] = std::filesystem::file_size(paths[k]);
        }
    }
};

BenchFiles& Files() {
    static BenchFiles files;
    return files;
}

// ---- one measurement -------------------------------------------------------------------------

double ChildrenCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

// --measure: one import, then "seconds peak-kB base-kB" on standard output; for "isolated"
// the seconds count the child's too, and the child's peak follows.
[[noreturn]] void Measure(const std::string& who, const std::string& path) {
    const long base = StatusKilobytes("VmRSS:");
    double seconds = 0.0;
    if (who == "isolated") {
        ImportedModel model;
        std::string error;
        const double start = CpuSeconds() + ChildrenCpuSeconds();
        if (!ImportIsolated(path, model, error)) {
            std::fprintf(stderr, "ImportIsolated: %s\n", error.c_str());
            _exit(1);
        }
        seconds = CpuSeconds() + ChildrenCpuSeconds() - start;
        rusage children{};
        getrusage(RUSAGE_CHILDREN, &children);
        std::printf("%.6f %ld %ld %ld\n", seconds, StatusKilobytes("VmHWM:"), base,
                    children.ru_maxrss);
    } else if (who == "assimp") {
        // The reading options of ImportWithAssimp: no post-processing, no scene check.
        Assimp::Importer importer;
        importer.SetPropertyBool(AI_CONFIG_IMPORT_NO_SKELETON_MESHES, true);
        const double start = CpuSeconds();
        const aiScene* scene = importer.ReadFile(path, 0);
        seconds = CpuSeconds() - start;
        if (scene == nullptr) {
            std::fprintf(stderr, "assimp: %s\n", importer.GetErrorString());
            _exit(1);
        }
        std::printf("%.6f %ld %ld\n", seconds, StatusKilobytes("VmHWM:"), base);
    } else {
        ImportedModel model;
        std::string error;
        const double start = CpuSeconds();
        if (!ImportWithAssimp(path, model, error)) {
            std::fprintf(stderr, "ImportWithAssimp: %s\n", error.c_str());
            _exit(1);
        }
        seconds = CpuSeconds() - start;
        std::printf("%.6f %ld %ld\n", seconds, StatusKilobytes("VmHWM:"), base);
    }
    std::fflush(stdout);
    _exit(0); // freeing is no part of either figure
}

struct Figures {
    double seconds = -1.0;
    double peakMegabytes = 0.0;      // above the process's size before reading
    double childPeakMegabytes = 0.0; // the importing child's, above the same size
};

Figures MeasureInChild(const char* who, const std::string& path) {
    int channel[2];
    Figures figures;
    if (pipe(channel) != 0) {
        return figures;
    }
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        dup2(channel[1], STDOUT_FILENO);
        close(channel[0]);
        close(channel[1]);
        execl("/proc/self/exe", "import_bench", "--measure", who, path.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(channel[1]);
    std::string text;
    char buffer[256];
    for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(n));
    }
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    double seconds = 0.0;
    long peak = 0;
    long base = 0;
    long childPeak = 0;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
        std::sscanf(text.c_str(), "%lf %ld %ld %ld", &seconds, &peak, &base, &childPeak) >= 3) {
        figures.seconds = seconds;
        figures.peakMegabytes = static_cast<double>(peak - base) / 1024.0;
        figures.childPeakMegabytes = static_cast<double>(childPeak - base) / 1024.0;
    }
    return figures;
}

constexpr int repetitions = 5;

void BM_Import(benchmark::State& state) {
    const int k = static_cast<int>(state.range(0));
    const BenchFiles& files = Files();
    const std::string& path = files.paths[k];
    std::vector<double> assimpSeconds, ourSeconds, assimpPeak, ourPeak;
    std::vector<double> isolatedSeconds, isolatedPeak, childPeak;
    for (auto _ : state) {
        for (int r = 0; r < repetitions; ++r) {
            const bool assimpFirst = r % 2 == 0;
            const Figures first = MeasureInChild(assimpFirst ? "assimp" : "ours", path);
            const Figures second = MeasureInChild(assimpFirst ? "ours" : "assimp", path);
            if (first.seconds < 0 || second.seconds < 0) {
                state.SkipWithError("an import failed");
                return;
            }
            const Figures& assimp = assimpFirst ? first : second;
            const Figures& ours = assimpFirst ? second : first;
            assimpSeconds.push_back(assimp.seconds);
            ourSeconds.push_back(ours.seconds);
            assimpPeak.push_back(assimp.peakMegabytes);
            ourPeak.push_back(ours.peakMegabytes);
            // What the viewer pays for running the import in a child: informative, no target.
            const Figures isolated = MeasureInChild("isolated", path);
            if (isolated.seconds < 0) {
                state.SkipWithError("an isolated import failed");
                return;
            }
            isolatedSeconds.push_back(isolated.seconds);
            isolatedPeak.push_back(isolated.peakMegabytes);
            childPeak.push_back(isolated.childPeakMegabytes);
        }
        state.SetIterationTime(Median(ourSeconds));
    }
    const double assimp = Median(assimpSeconds);
    const double ours = Median(ourSeconds);
    state.SetLabel(kinds[k]);
    state.counters["file_MB"] = static_cast<double>(files.bytes[k]) / 1e6;
    state.counters["assimp_ms"] = assimp * 1e3;
    state.counters["ours_ms"] = ours * 1e3;
    state.counters["conversion_share"] = ours / assimp - 1.0;
    state.counters["assimp_peak_MB"] = Median(assimpPeak);
    state.counters["ours_peak_MB"] = Median(ourPeak);
    state.counters["peak_ratio"] = Median(ourPeak) / Median(assimpPeak);
    state.counters["isolated_ms"] = Median(isolatedSeconds) * 1e3;
    state.counters["isolated_parent_peak_MB"] = Median(isolatedPeak);
    state.counters["isolated_child_peak_MB"] = Median(childPeak);
}

BENCHMARK(BM_Import)
    ->DenseRange(0, 1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--write") == 0) {
        return WriteKind(argv[2], argv[3]) ? 0 : 2;
    }
    if (argc == 4 && std::strcmp(argv[1], "--measure") == 0) {
        Measure(argv[2], argv[3]);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    Files(); // written once, outside every measurement
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
