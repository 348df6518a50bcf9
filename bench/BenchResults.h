// Keeps every run's figures as the console shows them, so that the figures
// can be set against their floors once all benchmarks have run.
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

    // The figures of the benchmark named as the console shows it
    // ("Relay/receivers:8/events:16"); nullopt when it did not run.
    std::optional<RunFigures> Find(const std::string& name) const;
    std::optional<double> CpuMicros(const std::string& name) const;
    std::optional<double> Counter(const std::string& name, const std::string& counter) const;

private:
    std::map<std::string, RunFigures> figures;
};

}  // namespace bench
