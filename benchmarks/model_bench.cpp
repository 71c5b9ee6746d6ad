// OBJ loading: LoadModel against tinyobjloader's LoadObj on three files written the way real
// programs write them, generated at start-up (about 450 MB together, removed at exit):
//   editor  - a 3D editor's export: "o" objects, v/vt with six decimals, vn with four, triangles
//             f a/b/c, one numbering for the whole file (about 200 MB);
//   scanner - a scanner's mesh: "v" and "f a b c" only (about 150 MB);
//   grouped - "g" groups that each list their own vertices, quadrilaterals and triangles mixed,
//             "usemtl" per group (about 100 MB).
// Then what PrepareDrawing (normals, faces looked over for tessellation) adds to the load of the
// editor and the scanner file.
// Per file: both loaders' throughput in this process (wall clock, as our reader uses every
// processor for a large file, and processor time; alternating which loader goes first, median
// of five), and the resident memory after a load and at its highest during
// it, each load in a fresh process of its own (this program started again with --resident),
// alternating, median of five.
//
//   model_bench [benchmark flags]          the measurements
//   model_bench --write KIND PATH          writes one file (the first-frame timing uses "editor",
//                                          the picture timing "scan": a 2.4 MB scanner mesh)
//   model_bench --resident LOADER PATH     loads once, prints the resident kilobytes after the
//                                          load and at the highest
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <tiny_obj_loader.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iostream>
#include <string>
#include <vector>

#include "benchmarks/bench_support.h"
#include "model/model.h"
#include "model/obj_stream.h"

namespace {

// ---- the files -------------------------------------------------------------------------------

// A bumpy surface over a grid, the same for every kind of file.
struct Surface {
    double x, y, z;    // position
    double nx, ny, nz; // unit normal
};

Surface At(double u, double v) {
    Surface s{};
    s.x = u * 10.0 - 5.0;
    s.z = v * 10.0 - 5.0;
    s.y = 0.3 * std::sin(s.x * 1.7) * std::cos(s.z * 2.3);
    const double dx = 0.51 * std::cos(s.x * 1.7) * std::cos(s.z * 2.3);
    const double dz = -0.69 * std::sin(s.x * 1.7) * std::sin(s.z * 2.3);
    const double length = std::sqrt(dx * dx + 1.0 + dz * dz);
    s.nx = -dx / length;
    s.ny = 1.0 / length;
    s.nz = -dz / length;
    return s;
}

// Calls visit(r, c) for every point of a rows x columns grid, row by row.
template <class Visit> void ForEachPoint(int rows, int columns, Visit visit) {
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            visit(r, c);
        }
    }
}

// One face whose corners use the same number for their position, coordinates and normal.
void WriteFace(std::FILE* out, std::initializer_list<long long> corners) {
    std::fputc('f', out);
    for (const long long n : corners) {
        std::fprintf(out, " %lld/%lld/%lld", n, n, n);
    }
    std::fputc('\n', out);
}

// The two triangles of the grid cell between corners a, a + 1 on one row and b, b + 1 on the next.
void WriteCellTriangles(std::FILE* out, long long a, long long b) {
    WriteFace(out, {a, b, b + 1});
    WriteFace(out, {a, b + 1, a + 1});
}

// Editor export: 24 objects of 200 x 200 vertices, each written as its vertices, coordinates and
// normals, then its triangles (two per grid cell) with model-wide numbers. The surface stands
// upright, facing +z, so that a viewer framing it sees it face on.
void WriteEditor(const std::string& path) {
    constexpr int objects = 24;
    constexpr int side = 200;
    std::FILE* out = OpenForWriting(path);
    std::fputs("# Exported for the loader benchmark\nmtllib bench.mtl\n", out);
    long long base = 0;
    for (int o = 0; o < objects; ++o) {
        std::fprintf(out, "o Part.%03d\n", o);
        ForEachPoint(side, side, [&](int r, int c) {
            const Surface s = At((c + o * 0.37) / side, (r + o * 0.61) / side);
            std::fprintf(out, "v %.6f %.6f %.6f\n", s.x + o, -s.z, s.y - o * 0.5);
        });
        ForEachPoint(side, side, [&](int r, int c) {
            std::fprintf(out, "vt %.6f %.6f\n", c / (side - 1.0), r / (side - 1.0));
        });
        ForEachPoint(side, side, [&](int r, int c) {
            const Surface s = At((c + o * 0.37) / side, (r + o * 0.61) / side);
            std::fprintf(out, "vn %.4f %.4f %.4f\n", s.nx, -s.nz, s.ny);
        });
        std::fprintf(out, "usemtl %s\ns off\n", o % 2 ? "rough" : "smooth");
        ForEachPoint(side - 1, side - 1, [&](int r, int c) {
            WriteCellTriangles(out, base + r * side + c + 1, base + (r + 1) * side + c + 1);
        });
        base += static_cast<long long>(side) * side;
    }
    std::fclose(out);
}

