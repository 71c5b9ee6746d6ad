// A complete texture run (sampling on every core, rendering, writing) against bare sampling of
// the same plane with the same parameters on one thread, over 20 fixed seeds. Prints the median
// of the per-seed wall-clock ratios; the target is at most 0.9: with the rows spread over the
// cores a whole run takes less time than one core needs for the sampling alone. Runs in a row
// find OpenMP's threads awake; a second figure is for runs after 200 ms of idleness. The same
// ratio is measured for 4096 x 4096 textures (--texture-size 4096) over the first 5 seeds.
#include <benchmark/benchmark.h>
#include <libnoise/model/plane.h>
#include <libnoise/module/perlin.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "texgen/texgen.h"

namespace {

const unsigned int firstSeed = 1000;
const int seedCount = 20;
const int textureSize = 512;
const int largeSize = 4096;
const int largeSeedCount = 5;

// Draws the run's bounds and noise parameters from a seed exactly as a run does, in the same
// order, and samples the plane either in a plain loop on the calling thread (no builder, no map,
// no threads) or through the run's own code.
class Sampling : public TextureGenerator {
public:
    explicit Sampling(unsigned int seed, int size = textureSize)
        : TextureGenerator(seed, Deferred{}), m_size(size) {
        m_bounds[0] = static_cast<float>(uniform(-10.0, 0.0));
        m_bounds[1] = static_cast<float>(uniform(0.0, 10.0));
        m_bounds[2] = static_cast<float>(uniform(-10.0, 0.0));
        m_bounds[3] = static_cast<float>(uniform(0.0, 10.0));
    }

    void sampleBare(std::vector<float>& values) {
        const double lowerX = m_bounds[0];
        const double upperX = m_bounds[1];
        const double lowerZ = m_bounds[2];
        const double upperZ = m_bounds[3];
        noise::module::Perlin perlin;
        perlin.SetOctaveCount(static_cast<int>(uniform(1.0, 6.1)));
        perlin.SetFrequency(static_cast<float>(uniform(1.0, 3.0)));
        perlin.SetPersistence(static_cast<float>(uniform(0.0, 1.0)));
        noise::model::Plane planeModel;
        planeModel.SetModule(perlin);
        const double deltaX = (upperX - lowerX) / m_size;
        const double deltaZ = (upperZ - lowerZ) / m_size;
        values.resize(static_cast<std::size_t>(m_size) * m_size);
        float* dest = values.data();
        double z = lowerZ;
        for (int y = 0; y < m_size; ++y) {
            double x = lowerX;
            for (int column = 0; column < m_size; ++column) {
                *dest++ = static_cast<float>(planeModel.GetValue(x, z));
                x += deltaX;
            }
            z += deltaZ;
        }
    }

    noise::utils::NoiseMap sampleAsTheRun() { return generateHeightMap(m_size, m_size, m_bounds); }

private:
    float m_bounds[4];
    int m_size;
};

// Keeps the runs' console lines out of the report.
struct QuietStdout {
    QuietStdout() : saved(std::cout.rdbuf(sink.rdbuf())) {}
    ~QuietStdout() { std::cout.rdbuf(saved); }
    std::ostringstream sink;
    std::streambuf* saved;
};

// Whole runs, in a row or each after the viewer has been idle for a while, as at a Space press:
// then OpenMP's threads have stopped spinning and sleep, and waking them is part of the run.
void Run(benchmark::State& state, unsigned int seed, std::chrono::milliseconds idle) {
    QuietStdout quiet;
    for (auto _ : state) {
        if (idle.count() > 0) {
            state.PauseTiming();
            std::this_thread::sleep_for(idle);
            state.ResumeTiming();
        }
        TextureGenerator generator(seed);
        benchmark::ClobberMemory();
    }
}

// A whole --texture-size 4096 run, as the viewer makes it.
void LargeRun(benchmark::State& state, unsigned int seed) {
    QuietStdout quiet;
    TextureSettings settings;
    settings.size = largeSize;
    for (auto _ : state) {
        TextureGenerator generator(seed, settings);
        benchmark::ClobberMemory();
    }
}

void SamplingAlone(benchmark::State& state, unsigned int seed, int size) {
    std::vector<float> values;
    for (auto _ : state) {
        Sampling generator(seed, size);
        generator.sampleBare(values);
        benchmark::DoNotOptimize(values.data());
    }
}

// The bare loop must sample what the run samples, or the ratio compares different work.
bool SamplingMatchesTheRun(unsigned int seed) {
    QuietStdout quiet;
    std::vector<float> values;
    Sampling(seed).sampleBare(values);
    noise::utils::NoiseMap map = Sampling(seed).sampleAsTheRun();
    for (int y = 0; y < textureSize; ++y) {
        if (std::memcmp(map.GetRowPtr(y), values.data() + static_cast<std::size_t>(y) * textureSize,
                        textureSize * sizeof(float)) != 0) {
            return false;
        }
    }
    return true;
}

// Collects the per-seed times next to the usual console report.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration) {
                // Keep "Name/seed", dropping what the library appends ("/min_time:...").
                std::string name = run.benchmark_name();
                name = name.substr(0, name.find('/', name.find('/') + 1));
                realTimes[name] = run.GetAdjustedRealTime();
                cpuTimes[name] = run.GetAdjustedCPUTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> realTimes;
    std::map<std::string, double> cpuTimes;
};

