// The audio thread's worst wait on a node: a sender and a receiver played
// block after block, each block timed, while (in the contended run) two
// low-priority threads read and change the same nodes' settings in a loop,
// as a host's GUI and automation threads do. The quiet run is the same
// without them: what the machine itself adds.
#include "bench/BenchPool.h"
#include "plugin/ParameterIndex.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace bench {

namespace {

using Clock = std::chrono::steady_clock;

void LowerPriority() { setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 19); }

void ReadSettings(HostInstance& node, const std::atomic<bool>& stop)
{
    LowerPriority();
    while (!stop.load()) {
        for (VstInt32 index = 0; index < 4; ++index) {
            benchmark::DoNotOptimize(node.GetParameter(index));
            benchmark::DoNotOptimize(node.ParameterDisplay(index));
        }
        benchmark::DoNotOptimize(node.ProgramName());
        benchmark::DoNotOptimize(node.GetChunk(false));
    }
}

// Changes that leave the routing as it is: Thru of the receiver, the
// program name, Panic, and the node's own bank loaded back into it.
void ChangeSettings(HostInstance& node, const std::atomic<bool>& stop)
{
    LowerPriority();
    const std::vector<unsigned char> bank = node.GetChunk(false);
    bool on = false;
    while (!stop.load()) {
        on = !on;
        node.SetParameter(kParameterThru, on ? 1.0f : 0.0f);
        node.SetParameter(kParameterPanic, on ? 1.0f : 0.0f);
        node.SetProgramName(on ? "busy" : "quiet");
        node.SetChunk(bank, false);
    }
}

struct BlockTimes {
    std::vector<double> micros;

    double Quantile(double q)
    {
        if (micros.empty())
            return 0;
        const std::size_t at = std::min(
            micros.size() - 1, static_cast<std::size_t>(q * static_cast<double>(micros.size())));
        std::nth_element(micros.begin(), micros.begin() + static_cast<long>(at), micros.end());
        return micros[at];
    }
};

BlockTimes PlayFor(std::chrono::seconds length, MidiBlock& block)
{
    BenchNodes& pool = Pool();
    BlockTimes times;
    times.micros.reserve(4000000);
    const Clock::time_point end = Clock::now() + length;
    while (Clock::now() < end) {
        const Clock::time_point start = Clock::now();
        pool.RunBlock(0, 2, &block, kBlockFrames);
        const std::chrono::duration<double, std::micro> took = Clock::now() - start;
        times.micros.push_back(took.count());
    }
    return times;
}

void WorstWait(benchmark::State& state)
{
    const bool contended = state.range(0) != 0;
    if (!PlaceFanOut(1))
        return state.SkipWithError("the module refused a node");
    MidiBlock block(256);
    FillNotePairs(block, 16, kBlockFrames);
    for (auto _ : state) {
        std::atomic<bool> stop{false};
        std::vector<std::thread> others;
        if (contended) {
            others.emplace_back(ReadSettings, std::ref(Pool().Node(0)), std::cref(stop));
            others.emplace_back(ChangeSettings, std::ref(Pool().Node(1)), std::cref(stop));
        }
        BlockTimes times = PlayFor(std::chrono::seconds(3), block);
        stop = true;
        for (std::thread& other : others)
            other.join();
        state.counters["blocks"] = static_cast<double>(times.micros.size());
        state.counters["p99_us"] = times.Quantile(0.99);
        state.counters["p999_us"] = times.Quantile(0.999);
        state.counters["max_us"] = times.Quantile(1.0);
    }
    // Panic was left as the loop left it.
    Pool().Node(1).SetParameter(kParameterPanic, 0.0f);
}
BENCHMARK(WorstWait)
    ->ArgName("contended")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace bench