// Scanner mesh: columns x rows vertices with six decimals, then all triangles. An upright scan
// faces +z, towards a viewer that frames it.
void WriteScanner(const std::string& path, int columns = 1400, int rows = 1300,
                  bool upright = false) {
    std::FILE* out = OpenForWriting(path);
    ForEachPoint(rows, columns, [&](int r, int c) {
        const Surface s = At(c / (columns - 1.0), r / (rows - 1.0));
        if (upright)
            std::fprintf(out, "v %.6f %.6f %.6f\n", s.x, -s.z, s.y);
        else
            std::fprintf(out, "v %.6f %.6f %.6f\n", s.x, s.y, s.z);
    });
    ForEachPoint(rows - 1, columns - 1, [&](int r, int c) {
        const long long a = static_cast<long long>(r) * columns + c + 1;
        const long long b = a + columns;
        std::fprintf(out, "f %lld %lld %lld\nf %lld %lld %lld\n", a, b, b + 1, a, b + 1, a + 1);
    });
    std::fclose(out);
}

// Grouped export: 60 groups of 100 x 100 vertices, each listing its own vertices, coordinates
// and normals, with its material, then faces: every third cell a quadrilateral, the others two
// triangles.
void WriteGrouped(const std::string& path) {
    constexpr int groups = 60;
    constexpr int side = 100;
    std::FILE* out = OpenForWriting(path);
    std::fputs("mtllib bench.mtl\n", out);
    long long base = 0;
    for (int g = 0; g < groups; ++g) {
        std::fprintf(out, "g panel_%d\n", g);
        ForEachPoint(side, side, [&](int r, int c) {
            const Surface s = At((c + g * 0.13) / side, (r + g * 0.29) / side);
            std::fprintf(out, "v %.6f %.6f %.6f\n", s.x, s.y + g * 0.01, s.z);
            std::fprintf(out, "vt %.6f %.6f\n", c / (side - 1.0), r / (side - 1.0));
            std::fprintf(out, "vn %.6f %.6f %.6f\n", s.nx, s.ny, s.nz);
        });
        std::fprintf(out, "usemtl %s\n", g % 3 ? "rough" : "smooth");
        ForEachPoint(side - 1, side - 1, [&](int r, int c) {
            const long long a = base + r * side + c + 1;
            const long long b = a + side;
            if ((r + c) % 3 == 0) {
                WriteFace(out, {a, b, b + 1, a + 1});
            } else {
                WriteCellTriangles(out, a, b);
            }
        });
        base += static_cast<long long>(side) * side;
    }
    std::fclose(out);
}

void WriteLibrary(const std::filesystem::path& folder) {
    std::ofstream((folder / "bench.mtl").string())
        << "newmtl smooth\nKd 0.8 0.7 0.6\nNs 200\nnewmtl rough\nKd 0.4 0.4 0.4\nd 0.9\n";
}

bool WriteKind(const std::string& kind, const std::string& path) {
    if (kind == "editor") {
        WriteEditor(path);
    } else if (kind == "scanner") {
        WriteScanner(path);
    } else if (kind == "scan") {
        // A small scan (about 2.4 MB) for the timing of a picture written without a window.
        WriteScanner(path, 190, 180, true);
    } else if (kind == "grouped") {
        WriteGrouped(path);
    } else {
        return false;
    }
    WriteLibrary(std::filesystem::path(path).parent_path());
    return true;
}

const char* const kinds[] = {"editor", "scanner", "grouped"};

// The generated files in their own temporary folder, removed with the folder at exit.
struct BenchFiles {
    TemporaryFolder folder{"quillmere_model_bench"};
    std::string paths[3];
    std::uintmax_t bytes[3] = {};
    BenchFiles() {
        for (int k = 0; k < 3; ++k) {
            paths[k] = (folder.Path() / (std::string(kinds[k]) + ".obj")).string();
            WriteKind(kinds[k], paths[k]);
            bytes[k] = std::filesystem::file_size(paths[k]);
        }
    }
};

