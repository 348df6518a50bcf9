#include "bench/BenchResults.h"

#include <algorithm>

namespace bench {

namespace {

// The middle value; the mean of the two middle ones for an even count.
double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::vector<double> CounterValues(const std::vector<RunFigures>& runs, const std::string& counter)
{
    std::vector<double> values;
    for (const RunFigures& run : runs) {
        const auto found = run.counters.find(counter);
        if (found != run.counters.end())
            values.push_back(found->second);
    }
    return values;
}

}  // namespace

void BenchResults::ReportRuns(const std::vector<Run>& runs)
{
    for (const Run& run : runs) {
        if (run.error_occurred || run.run_type != Run::RT_Iteration || run.iterations == 0)
            continue;
        RunFigures kept;
        const double iterations = static_cast<double>(run.iterations);
        kept.cpuSeconds = run.cpu_accumulated_time / iterations;
        kept.realSeconds = run.real_accumulated_time / iterations;
        for (const auto& [name, counter] : run.counters)
            kept.counters[name] = counter.value;
        runsByName[run.benchmark_name()].push_back(kept);
    }
    ConsoleReporter::ReportRuns(runs);
}

std::optional<RunFigures> BenchResults::Find(const std::string& name) const
{
    const auto found = runsByName.find(name);
    if (found == runsByName.end())
        return std::nullopt;
    const std::vector<RunFigures>& runs = found->second;
    std::vector<double> cpu;
    std::vector<double> real;
    for (const RunFigures& run : runs) {
        cpu.push_back(run.cpuSeconds);
        real.push_back(run.realSeconds);
    }
    RunFigures median;
    median.cpuSeconds = Median(cpu);
    median.realSeconds = Median(real);
    // Every run of a benchmark sets the same counters.
    for (const auto& counter : runs.front().counters)
        median.counters[counter.first] = Median(CounterValues(runs, counter.first));
    return median;
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

std::optional<double> BenchResults::CounterMax(const std::string& name,
                                               const std::string& counter) const
{
    const auto found = runsByName.find(name);
    if (found == runsByName.end())
        return std::nullopt;
    const std::vector<double> values = CounterValues(found->second, counter);
    if (values.empty())
        return std::nullopt;
    return *std::max_element(values.begin(), values.end());
}

}  // namespace bench