// Median over the seeds of run time / sampling time; 0 when a seed is missing.
double MedianRatio(const std::map<std::string, double>& times, const std::string& run,
                   const std::string& samplingName = "SamplingAlone", int seeds = seedCount) {
    std::vector<double> ratios;
    for (int i = 0; i < seeds; ++i) {
        std::string seed = std::to_string(firstSeed + i);
        auto full = times.find(run + "/" + seed);
        auto sampling = times.find(samplingName + "/" + seed);
        if (full == times.end() || sampling == times.end()) {
            return 0.0;
        }
        ratios.push_back(full->second / sampling->second);
    }
    std::sort(ratios.begin(), ratios.end());
    size_t middle = ratios.size() / 2;
    return ratios.size() % 2 ? ratios[middle] : (ratios[middle - 1] + ratios[middle]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    // A run writes ./Data/example0.bmp; keep it out of the caller's folder.
    std::string folder = (std::filesystem::temp_directory_path() / "texgen-bench-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) {
        std::cerr << "cannot create a working folder\n";
        return 1;
    }
    std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    std::filesystem::create_directory("Data");

    for (int i = 0; i < seedCount; ++i) {
        unsigned int seed = firstSeed + i;
        if (!SamplingMatchesTheRun(seed)) {
            std::cerr << "seed " << seed << ": the bare loop does not sample what the run does\n";
            return 1;
        }
        const std::string name = "/" + std::to_string(seed);
        benchmark::RegisterBenchmark(("FullRun" + name).c_str(), Run, seed,
                                     std::chrono::milliseconds(0))
            ->Unit(benchmark::kMillisecond)
            ->MinTime(0.3)
            ->UseRealTime();
        benchmark::RegisterBenchmark(("ColdRun" + name).c_str(), Run, seed,
                                     std::chrono::milliseconds(200))
            ->Unit(benchmark::kMillisecond)
            ->Iterations(3)
            ->UseRealTime();
        benchmark::RegisterBenchmark(("SamplingAlone" + name).c_str(), SamplingAlone, seed,
                                     textureSize)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(0.3)
            ->UseRealTime();
    }
    // A 4096² run samples 64 times as much; a few seeds and runs each keep it to a minute.
    for (int i = 0; i < largeSeedCount; ++i) {
        const unsigned int seed = firstSeed + i;
        const std::string name = "/" + std::to_string(seed);
        benchmark::RegisterBenchmark(("LargeRun" + name).c_str(), LargeRun, seed)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(2)
            ->UseRealTime();
        benchmark::RegisterBenchmark(("LargeSamplingAlone" + name).c_str(), SamplingAlone, seed,
                                     largeSize)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(2)
            ->UseRealTime();
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::filesystem::current_path(previous);
    std::filesystem::remove_all(folder);

    // The target is on wall-clock time, which threads shorten; the processor-time ratio (the
    // calling thread's) is printed beside it.
    double realRatio = MedianRatio(reporter.realTimes, "FullRun");
    double cpuRatio = MedianRatio(reporter.cpuTimes, "FullRun");
    double coldRatio = MedianRatio(reporter.realTimes, "ColdRun");
    if (realRatio > 0.0 && coldRatio > 0.0) {
        std::cout << "texture run / bare one-thread sampling, median over " << seedCount
                  << " seeds: " << realRatio << " (real time), " << cpuRatio
                  << " (processor time of the calling thread); target <= 0.9\n"
                  << "texture run after 200 ms idle / bare one-thread sampling, median over "
                  << seedCount << " seeds: " << coldRatio << " (real time)\n";
    }
    double largeRatio =
        MedianRatio(reporter.realTimes, "LargeRun", "LargeSamplingAlone", largeSeedCount);
    if (largeRatio > 0.0) {
        std::cout << "4096² texture run / bare one-thread sampling, median over " << largeSeedCount
                  << " seeds: " << largeRatio << " (real time); target <= 0.9\n";
    }
    return 0;
}
