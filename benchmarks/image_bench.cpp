// BMP reading speed on 2048 x 2048 files at 24, 8 and 32 bits (bit fields with alpha, as image
// editors write pictures with transparency) and run-length encoded at 8 bits, against
// stb_image, the decoder texture loading uses for other formats, measured two ways:
// - warm: the same file read again and again in one process (Google Benchmark's loop);
// - fresh: one read in a new process that has not read the file before, as a texture is read,
//   in processor time and page faults of the read alone (median of several processes).
// ImageMagick (a `convert file.bmp rgb:/dev/null` process, start-up included) and Pillow
// (decode time inside Python) are timed too, as before.
#include "image/bitmap_stream.h"
#include "image/image.h"

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_BMP
#include <stb/stb_image.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int side = 2048;
constexpr int freshRuns = 7;

void Put32(std::vector<unsigned char>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

std::uint32_t NextRandom(std::uint32_t* state) {
    *state ^= *state << 13;
    *state ^= *state >> 17;
    *state ^= *state << 5;
    return *state;
}

enum class Kind { Rgb24, Palette8, Bgra32, Rle8 };

// Flat areas with ragged edges, like a posterised picture saved with a palette: runs of a few
// dozen pixels.
unsigned char PosterIndex(int x, int y, std::uint32_t* state) {
    const int jitter = static_cast<int>(NextRandom(state) % 5);
    return static_cast<unsigned char>(((x + jitter) / 37 + y / 53) % 200);
}

// One row as BI_RLE8: runs of 3 or more as runs, other pixels in absolute mode (3 or more) or
// as short runs, then an end-of-line escape.
void EncodeRle8Row(const std::vector<unsigned char>& row, std::vector<unsigned char>* out) {
    std::size_t x = 0;
    while (x < row.size()) {
        std::size_t run = 1;
        while (x + run < row.size() && run < 255 && row[x + run] == row[x]) {
            ++run;
        }
        if (run >= 3) {
            out->insert(out->end(), {static_cast<unsigned char>(run), row[x]});
            x += run;
            continue;
        }
        // gather pixels up to the next run of 3
        std::size_t end = x;
        while (end < row.size() && end - x < 255 &&
               !(end + 2 < row.size() && row[end] == row[end + 1] && row[end] == row[end + 2])) {
            ++end;
        }
        const std::size_t count = end - x;
        if (count < 3) {
            for (std::size_t i = 0; i < count; ++i) {
                out->insert(out->end(), {1, row[x + i]});
            }
        } else {
            out->insert(out->end(), {0, static_cast<unsigned char>(count)});
            out->insert(out->end(), row.begin() + static_cast<std::ptrdiff_t>(x),
                        row.begin() + static_cast<std::ptrdiff_t>(end));
            if (count & 1) {
                out->push_back(0);
            }
        }
        x = end;
    }
    out->insert(out->end(), {0, 0});
}

std::vector<unsigned char> MakeFile(Kind kind) {
    const int depth = kind == Kind::Rgb24 ? 24 : kind == Kind::Bgra32 ? 32 : 8;
    const std::size_t infoSize = kind == Kind::Bgra32 ? 124 : 40;
    const std::size_t palette = depth == 8 ? 1024 : 0;
    const std::size_t offset = 14 + infoSize + palette;
    const std::size_t row = (static_cast<std::size_t>(side) * depth + 31) / 32 * 4;
    std::vector<unsigned char> bytes(offset, 0);
    std::uint32_t state = 2463534242u;
    if (kind == Kind::Rle8) {
        std::vector<unsigned char> indices(side);
        for (int y = 0; y < side; ++y) {
            for (int x = 0; x < side; ++x) {
                indices[x] = PosterIndex(x, y, &state);
            }
            EncodeRle8Row(indices, &bytes);
        }
        bytes.insert(bytes.end(), {0, 1});
    } else {
        // a cheap noisy pattern, so no decoder gets an easy run of equal bytes
        bytes.resize(offset + row * side);
        for (std::size_t i = offset; i < bytes.size(); ++i) {
            bytes[i] = static_cast<unsigned char>(NextRandom(&state));
        }
    }
    bytes[0] = 'B';
    bytes[1] = 'M';
    Put32(bytes, 2, static_cast<std::uint32_t>(bytes.size()));
    Put32(bytes, 10, static_cast<std::uint32_t>(offset));
    Put32(bytes, 14, static_cast<std::uint32_t>(infoSize));
    Put32(bytes, 18, side);
    Put32(bytes, 22, side);
    bytes[26] = 1;
    bytes[28] = static_cast<unsigned char>(depth);
    Put32(bytes, 30, kind == Kind::Rle8 ? 1 : kind == Kind::Bgra32 ? 3 : 0);
    Put32(bytes, 34, static_cast<std::uint32_t>(bytes.size() - offset));
    if (kind == Kind::Bgra32) {
        Put32(bytes, 54, 0xFF0000);
        Put32(bytes, 58, 0xFF00);
        Put32(bytes, 62, 0xFF);
        Put32(bytes, 66, 0xFF000000u);
    }
    for (std::size_t i = 0; i < palette; ++i) {
        bytes[14 + infoSize + i] = static_cast<unsigned char>(i % 4 == 3 ? 0 : i * 37 + i / 4);
    }
    return bytes;
}

double Seconds(std::chrono::steady_clock::duration duration) {
    return std::chrono::duration<double>(duration).count();
}

// Best of three: the machine is shared, and the minimum is the least disturbed run.
double TimeCommand(const std::string& command) {
    double best = 1e30;
    for (int run = 0; run < 3; ++run) {
        const auto start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0) {
            return 0;
        }
        best = std::min(best, Seconds(std::chrono::steady_clock::now() - start));
    }
    return best;
}

