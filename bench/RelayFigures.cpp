#include "bench/RelayFigures.h"

#include <optional>

namespace bench {

namespace {

const int kReceivers[] = {1, 8, 63};
const int kEvents[] = {0, 1, 4, 16, 64, 256};
// The plot's x axis is logarithmic: no block without events.
const int kPlotEvents[] = {1, 4, 16, 64, 256};

std::string FanOutName(int receivers, int events)
{
    return "FanOut/receivers:" + std::to_string(receivers) + "/events:" + std::to_string(events);
}

std::string FloorName(int receivers, int events)
{
    return "FanOutFloor/receivers:" + std::to_string(receivers) +
           "/events:" + std::to_string(events);
}

std::string RingName(int events) { return "RingCopy/events:" + std::to_string(events); }

const char* const kJackPair = "JackPair/events:16/iterations:1/manual_time";

// A goal is a ceiling, or with `atLeast` a floor the value must reach.
void Goal(std::FILE* out, const std::string& what, double value, double limit, const char* unit,
          bool atLeast = false)
{
    const bool met = atLeast ? value >= limit : value <= limit;
    std::fprintf(out, "  %-66s %8.3g %-3s (goal %s %g): %s", what.c_str(), value, unit,
                 atLeast ? "at least" : "at most", limit, met ? "met" : "MISSED");
    if (!met)
        std::fprintf(out, " by %.2fx", atLeast ? limit / value : value / limit);
    std::fprintf(out, "\n");
}

void PrintFanOut(const BenchResults& r, std::FILE* out)
{
    std::fprintf(out, "\nOne sender, R receivers, E events per block (64 frames), beside the "
                      "block's floor\n(each node's audio copied, the events through a ring per "
                      "receiver) and the ring floor per event:\n");
    std::fprintf(out, "  %3s %4s %11s %11s %6s %14s %11s %6s %8s\n", "R", "E", "block (us)",
                 "floor (us)", "ratio", "per ev x R (ns)", "ring (ns)", "ratio", "budget");
    for (int receivers : kReceivers)
        for (int events : kEvents) {
            const std::optional<double> block = r.CpuMicros(FanOutName(receivers, events));
            const std::optional<double> floor = r.CpuMicros(FloorName(receivers, events));
            if (!block || !floor)
                continue;
            std::fprintf(out, "  %3d %4d %11.3f %11.3f %5.1fx", receivers, events, *block, *floor,
                         *block / *floor);
            const std::optional<double> ring = r.CpuMicros(RingName(events));
            if (events > 0 && ring) {
                const double perEvent = *block * 1e3 / (events * receivers);
                const double ringPerEvent = *ring * 1e3 / events;
                std::fprintf(out, " %14.2f %11.2f %5.1fx", perEvent, ringPerEvent,
                             perEvent / ringPerEvent);
            } else {
                std::fprintf(out, " %14s %11s %6s", "", "", "");
            }
            std::fprintf(out, " %7.2f%%\n", *block / kBudgetMicros * 100);
        }
    const std::optional<double> pair = r.Counter(kJackPair, "cpu_us_per_period");
    const std::optional<double> relay = r.CpuMicros(FanOutName(1, 16));
    if (pair && relay)
        std::fprintf(out,
                     "\nA JACK MIDI pair (two clients and the server, dummy backend), 16 events "
                     "per period: %.1f us of CPU per period, %.0fx the relay's 1 + 1 block\n",
                     *pair, *pair / *relay);
}

void PrintNode(const BenchResults& r, std::FILE* out)
{
    std::fprintf(out, "\nA process call with no MIDI beside a plain copy of its audio:\n");
    for (int frames : {64, 512}) {
        const std::string arg = "frames:" + std::to_string(frames);
        const std::optional<double> node = r.CpuMicros("ProcessNoMidi/" + arg);
        const std::optional<double> direct = r.CpuMicros("ProcessNoMidiDirect/" + arg);
        const std::optional<double> copy = r.CpuMicros("AudioCopy/" + arg);
        if (node && copy)
            std::fprintf(out, "  %3d frames: %8.1f ns, copy %8.1f ns, ratio %.2fx\n", frames,
                         *node * 1e3, *copy * 1e3, *node / *copy);
        if (direct && copy)
            std::fprintf(out,
                         "  %3d frames, called straight through the record: %8.1f ns, "
                         "ratio %.2fx\n",
                         frames, *direct * 1e3, *direct / *copy);
    }
    std::fprintf(out, "\nOne note event (of 256 in a block) with notes held:\n");
    const std::optional<double> none = r.CpuMicros("NoteTracking/held:0");
    for (int held : {0, 128, 255}) {
        const std::optional<double> block =
            r.CpuMicros("NoteTracking/held:" + std::to_string(held));
        if (block && none)
            std::fprintf(out, "  %3d held: %7.2f ns per event, %.2fx of none held\n", held,
                         *block * 1e3 / 256, *block / *none);
    }
}

void PrintWhole(const BenchResults& r, std::FILE* out)
{
    if (const std::optional<double> whole = r.CpuMicros("EightPorts"))
        std::fprintf(out,
                     "\n64 nodes in 8 ports, 16 events per sender: %.2f us per block, %.2f%% of "
                     "the 64-frame budget (%.0f us)\n",
                     *whole, *whole / kBudgetMicros * 100, kBudgetMicros);
    const std::optional<double> total =
        r.Counter("Construct64/iterations:1/manual_time", "total_ms");
    const std::optional<double> heap =
        r.Counter("Construct64/iterations:1/manual_time", "heap_per_instance_KiB");
    if (total && heap)
        std::fprintf(out, "64 instances made in %.0f ms (%.1f ms each); %.1f KiB of heap each\n",
                     *total, *total / 64, *heap);
    for (int contended : {0, 1}) {
        const std::string name =
            "WorstWait/contended:" + std::to_string(contended) + "/iterations:1";
        const std::optional<double> max = r.CounterMax(name, "max_us");
        const std::optional<double> p999 = r.Counter(name, "p999_us");
        const std::optional<double> p99 = r.Counter(name, "p99_us");
        if (max && p999 && p99)
            std::fprintf(out,
                         "Block of a sender and a receiver, %s: p99 %.1f us, p99.9 %.1f us, "
                         "worst %.1f us\n",
                         contended ? "settings read and changed meanwhile" : "quiet", *p99, *p999,
                         *max);
    }
}

void PrintEventGoals(const BenchResults& r, std::FILE* out)
{
    for (int receivers : kReceivers)
        for (int events : {64, 256}) {
            const std::optional<double> block = r.CpuMicros(FanOutName(receivers, events));
            const std::optional<double> ring = r.CpuMicros(RingName(events));
            if (block && ring)
                Goal(out,
                     "per event per receiver / ring floor, R = " + std::to_string(receivers) +
                         ", E = " + std::to_string(events),
                     (*block / (events * receivers)) / (*ring / events), 2, "x");
        }
}

void PrintGoals(const BenchResults& r, std::FILE* out)
{
    std::fprintf(out, "\nGoals:\n");
    PrintEventGoals(r, out);
    if (const std::optional<double> big = r.CpuMicros(FanOutName(63, 256)))
        Goal(out, "1 sender, 256 events, 63 receivers: share of the budget",
             *big / kBudgetMicros * 100, 5, "%");
    const std::optional<double> node = r.CpuMicros("ProcessNoMidi/frames:64");
    const std::optional<double> copy = r.CpuMicros("AudioCopy/frames:64");
    if (node && copy)
        Goal(out, "process call with no MIDI / plain copy, 64 frames", *node / *copy, 3, "x");
    const std::optional<double> direct = r.CpuMicros("ProcessNoMidiDirect/frames:64");
    if (direct && copy)
        Goal(out, "the same, straight through the record", *direct / *copy, 3, "x");
    const std::optional<double> pair = r.Counter(kJackPair, "cpu_us_per_period");
    const std::optional<double> relay = r.CpuMicros(FanOutName(1, 16));
    if (pair && relay)
        Goal(out, "JACK pair / relay, 1 + 1 at 16 events", *pair / *relay, 100, "x", true);
    if (const std::optional<double> whole = r.CpuMicros("EightPorts"))
        Goal(out, "64 nodes, 16 events per sender: share of the budget",
             *whole / kBudgetMicros * 100, 1, "%");
    const std::optional<double> none = r.CpuMicros("NoteTracking/held:0");
    const std::optional<double> full = r.CpuMicros("NoteTracking/held:255");
    if (none && full)
        Goal(out, "note event with 255 held / none held", *full / *none, 1.5, "x");
}

}  // namespace

void PrintFigures(const BenchResults& results, int passes, std::FILE* out)
{
    if (passes > 1)
        std::fprintf(out, "\n==== figures (CPU time per iteration, median of %d passes) ====\n",
                     passes);
    else
        std::fprintf(out, "\n==== figures (CPU time per iteration) ====\n");
    PrintFanOut(results, out);
    PrintNode(results, out);
    PrintWhole(results, out);
    PrintGoals(results, out);
}

bool WritePlotData(const BenchResults& results, const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr)
        return false;
    std::fprintf(file, "# events  R=1 R=8 R=63 (us)  their floors: R=1 R=8 R=63 (us)\n");
    for (int events : kPlotEvents) {
        std::fprintf(file, "%d", events);
        for (const auto& name : {FanOutName, FloorName})
            for (int receivers : kReceivers) {
                const std::optional<double> block = results.CpuMicros(name(receivers, events));
                std::fprintf(file, " %.3f", block ? *block : 0.0);
            }
        std::fprintf(file, "\n");
    }
    return std::fclose(file) == 0;
}

}  // namespace bench
