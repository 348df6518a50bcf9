// The relay's figures set against their floors and the audio budget, as
// docs/performance.md shows them, and the series of the cost plot.
#pragma once

#include "bench/BenchResults.h"

#include <cstdio>
#include <string>

namespace bench {

// One 64-frame block at 48 kHz: what the host has for everything it runs.
constexpr double kBudgetMicros = 64.0 / 48000.0 * 1e6;

// Each figure is the median of its `passes` runs (a worst case the worst
// of them).
void PrintFigures(const BenchResults& results, int passes, std::FILE* out);

// Events per block, then the cost of a block in microseconds for 1, 8 and
// 63 receivers, one line per event count; false when the file cannot be
// written.
bool WritePlotData(const BenchResults& results, const std::string& path);

}  // namespace bench
