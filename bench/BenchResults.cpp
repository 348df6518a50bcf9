#include "bench/BenchResults.h"

namespace bench {

void BenchResults::ReportRuns(const std::vector<Run>& runs)
{
    for (const Run& run : runs) {
        if (run.error_occurred || run.run_type != Run::RT_Iteration || run.iterations == 0)
            continue;
        RunFigures& kept = figures[run.benchmark_name()];
        const double iterations = static_cast<double>(run.iterations);
        kept.cpuSeconds = run.cpu_accumulated_time / iterations;
        kept.realSeconds = run.real_accumulated_time / iterations;
        for (const auto& [name, counter] : run.counters)
            kept.counters[name] = counter.value;
    }
    ConsoleReporter::ReportRuns(runs);
}

std::optional<RunFigures> BenchResults::Find(const std::string& name) const
{
    const auto found = figures.find(name);
    if (found == figures.end())
        return std::nullopt;
    return found->second;
}

std::optional<double> BenchResults::CpuMicros(const std::string& name) const
{
    const std::optional<RunFigures> run = Find(name);
    if (!run)
        return std::nullopt;
    return run->cpuSeconds * 1e6;
}

std::optional<double> BenchResults::Counter(const std::string& name,
                                            const std::string& counter) const
{
    const std::optional<RunFigures> run = Find(name);
    if (!run)
        return std::nullopt;
    const auto found = run->counters.find(counter);
    if (found == run->counters.end())
        return std::nullopt;
    return found->second;
}

}  // namespace bench