std::string PillowPython() {
    for (const char* python : {"/usr/bin/python3", "python3"}) {
        const std::string check = std::string(python) + " -c 'import PIL' >/dev/null 2>&1";
        if (std::system(check.c_str()) == 0) {
            return python;
        }
    }
    return "";
}

double TimePillow(const std::string& python, const std::string& path) {
    if (python.empty()) {
        return 0;
    }
    const std::string command = python +
                                " -c '\n"
                                "import sys, time\n"
                                "from PIL import Image\n"
                                "best = 1e30\n"
                                "for run in range(5):\n"
                                "    start = time.perf_counter()\n"
                                "    Image.open(sys.argv[1]).convert(\"RGB\").tobytes()\n"
                                "    best = min(best, time.perf_counter() - start)\n"
                                "print(best)' " +
                                path;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return 0;
    }
    double seconds = 0;
    if (std::fscanf(pipe, "%lf", &seconds) != 1) {
        seconds = 0;
    }
    pclose(pipe);
    return seconds;
}

// One read in this process, which has read nothing before: processor seconds and minor page
// faults of the read alone (releasing the pixels included), on standard output.
int DecodeOnce(const std::string& decoder, const char* path) {
    rusage before{};
    rusage after{};
    getrusage(RUSAGE_SELF, &before);
    bool read = false;
    if (decoder == "ours") {
        BitmapFile bitmap;
        read = ReadBitmapFile(path, &bitmap) == 0;
    } else {
        int width = 0;
        int height = 0;
        int channels = 0;
        stbi_uc* pixels = stbi_load(path, &width, &height, &channels, 0);
        read = pixels != nullptr;
        stbi_image_free(pixels);
    }
    getrusage(RUSAGE_SELF, &after);
    if (!read) {
        return 1;
    }
    auto cpu = [](const rusage& usage) {
        return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
               static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    };
    std::printf("%.6f %ld\n", cpu(after) - cpu(before), after.ru_minflt - before.ru_minflt);
    return 0;
}

struct Fresh {
    double milliseconds = 0; // 0 when the decoder cannot read the file
    double faults = 0;
};

std::string SelfPath() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : "";
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Median over freshRuns processes; the two decoders alternate so that both see the same load.
void TimeFresh(const std::string& path, Fresh* ours, Fresh* stb) {
    const std::string self = SelfPath();
    std::vector<double> times[2];
    std::vector<double> faults[2];
    for (int run = 0; run < freshRuns; ++run) {
        for (int which = 0; which < 2; ++which) {
            const std::string command =
                "'" + self + "' --decode-once " + (which == 0 ? "ours" : "stb") + " " + path;
            FILE* pipe = popen(command.c_str(), "r");
            double seconds = 0;
            long count = 0;
            const bool read =
                pipe != nullptr && std::fscanf(pipe, "%lf %ld", &seconds, &count) == 2;
            if (pipe != nullptr) {
                pclose(pipe);
            }
            if (read) {
                times[which].push_back(seconds * 1e3);
                faults[which].push_back(static_cast<double>(count));
            }
        }
    }
    Fresh* results[2] = {ours, stb};
    for (int which = 0; which < 2; ++which) {
        if (!times[which].empty()) {
            results[which]->milliseconds = Median(times[which]);
            results[which]->faults = Median(faults[which]);
        }
    }
}

struct BenchFile {
    std::string path;
    std::size_t bytes = 0;
    double convertSeconds = 0; // 0 when the tool is missing
    double pillowSeconds = 0;
    Fresh fresh;
    Fresh stbFresh;
};

struct BenchFiles {
    std::string folder;
    BenchFile files[4];

