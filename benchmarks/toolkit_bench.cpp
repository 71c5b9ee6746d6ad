// Speed of the noise-map toolkit: plane build, lit image render, normal-map render and BMP write,
// the plane build on one thread against sampling the plane model directly over the same points,
// and the builder and renderers on every core against one thread.
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>
#include <libnoise/model/plane.h>
#include <libnoise/module/perlin.h>
#include <omp.h>

#include "toolkit/toolkit.h"

namespace {

using noise::utils::Color;
using noise::utils::Image;
using noise::utils::NoiseMap;

const double kLowerX = -2.0;
const double kUpperX = 2.0;
const double kLowerZ = -1.5;
const double kUpperZ = 2.5;

void BuildPerlinMap(const noise::module::Perlin& perlin, NoiseMap& map, int size) {
    noise::utils::NoiseMapBuilderPlane builder;
    builder.SetSourceModule(perlin);
    builder.SetDestNoiseMap(map);
    builder.SetDestSize(size, size);
    builder.SetBounds(kLowerX, kUpperX, kLowerZ, kUpperZ);
    builder.Build();
}

// The plane model sampled in a plain loop, with the same accumulated coordinates the builder
// uses: the floor under which no toolkit can go.
void SamplePlaneDirectly(const noise::module::Perlin& perlin, std::vector<float>& out, int size) {
    noise::model::Plane planeModel;
    planeModel.SetModule(perlin);
    const double deltaX = (kUpperX - kLowerX) / size;
    const double deltaZ = (kUpperZ - kLowerZ) / size;
    float* dest = out.data();
    double z = kLowerZ;
    for (int y = 0; y < size; ++y) {
        double x = kLowerX;
        for (int column = 0; column < size; ++column) {
            *dest++ = static_cast<float>(planeModel.GetValue(x, z));
            x += deltaX;
        }
        z += deltaZ;
    }
}

// A lit renderer with a 24-point gradient, as the texture run sets it up at its largest, from
// map into image.
void Configure(noise::utils::RendererImage& renderer, NoiseMap& map, Image& image) {
    renderer.ClearGradient();
    for (int i = 0; i < 24; ++i) {
        const double position = -1.0 + 2.0 * i / 23.0;
        renderer.AddGradientPoint(position, Color(static_cast<noise::uint8>(i * 11),
                                                  static_cast<noise::uint8>(255 - i * 7),
                                                  static_cast<noise::uint8>(i * 5 + 40),
                                                  i % 10 == 3 ? 128 : 255));
    }
    renderer.EnableLight(true);
    renderer.SetLightContrast(3.0);
    renderer.SetLightBrightness(2.0);
    renderer.SetSourceNoiseMap(map);
    renderer.SetDestImage(image);
}

// The normal-map renderer with wrapping on, from map into image.
void Configure(noise::utils::RendererNormalMap& renderer, NoiseMap& map, Image& image) {
    renderer.SetSourceNoiseMap(map);
    renderer.SetDestImage(image);
    renderer.EnableWrap(true);
}

// A Perlin map of the benchmark's size, an image, and a renderer set up to fill the image from the
// map (the lit one for images).
template <class Renderer> struct RenderScene {
    explicit RenderScene(int size) {
        BuildPerlinMap(perlin, map, size);
        Configure(renderer, map, image);
    }

    void Render() {
        renderer.Render();
        benchmark::DoNotOptimize(image.GetRowPtr(0));
    }

    noise::module::Perlin perlin;
    NoiseMap map;
    Image image;
    Renderer renderer;
};

int SizeOf(const benchmark::State& state) {
    return static_cast<int>(state.range(0));
}

// Figures per cell of the size x size grid each iteration handled.
void ReportCells(benchmark::State& state, const char* label) {
    const int size = SizeOf(state);
    state.SetItemsProcessed(state.iterations() * size * size);
    state.SetLabel(label);
}

// Times a renderer that is fully set up, rendering into its image again and again.
template <class Renderer> void TimeRenders(benchmark::State& state, const char* label) {
    RenderScene<Renderer> scene(SizeOf(state));
    for (auto _ : state) {
        scene.Render();
    }
    ReportCells(state, label);
}

void BM_PlaneBuild(benchmark::State& state) {
    const int size = SizeOf(state);
    noise::module::Perlin perlin;
    NoiseMap map;
    for (auto _ : state) {
        BuildPerlinMap(perlin, map, size);
        benchmark::DoNotOptimize(map.GetRowPtr(0));
    }
    ReportCells(state, "NoiseMapBuilderPlane over Perlin");
}
BENCHMARK(BM_PlaneBuild)->Arg(512)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PlaneModelDirect(benchmark::State& state) {
    const int size = SizeOf(state);
    noise::module::Perlin perlin;
    std::vector<float> values(static_cast<std::size_t>(size) * size);
    for (auto _ : state) {
        SamplePlaneDirectly(perlin, values, size);
        benchmark::DoNotOptimize(values.data());
    }
    ReportCells(state, "plane model in a plain loop");
}
BENCHMARK(BM_PlaneModelDirect)->Arg(512)->Unit(benchmark::kMillisecond);

// CPU time of this thread, so that other processes on a busy machine do not skew the ratio.
double ThreadSeconds() {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// Both ways, alternately in the same iterations so that clock and cache conditions match;
// "build_over_direct" is the builder's CPU time divided by the plain loop's (about 1.0
// expected).
void BM_PlaneBuildVsDirect(benchmark::State& state) {
    const int size = SizeOf(state);
    // The builder on one thread, so that this thread's processor time is all of its work.
    const int threads = omp_get_max_threads();
    omp_set_num_threads(1);
    noise::module::Perlin perlin;
    NoiseMap map;
    std::vector<float> values(static_cast<std::size_t>(size) * size);
    double buildSeconds = 0.0;
    double directSeconds = 0.0;
    for (auto _ : state) {
        const double start = ThreadSeconds();
        BuildPerlinMap(perlin, map, size);
        const double middle = ThreadSeconds();
        SamplePlaneDirectly(perlin, values, size);
        const double end = ThreadSeconds();
        benchmark::DoNotOptimize(map.GetRowPtr(0));
        benchmark::DoNotOptimize(values.data());
        buildSeconds += middle - start;
        directSeconds += end - middle;
    }
    const double iterations = static_cast<double>(state.iterations());
    state.counters["build_ms"] = 1e3 * buildSeconds / iterations;
    state.counters["direct_ms"] = 1e3 * directSeconds / iterations;
    state.counters["build_over_direct"] = buildSeconds / directSeconds;
    state.SetLabel("ratio of plane build (one thread) to direct plane sampling");
    omp_set_num_threads(threads);
}
BENCHMARK(BM_PlaneBuildVsDirect)->Arg(512)->Unit(benchmark::kMillisecond);

double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Processor time of the whole process, every thread included.
double ProcessSeconds() {
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// Every thread of a team computes for the given time.
void KeepThreadsBusy(std::chrono::milliseconds duration) {
#pragma omp parallel
    {
        const double end = WallSeconds() + std::chrono::duration<double>(duration).count();
        while (WallSeconds() < end) {
            benchmark::ClobberMemory();
        }
    }
}

// Does the work on one thread and on as many as OpenMP offers (the cores, or OMP_NUM_THREADS),
// alternately in the same iterations so that both meet the same machine. "speedup" is the
// one-thread wall-clock time over the many-thread one; "cores_busy" is the many-thread run's
// processor time over its wall-clock time, how many cores it kept busy: on a machine shared with
// other work the speed-up falls short of it, as the threads wait for a core. "work_ratio" is the
// many-thread run's processor time over the one-thread run's: what sharing the rows costs in
// extra work (waiting threads spin, so a busy machine inflates it). threads / work_ratio is then
// the speed-up the threads can reach with the cores to themselves.
template <class Work> void TimeOneThreadAgainstAll(benchmark::State& state, Work work) {
    const int threads = omp_get_max_threads();
    double oneWall = 0.0;
    double allWall = 0.0;
    double oneProcess = 0.0;
    double allProcess = 0.0;
    for (auto _ : state) {
        omp_set_num_threads(1);
        // OpenMP's idle threads spin for a few milliseconds after a parallel region before they
        // sleep; the one-thread run waits that out so that they neither share its core nor
        // count in its processor time.
        state.PauseTiming();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        state.ResumeTiming();
        const double oneProcessStart = ProcessSeconds();
        const double oneStart = WallSeconds();
        work();
        const double oneEnd = WallSeconds();
        oneProcess += ProcessSeconds() - oneProcessStart;
        // The threads first share a few milliseconds of work, as a run's render finds them
        // after its build. Merely woken, a parked thread may be left on the waking thread's core
        // for some milliseconds (this machine's scheduler packs work onto few cores) and the two
        // then take turns on one core.
        state.PauseTiming();
        omp_set_num_threads(threads);
        KeepThreadsBusy(std::chrono::milliseconds(5));
        state.ResumeTiming();
        const double allProcessStart = ProcessSeconds();
        const double allStart = WallSeconds();
        work();
        const double allEnd = WallSeconds();
        allProcess += ProcessSeconds() - allProcessStart;
        oneWall += oneEnd - oneStart;
        allWall += allEnd - allStart;
    }
    const double iterations = static_cast<double>(state.iterations());
    state.counters["threads"] = threads;
    state.counters["one_thread_ms"] = 1e3 * oneWall / iterations;
    state.counters["all_threads_ms"] = 1e3 * allWall / iterations;
    state.counters["speedup"] = oneWall / allWall;
    state.counters["cores_busy"] = allProcess / allWall;
    state.counters["work_ratio"] = allProcess / oneProcess;
}

void BM_PlaneBuildThreads(benchmark::State& state) {
    const int size = SizeOf(state);
    noise::module::Perlin perlin;
    NoiseMap map;
    TimeOneThreadAgainstAll(state, [&] {
        BuildPerlinMap(perlin, map, size);
        benchmark::DoNotOptimize(map.GetRowPtr(0));
    });
    state.SetLabel("plane build, one thread against all (wall clock)");
}
BENCHMARK(BM_PlaneBuildThreads)->Arg(512)->Unit(benchmark::kMillisecond)->UseRealTime();

// The renderer on one thread against all, as TimeOneThreadAgainstAll.
template <class Renderer> void TimeRenderThreads(benchmark::State& state, const char* label) {
    RenderScene<Renderer> scene(SizeOf(state));
    TimeOneThreadAgainstAll(state, [&] { scene.Render(); });
    state.SetLabel(label);
}

void BM_RenderImageThreads(benchmark::State& state) {
    TimeRenderThreads<noise::utils::RendererImage>(
        state, "lit image render, one thread against all (wall clock)");
}
BENCHMARK(BM_RenderImageThreads)->Arg(512)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RenderNormalMapThreads(benchmark::State& state) {
    TimeRenderThreads<noise::utils::RendererNormalMap>(
        state, "normal-map render, one thread against all (wall clock)");
}
BENCHMARK(BM_RenderNormalMapThreads)->Arg(512)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RenderImageLit(benchmark::State& state) {
    TimeRenders<noise::utils::RendererImage>(state, "RendererImage, light on, 24-point gradient");
}
BENCHMARK(BM_RenderImageLit)->Arg(512)->Arg(2048)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RenderNormalMap(benchmark::State& state) {
    TimeRenders<noise::utils::RendererNormalMap>(state, "RendererNormalMap, wrap on");
}
BENCHMARK(BM_RenderNormalMap)->Arg(2048)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WriteBMP(benchmark::State& state) {
    const int size = SizeOf(state);
    RenderScene<noise::utils::RendererImage> scene(size);
    scene.Render();

    const std::string path =
        (std::filesystem::temp_directory_path() / "quillmere-toolkit-bench.bmp").string();
    noise::utils::WriterBMP writer;
    writer.SetImage(scene.image);
    writer.SetFileName(path);
    for (auto _ : state) {
        writer.Write();
    }
    std::remove(path.c_str());
    const double fileBytes = 54.0 + noise::utils::WriterBMP::RowByteCount(size) * size;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fileBytes));
    state.SetLabel("WriterBMP to a temporary file");
}
BENCHMARK(BM_WriteBMP)->Arg(512)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
