// The engine against its floor: runs of the largest sample size versus the
// same number of dependent single-precision additions over values drawn
// beforehand. A run's sum must make those additions one after another, so
// the floor is what a run would cost if everything else it does were free.
#include "core/SampleSize.h"
#include "core/SamplingEngine.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace vellorin;

constexpr std::int32_t drawsPerRun = largestSampleSize;
constexpr float seed = 45296.5f; // 12:34:56.5

// The program's own run, as core compiles it.
void BM_Engine(benchmark::State& state)
{
    UniformGenerator generator(seed);
    for (auto _ : state) {
        std::optional<RunTally> tally = run(drawsPerRun, generator, [] { return true; });
        benchmark::DoNotOptimize(tally);
    }
}

void BM_Floor(benchmark::State& state)
{
    std::vector<float> draws(drawsPerRun);
    UniformGenerator generator(seed);
    UniformGenerator::Block k;
    for (std::size_t i = 0; i < draws.size(); ++i) {
        if (i % UniformGenerator::lanes == 0)
            generator.nextBlock(k);
        draws[i] = static_cast<float>(k[i % UniformGenerator::lanes]) * drawUnit;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(draws.data());
        float sum = 0.0f;
        for (float x : draws)
            sum += x;
        benchmark::DoNotOptimize(sum);
    }
}

BENCHMARK(BM_Engine)->Unit(benchmark::kMillisecond)->Repetitions(15);
BENCHMARK(BM_Floor)->Unit(benchmark::kMillisecond)->Repetitions(15);

// Prints as usual and keeps every repetition's time per benchmark.
class TimeCollector : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& report : runs)
            if (report.run_type == Run::RT_Iteration)
                times[report.run_name.function_name].push_back(report.GetAdjustedRealTime());
        ConsoleReporter::ReportRuns(runs);
    }

    std::map<std::string, std::vector<double>> times;
};

double fastest(const std::vector<double>& times) { return *std::min_element(times.begin(), times.end()); }

double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    const std::size_t n = times.size();
    return n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
}

void printAgainstFloor(const char* name, const std::vector<double>& times, const std::vector<double>& floorTimes)
{
    if (times.empty())
        return; // filtered out
    std::printf("%-8s fastest %6.3f ms, median %6.3f ms; to the floor %.2fx (fastest), %.2fx (median)\n", name,
                fastest(times), median(times), fastest(times) / fastest(floorTimes), median(times) / median(floorTimes));
}

} // namespace

int main(int argc, char** argv)
{
    // Interleaved repetitions, so a busy neighbour on a shared machine slows
    // both sides alike; flags given on the command line still win.
    std::vector<char*> args{argv[0], const_cast<char*>("--benchmark_enable_random_interleaving=true")};
    args.insert(args.end(), argv + 1, argv + argc);
    int argCount = static_cast<int>(args.size());
    benchmark::Initialize(&argCount, args.data());
    if (benchmark::ReportUnrecognizedArguments(argCount, args.data()))
        return 1;

    TimeCollector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();

    const auto additions = collector.times.find("BM_Floor");
    if (additions == collector.times.end())
        return 0; // filtered out: nothing to compare with
    const std::vector<double>& floorTimes = additions->second;
    std::printf("\n%d draws, %zu repetitions each\n", drawsPerRun, floorTimes.size());
    std::printf("%-8s fastest %6.3f ms, median %6.3f ms\n", "floor:", fastest(floorTimes), median(floorTimes));
    printAgainstFloor("engine:", collector.times["BM_Engine"], floorTimes);
    return 0;
}