BenchFiles& Files() {
    static BenchFiles files;
    return files;
}

// ---- the loaders ------------------------------------------------------------------------------

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

struct Ours {
    ObjModel* model = nullptr;
    void Load(const std::string& path) {
        QuietStdout quiet;
        model = LoadModel(path, false, false);
        if (model == nullptr) {
            std::fprintf(stderr, "LoadModel failed on %s\n", path.c_str());
            std::exit(1);
        }
    }
    ~Ours() {
        UnloadModel(nullptr);
        for (ObjMaterial* material : materialTable) {
            delete material;
        }
        materialTable.clear();
    }
};

struct Theirs {
    tinyobj::attrib_t attrib;
    std::vector<tinyobj::shape_t> shapes;
    std::vector<tinyobj::material_t> materials;
    void Load(const std::string& path) {
        std::string warn;
        std::string err;
        const std::string folder = std::filesystem::path(path).parent_path().string() + "/";
        if (!tinyobj::LoadObj(&attrib, &shapes, &materials, &warn, &err, path.c_str(),
                              folder.c_str(), false)) {
            std::fprintf(stderr, "LoadObj failed: %s\n", err.c_str());
            std::exit(1);
        }
    }
};

// A load's processor time (all threads) and its wall-clock time: a large file is read in parts
// on every processor, so what a user waits for is the wall clock.
struct LoadTime {
    double cpu;
    double wall;
};

template <typename Loader> LoadTime TimedLoad(const std::string& path) {
    Loader loader;
    const double wallStart = WallSeconds();
    const double start = CpuSeconds();
    loader.Load(path);
    return {CpuSeconds() - start, WallSeconds() - wallStart}; // freeing is not part of loading
}

// --resident: one load, then the resident kilobytes after it and at the highest during it on
// standard output.
template <typename Loader> [[noreturn]] void PrintResident(const std::string& path) {
    Loader loader;
    loader.Load(path);
    std::printf("%ld %ld\n", StatusKilobytes("VmRSS:"), StatusKilobytes("VmHWM:"));
    std::fflush(stdout);
    _exit(0); // the resident figure is taken; freeing is no part of it
}

struct Resident {
    long after = -1; // kilobytes after the load, -1 on failure
    long peak = -1;  // the highest during it
};

// This program started again with --resident: resident kilobytes of one load.
Resident ResidentInChild(const char* self, const char* loader, const std::string& path) {
    int channel[2];
    if (pipe(channel) != 0) {
        return Resident{};
    }
    const pid_t child = fork();
    if (child == 0) {
        dup2(channel[1], STDOUT_FILENO);
        close(channel[0]);
        close(channel[1]);
        execl(self, self, "--resident", loader, path.c_str(), static_cast<char*>(nullptr));
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
    Resident resident;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
        std::sscanf(text.c_str(), "%ld %ld", &resident.after, &resident.peak) != 2) {
        resident = Resident{};
    }
    return resident;
}

const char* selfPath = nullptr;
constexpr int repetitions = 5;

