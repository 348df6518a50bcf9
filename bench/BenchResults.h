// Keeps every run's figures as the console shows them, so that the figures
// can be set against their floors once all benchmarks have run. When the
// benchmarks run more than once (relay_bench --passes), a figure is the
// median of its runs: a shared machine's slow spells, which last seconds,
// then move a figure only when they hit most of its passes.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace bench {

struct RunFigures {
    double cpuSeconds = 0;   // CPU time of one iteration
    double realSeconds = 0;  // wall time of one iteration
    std::map<std::string, double> counters;
};

class BenchResults : public benchmark::ConsoleReporter {
public:
    // Without colours: the console text is also kept in files.
    BenchResults() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override;

    // The median figures of the benchmark named as the console shows it
    // ("Relay/receivers:8/events:16"); nullopt when it did not run.
    std::optional<RunFigures> Find(const std::string& name) const;
    std::optional<double> CpuMicros(const std::string& name) const;
    std::optional<double> Counter(const std::string& name, const std::string& counter) const;
    // The largest value of a counter over all its runs (a worst case stays
    // the worst case, not the median of worst cases).
    std::optional<double> CounterMax(const std::string& name, const std::string& counter) const;

private:
    std::map<std::string, std::vector<RunFigures>> runsByName;
};

}  // namespace bench
