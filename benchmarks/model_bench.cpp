// OBJ loading throughput: LoadModel against tinyobjloader's LoadObj on the same generated file
// (about a million vertices with texture coordinates and normals, a million faces).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <tiny_obj_loader.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "model/model.h"

namespace {

constexpr int groupCount = 4;
constexpr int columns = 1000;
constexpr int rowsPerGroup = 250; // 4 x 250 x 1000 vertices, one triangle per vertex or so

// The generated file in its own temporary folder, removed with the folder at exit.
struct BenchFile {
    std::filesystem::path folder;
    std::string path;
    std::uintmax_t bytes = 0;
    ~BenchFile() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

// A bumpy sheet in four groups with two materials, written the way exporters write numbers
// (fixed decimals, signs, a few exponents). Deterministic: same bytes on every run.
void WriteModel(const std::string& path) {
    std::FILE* out = std::fopen(path.c_str(), "w");
    if (out == nullptr) {
        std::perror(path.c_str());
        std::exit(1);
    }
    std::fputs("# generated for the loader benchmark\nmtllib bench.mtl\n", out);
    long long base = 0;
    for (int g = 0; g < groupCount; ++g) {
        std::fprintf(out, "g band%d\nusemtl %s\n", g, g % 2 ? "rough" : "smooth");
        for (int r = 0; r < rowsPerGroup; ++r) {
            for (int c = 0; c < columns; ++c) {
                const double x = c * 0.01 - 5.0;
                const double z = (g * rowsPerGroup + r) * 0.01 - 5.0;
                const double y = 0.3 * std::sin(x * 1.7) * std::cos(z * 2.3);
                if ((r * columns + c) % 97 == 0) {
                    std::fprintf(out, "v %.4e %.4e %.4e\n", x, y, z);
                } else {
                    std::fprintf(out, "v %.4f %.4f %.4f\n", x, y, z);
                }
                std::fprintf(out, "vt %.4f %.4f\n", c / (columns - 1.0), r / (rowsPerGroup - 1.0));
                const double nx = -0.51 * std::cos(x * 1.7) * std::cos(z * 2.3);
                const double nz = 0.69 * std::sin(x * 1.7) * std::sin(z * 2.3);
                const double length = std::sqrt(nx * nx + 1.0 + nz * nz);
                std::fprintf(out, "vn %.3f %.3f %.3f\n", nx / length, 1.0 / length, nz / length);
            }
        }
        // One face per grid cell, mostly triangles with every eighth a quadrilateral: about
        // one face per vertex.
        for (int r = 0; r + 1 < rowsPerGroup; ++r) {
            for (int c = 0; c + 1 < columns; ++c) {
                const long long a = base + r * columns + c + 1;
                const long long b = a + columns;
                if ((r + c) % 8 == 0) {
                    std::fprintf(out,
                                 "f %lld/%lld/%lld %lld/%lld/%lld %lld/%lld/%lld %lld/%lld/%lld\n",
                                 a, a, a, b, b, b, b + 1, b + 1, b + 1, a + 1, a + 1, a + 1);
                } else if ((r + c) % 2 == 0) {
                    std::fprintf(out, "f %lld/%lld/%lld %lld/%lld/%lld %lld/%lld/%lld\n", a, a, a,
                                 b, b, b, b + 1, b + 1, b + 1);
                } else {
                    std::fprintf(out, "f %lld/%lld/%lld %lld/%lld/%lld %lld/%lld/%lld\n", a, a, a,
                                 b + 1, b + 1, b + 1, a + 1, a + 1, a + 1);
                }
            }
        }
        base += static_cast<long long>(rowsPerGroup) * columns;
    }
    std::fclose(out);
}

const BenchFile& File() {
    static BenchFile file;
    if (file.path.empty()) {
        file.folder = std::filesystem::temp_directory_path() /
                      ("quillmere_model_bench_" + std::to_string(getpid()));
        std::filesystem::create_directories(file.folder);
        std::ofstream((file.folder / "bench.mtl").string())
            << "newmtl smooth\nKd 0.8 0.7 0.6\nNs 200\nnewmtl rough\nKd 0.4 0.4 0.4\nd 0.9\n";
        file.path = (file.folder / "bench.obj").string();
        WriteModel(file.path);
        file.bytes = std::filesystem::file_size(file.path);
    }
    return file;
}

// The reader's console account is behaviour, not cost worth measuring: it goes to /dev/null.
class QuietStdout {
public:
    QuietStdout() {
        std::fflush(stdout);
        m_saved = dup(STDOUT_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        close(null);
    }
    ~QuietStdout() {
        std::cout.flush();
        std::fflush(stdout);
        dup2(m_saved, STDOUT_FILENO);
        close(m_saved);
    }

private:
    int m_saved;
};

// Process CPU time: the machine is shared, and wall time would mostly measure the neighbours.
double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void FreeLoaded() {
    UnloadModel(nullptr);
    for (ObjMaterial* material : materialTable) {
        delete material;
    }
    materialTable.clear();
}

double LoadWithQuillmere() {
    const BenchFile& file = File(); // generated before the clock starts
    const double start = CpuSeconds();
    ObjModel* model = nullptr;
    {
        QuietStdout quiet;
        model = LoadModel(file.path, false, false);
    }
    const double end = CpuSeconds();
    if (model == nullptr) {
        std::fprintf(stderr, "LoadModel failed\n");
        std::exit(1);
    }
    benchmark::DoNotOptimize(model);
    FreeLoaded();
    return end - start;
}

double LoadWithTinyObj() {
    const BenchFile& file = File();
    const std::string folder = file.folder.string() + "/";
    const double start = CpuSeconds();
    tinyobj::attrib_t attrib;
    std::vector<tinyobj::shape_t> shapes;
    std::vector<tinyobj::material_t> materials;
    std::string warn;
    std::string err;
    const bool loaded = tinyobj::LoadObj(&attrib, &shapes, &materials, &warn, &err,
                                         file.path.c_str(), folder.c_str(), false);
    const double end = CpuSeconds();
    if (!loaded) {
        std::fprintf(stderr, "LoadObj failed: %s\n", err.c_str());
        std::exit(1);
    }
    benchmark::DoNotOptimize(attrib.vertices.data());
    return end - start;
}

void BM_LoadModel(benchmark::State& state) {
    for (auto _ : state) {
        state.SetIterationTime(LoadWithQuillmere());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(File().bytes) * state.iterations());
}

void BM_TinyObjLoadObj(benchmark::State& state) {
    for (auto _ : state) {
        state.SetIterationTime(LoadWithTinyObj());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(File().bytes) * state.iterations());
}

// Both loaders on the same file in turn; "ratio" is our throughput over tinyobjloader's
// (at least 1 is the target, 2 the aim).
void BM_ThroughputRatio(benchmark::State& state) {
    double ours = 0.0;
    double theirs = 0.0;
    for (auto _ : state) {
        const double a = LoadWithQuillmere();
        const double b = LoadWithTinyObj();
        ours += a;
        theirs += b;
        state.SetIterationTime(a + b);
    }
    const double megabytes = static_cast<double>(File().bytes) / 1e6 * state.iterations();
    state.counters["file_MB"] = static_cast<double>(File().bytes) / 1e6;
    state.counters["quillmere_MBps"] = megabytes / ours;
    state.counters["tinyobj_MBps"] = megabytes / theirs;
    state.counters["ratio"] = theirs / ours;
}

BENCHMARK(BM_LoadModel)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_TinyObjLoadObj)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ThroughputRatio)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    File(); // written once, outside every measurement
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
