// relay_bench: every relay benchmark, then the figures set against their
// floors. --figures=FILE also writes the figures there, --plot_data=FILE
// the series of the cost plot (scripts/bench uses both).
#include "bench/BenchPool.h"
#include "bench/BenchResults.h"
#include "bench/RelayFigures.h"

#include <benchmark/benchmark.h>

#include <cstdio>
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

}  // namespace

int main(int argc, char** argv)
{
    const std::string figures = TakeOption(argc, argv, "--figures=");
    const std::string plotData = TakeOption(argc, argv, "--plot_data=");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (!bench::BenchNodes::ModuleLoaded())
        return 1;
    bench::BenchResults results;
    benchmark::RunSpecifiedBenchmarks(&results);
    benchmark::Shutdown();
    // The nodes go before the module is unloaded at exit.
    bench::Pool().CloseAll();

    bench::PrintFigures(results, stdout);
    if (!figures.empty()) {
        std::FILE* file = std::fopen(figures.c_str(), "w");
        if (file == nullptr)
            return 1;
        bench::PrintFigures(results, file);
        std::fclose(file);
    }
    if (!plotData.empty() && !bench::WritePlotData(results, plotData))
        return 1;
    return 0;
}
