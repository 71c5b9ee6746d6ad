// A complete texture run (sampling on every core, rendering, writing) against bare sampling of
// the same plane with the same parameters on one thread, over 20 fixed seeds. Prints the median
// of the per-seed wall-clock ratios; the target is at most 0.9: with the rows spread over the
// cores a whole run takes less time than one core needs for the sampling alone. Runs in a row
// find OpenMP's threads awake; a second figure is for runs after 200 ms of idleness.
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

// Draws the run's bounds and noise parameters from a seed exactly as a run does, in the same
// order, and samples the plane either in a plain loop on the calling thread (no builder, no map,
// no threads) or through the run's own code.
class Sampling : public TextureGenerator {
public:
    explicit Sampling(unsigned int seed) : TextureGenerator(seed, Deferred{}) {
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
        const double deltaX = (upperX - lowerX) / textureSize;
        const double deltaZ = (upperZ - lowerZ) / textureSize;
        values.resize(static_cast<std::size_t>(textureSize) * textureSize);
        float* dest = values.data();
        double z = lowerZ;
        for (int y = 0; y < textureSize; ++y) {
            double x = lowerX;
            for (int column = 0; column < textureSize; ++column) {
                *dest++ = static_cast<float>(planeModel.GetValue(x, z));
                x += deltaX;
            }
            z += deltaZ;
        }
    }

    noise::utils::NoiseMap sampleAsTheRun() {
        return generateHeightMap(textureSize, textureSize, m_bounds);
    }

private:
    float m_bounds[4];
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

void SamplingAlone(benchmark::State& state, unsigned int seed) {
    std::vector<float> values;
    for (auto _ : state) {
        Sampling generator(seed);
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
double MedianRatio(const std::map<std::string, double>& times, const std::string& run) {
    std::vector<double> ratios;
    for (int i = 0; i < seedCount; ++i) {
        std::string seed = std::to_string(firstSeed + i);
        auto full = times.find(run + "/" + seed);
        auto sampling = times.find("SamplingAlone/" + seed);
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
        benchmark::RegisterBenchmark(("SamplingAlone" + name).c_str(), SamplingAlone, seed)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(0.3)
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
    return 0;
}
