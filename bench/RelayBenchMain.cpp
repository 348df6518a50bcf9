// relay_bench: every relay benchmark, then the figures set against their
// floors. --figures=FILE also writes the figures there, --plot_data=FILE
// the series of the cost plot (scripts/bench uses both). --passes=N runs
// all the benchmarks N times over, one pass after the other, and takes
// each figure's median.
#include "bench/BenchPool.h"
#include "bench/BenchResults.h"
#include "bench/RelayFigures.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string TakeOption(int& argc, char** argv, const char* name)
{
    const std::size_t length = std::strlen(name);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], name, length) != 0)
            continue;
        std::string value = argv[i] + length;
        for (int j = i; j + 1 < argc; ++j)
            argv[j] = argv[j + 1];
        --argc;
        return value;
    }
    return {};
}

// The passes asked for; 0 when the option is not a count of at least one.
int ParsePasses(const std::string& option)
{
    if (option.empty())
        return 1;
    char* end = nullptr;
    const long passes = std::strtol(option.c_str(), &end, 10);
    if (*end != '\0' || passes < 1 || passes > 100)
        return 0;
    return static_cast<int>(passes);
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string figures = TakeOption(argc, argv, "--figures=");
    const std::string plotData = TakeOption(argc, argv, "--plot_data=");
    const int passes = ParsePasses(TakeOption(argc, argv, "--passes="));
    if (passes == 0) {
        std::fprintf(stderr, "relay_bench: --passes takes a count from 1 to 100\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (!bench::BenchNodes::ModuleLoaded())
        return 1;
    bench::BenchResults results;
    for (int pass = 1; pass <= passes; ++pass) {
        if (passes > 1)
            std::printf("\n==== pass %d of %d ====\n", pass, passes);
        benchmark::RunSpecifiedBenchmarks(&results);
    }
    benchmark::Shutdown();
    // The nodes go before the module is unloaded at exit.
    bench::Pool().CloseAll();

    bench::PrintFigures(results, passes, stdout);
    if (!figures.empty()) {
        std::FILE* file = std::fopen(figures.c_str(), "w");
        if (file == nullptr)
            return 1;
        bench::PrintFigures(results, passes, file);
        std::fclose(file);
    }
    if (!plotData.empty() && !bench::WritePlotData(results, plotData))
        return 1;
    return 0;
}