// One file: both loaders in turn in this process for the throughput, then each in processes of
// its own for the memory. Reported as counters; the iteration time is ours.
void BM_Compare(benchmark::State& state) {
    const int k = static_cast<int>(state.range(0));
    const BenchFiles& files = Files();
    const std::string& path = files.paths[k];
    const double megabytes = static_cast<double>(files.bytes[k]) / 1e6;
    std::vector<double> ours;
    std::vector<double> theirs;
    std::vector<double> ourWall;
    std::vector<double> theirWall;
    std::vector<double> ourResident;
    std::vector<double> theirResident;
    std::vector<double> ourPeak;
    std::vector<double> theirPeak;
    for (auto _ : state) {
        for (int r = 0; r < repetitions; ++r) {
            LoadTime mine{};
            LoadTime other{};
            if (r % 2 == 0) {
                mine = TimedLoad<Ours>(path);
                other = TimedLoad<Theirs>(path);
            } else {
                other = TimedLoad<Theirs>(path);
                mine = TimedLoad<Ours>(path);
            }
            ours.push_back(mine.cpu);
            theirs.push_back(other.cpu);
            ourWall.push_back(mine.wall);
            theirWall.push_back(other.wall);
        }
        for (int r = 0; r < repetitions; ++r) {
            const char* first = r % 2 == 0 ? "quillmere" : "tinyobj";
            const char* second = r % 2 == 0 ? "tinyobj" : "quillmere";
            const Resident a = ResidentInChild(selfPath, first, path);
            const Resident b = ResidentInChild(selfPath, second, path);
            if (a.after < 0 || b.after < 0 || a.peak < 0 || b.peak < 0) {
                state.SkipWithError("a memory measurement failed");
                return;
            }
            const Resident& mine = r % 2 == 0 ? a : b;
            const Resident& other = r % 2 == 0 ? b : a;
            ourResident.push_back(static_cast<double>(mine.after) / 1024.0);
            theirResident.push_back(static_cast<double>(other.after) / 1024.0);
            ourPeak.push_back(static_cast<double>(mine.peak) / 1024.0);
            theirPeak.push_back(static_cast<double>(other.peak) / 1024.0);
        }
        state.SetIterationTime(Median(ours));
    }
    state.SetLabel(kinds[k]);
    state.counters["file_MB"] = megabytes;
    state.counters["quillmere_MBps"] = megabytes / Median(ours);
    state.counters["tinyobj_MBps"] = megabytes / Median(theirs);
    state.counters["ratio"] = Median(theirs) / Median(ours);
    state.counters["quillmere_wall_MBps"] = megabytes / Median(ourWall);
    state.counters["tinyobj_wall_MBps"] = megabytes / Median(theirWall);
    state.counters["ratio_wall"] = Median(theirWall) / Median(ourWall);
    state.counters["quillmere_rss_MB"] = Median(ourResident);
    state.counters["tinyobj_rss_MB"] = Median(theirResident);
    state.counters["quillmere_peak_MB"] = Median(ourPeak);
    state.counters["tinyobj_peak_MB"] = Median(theirPeak);
}

BENCHMARK(BM_Compare)
    ->DenseRange(0, 2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// LoadModel's reading on the calling thread alone, as every load was when the preparation's
// target was set: a load on every processor takes more processor time in all, and would make
// the preparation's share look smaller than it is.
struct OursOnOneThread : Ours {
    void Load(const std::string& path) {
        QuietStdout quiet;
        std::ifstream in(path);
        model = ReadModelFromStream(in, path, false, false, TextureLoader(), ReadingThreads{});
        if (model == nullptr) {
            std::fprintf(stderr, "the reading failed on %s\n", path.c_str());
            std::exit(1);
        }
    }
};

// What preparing a loaded model for drawing adds to its load: the scanner file has no normals, so
// every vertex gets a smooth one; the editor file has them, so only the faces are looked over.
// Processor time of the load (on one thread) and of PrepareDrawing, median of five of each.
void BM_PrepareDrawing(benchmark::State& state) {
    const int k = static_cast<int>(state.range(0));
    const std::string& path = Files().paths[k];
    std::vector<double> loads;
    std::vector<double> prepares;
    for (auto _ : state) {
        for (int r = 0; r < repetitions; ++r) {
            OursOnOneThread loader;
            const double start = CpuSeconds();
            loader.Load(path);
            const double loaded = CpuSeconds();
            PrepareDrawing(loader.model);
            const double prepared = CpuSeconds();
            loads.push_back(loaded - start);
            prepares.push_back(prepared - loaded);
        }
        state.SetIterationTime(Median(prepares));
    }
    state.SetLabel(kinds[k]);
    state.counters["load_ms"] = Median(loads) * 1e3;
    state.counters["prepare_ms"] = Median(prepares) * 1e3;
    state.counters["prepare_over_load"] = Median(prepares) / Median(loads);
}

BENCHMARK(BM_PrepareDrawing)
    ->DenseRange(0, 1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--write") == 0) {
        return WriteKind(argv[2], argv[3]) ? 0 : 2;
    }
    if (argc == 4 && std::strcmp(argv[1], "--resident") == 0) {
        if (std::strcmp(argv[2], "quillmere") == 0) {
            PrintResident<Ours>(argv[3]);
        }
        PrintResident<Theirs>(argv[3]);
    }
    selfPath = "/proc/self/exe";
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    Files(); // written once, outside every measurement
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
