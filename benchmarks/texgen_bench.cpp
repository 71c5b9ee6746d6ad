// A complete texture run (sampling, rendering, writing) against the sampling alone for the same
// parameters, over 20 fixed seeds. Prints the median of the per-seed time ratios; the target is
// at most 1.25, since the noise library's sampling is the floor of a run.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "texgen/texgen.h"

namespace {

const unsigned int firstSeed = 1000;
const int seedCount = 20;

// Draws the run's bounds and noise parameters from a seed exactly as a run does, and samples
// the map without colouring or writing it.
class SamplingOnly : public TextureGenerator {
public:
    explicit SamplingOnly(unsigned int seed) : TextureGenerator(seed, Deferred{}) {}

    noise::utils::NoiseMap sample() {
        float bounds[4];
        bounds[0] = static_cast<float>(uniform(-10.0, 0.0));
        bounds[1] = static_cast<float>(uniform(0.0, 10.0));
        bounds[2] = static_cast<float>(uniform(-10.0, 0.0));
        bounds[3] = static_cast<float>(uniform(0.0, 10.0));
        return generateHeightMap(512, 512, bounds);
    }
};

// Keeps the runs' console lines out of the report.
struct QuietStdout {
    QuietStdout() : saved(std::cout.rdbuf(sink.rdbuf())) {}
    ~QuietStdout() { std::cout.rdbuf(saved); }
    std::ostringstream sink;
    std::streambuf* saved;
};

void FullRun(benchmark::State& state, unsigned int seed) {
    QuietStdout quiet;
    for (auto _ : state) {
        TextureGenerator generator(seed);
        benchmark::ClobberMemory();
    }
}

void SamplingAlone(benchmark::State& state, unsigned int seed) {
    QuietStdout quiet;
    for (auto _ : state) {
        SamplingOnly generator(seed);
        noise::utils::NoiseMap map = generator.sample();
        benchmark::DoNotOptimize(map.GetValue(0, 0));
    }
}

// Collects the per-seed times next to the usual console report.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration) {
                // Drop the "/min_time:..." suffix that the library appends to the name.
                std::string name = run.benchmark_name();
                name = name.substr(0, name.find("/min_time"));
                realTimes[name] = run.GetAdjustedRealTime();
                cpuTimes[name] = run.GetAdjustedCPUTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> realTimes;
    std::map<std::string, double> cpuTimes;
};

// Median over the seeds of full run time / sampling time; 0 when a seed is missing.
double MedianRatio(const std::map<std::string, double>& times) {
    std::vector<double> ratios;
    for (int i = 0; i < seedCount; ++i) {
        std::string seed = std::to_string(firstSeed + i);
        auto full = times.find("FullRun/" + seed);
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
        benchmark::RegisterBenchmark(("FullRun/" + std::to_string(seed)).c_str(), FullRun, seed)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(0.3);
        benchmark::RegisterBenchmark(("SamplingAlone/" + std::to_string(seed)).c_str(),
                                     SamplingAlone, seed)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(0.3);
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::filesystem::current_path(previous);
    std::filesystem::remove_all(folder);

    // The processor-time ratio is the steadier figure on a busy machine; both are printed.
    double realRatio = MedianRatio(reporter.realTimes);
    double cpuRatio = MedianRatio(reporter.cpuTimes);
    if (realRatio > 0.0) {
        std::cout << "texture run / sampling alone, median over " << seedCount
                  << " seeds: " << realRatio << " (real time), " << cpuRatio
                  << " (processor time); target <= 1.25\n";
    }
    return 0;
}