    BenchFiles() {
        char name[] = "/tmp/image_bench.XXXXXX";
        folder = mkdtemp(name) != nullptr ? name : "/tmp";
        const std::string convert =
            access("/usr/bin/convert", X_OK) == 0 ? "/usr/bin/convert" : "convert";
        const std::string python = PillowPython();
        const char* names[4] = {"24bit", "8bit", "32bit-alpha", "rle8"};
        for (int i = 0; i < 4; ++i) {
            BenchFile& file = files[i];
            const std::vector<unsigned char> bytes = MakeFile(static_cast<Kind>(i));
            file.path = folder + "/bench-" + names[i] + ".bmp";
            std::ofstream(file.path, std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<std::streamsize>(bytes.size()));
            file.bytes = bytes.size();
            file.convertSeconds =
                TimeCommand(convert + " " + file.path + " rgb:/dev/null 2>/dev/null");
            file.pillowSeconds = TimePillow(python, file.path);
            TimeFresh(file.path, &file.fresh, &file.stbFresh);
        }
    }
    ~BenchFiles() {
        for (const BenchFile& file : files) {
            std::remove(file.path.c_str());
        }
        rmdir(folder.c_str());
    }
};

BenchFiles& Files() {
    static BenchFiles files;
    return files;
}

const BenchFile& FileOf(Kind kind) {
    return Files().files[static_cast<int>(kind)];
}

void Report(benchmark::State& state, const BenchFile& file, double ourSeconds) {
    const double megabytes = static_cast<double>(file.bytes) / 1e6;
    state.counters["MB/s"] = megabytes / ourSeconds;
    if (file.convertSeconds > 0) {
        state.counters["convert_MB/s"] = megabytes / file.convertSeconds;
        state.counters["x_convert"] = file.convertSeconds / ourSeconds;
    }
    if (file.pillowSeconds > 0) {
        state.counters["pillow_MB/s"] = megabytes / file.pillowSeconds;
        state.counters["x_pillow"] = file.pillowSeconds / ourSeconds;
    }
    if (file.fresh.milliseconds > 0) {
        state.counters["fresh_ms"] = file.fresh.milliseconds;
        state.counters["fresh_faults"] = file.fresh.faults;
    }
    if (file.stbFresh.milliseconds > 0) {
        state.counters["stb_fresh_ms"] = file.stbFresh.milliseconds;
        state.counters["stb_fresh_faults"] = file.stbFresh.faults;
    }
}

// From the file on disk, as texture loading reads it.
void ReadFile(benchmark::State& state, Kind kind) {
    const BenchFile& file = FileOf(kind);
    BitmapFile bitmap;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        if (ReadBitmapFile(file.path, &bitmap) != 0) {
            state.SkipWithError("the benchmark file did not read");
            return;
        }
        benchmark::DoNotOptimize(bitmap.data);
    }
    Report(state, file,
           Seconds(std::chrono::steady_clock::now() - start) /
               static_cast<double>(state.iterations()));
}

// The peer on the same file, each channel the file has (RGB, or RGBA for alpha).
void StbReadFile(benchmark::State& state, Kind kind) {
    const BenchFile& file = FileOf(kind);
    for (auto _ : state) {
        int width = 0;
        int height = 0;
        int channels = 0;
        stbi_uc* pixels = stbi_load(file.path.c_str(), &width, &height, &channels, 0);
        if (pixels == nullptr) {
            state.SkipWithError("stb_image did not read the benchmark file");
            return;
        }
        benchmark::DoNotOptimize(pixels);
        stbi_image_free(pixels);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(file.bytes) * state.iterations());
}

// Decoding alone, from bytes already in memory.
void BM_DecodeMemory24(benchmark::State& state) {
    const std::vector<unsigned char> bytes = MakeFile(Kind::Rgb24);
    BitmapFile bitmap;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReadBitmapMemory(bytes.data(), bytes.size(), &bitmap));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes.size()) * state.iterations());
}

// Each file read by us and then by stb_image (which does not read RLE), then decoding alone.
void RegisterBenchmarks() {
    const struct {
        const char* name;
        void (*read)(benchmark::State&, Kind);
        Kind kind;
    } reads[] = {
        {"BM_ReadBitmap24", ReadFile, Kind::Rgb24},   {"BM_StbRead24", StbReadFile, Kind::Rgb24},
        {"BM_ReadBitmap8", ReadFile, Kind::Palette8}, {"BM_StbRead8", StbReadFile, Kind::Palette8},
        {"BM_ReadBitmap32", ReadFile, Kind::Bgra32},  {"BM_StbRead32", StbReadFile, Kind::Bgra32},
        {"BM_ReadBitmapRle8", ReadFile, Kind::Rle8},
    };
    for (const auto& read : reads) {
        benchmark::RegisterBenchmark(read.name, read.read, read.kind)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("BM_DecodeMemory24", BM_DecodeMemory24)
        ->Unit(benchmark::kMillisecond);
}

} // namespace

int main(int argc, char** argv) {
    // a child started by TimeFresh
    if (argc == 4 && std::strcmp(argv[1], "--decode-once") == 0) {
        return DecodeOnce(argv[2], argv[3]);
    }
    RegisterBenchmarks();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
