// What one 64-frame block costs when one sender fans its host's MIDI out to
// R receivers, beside its floors: the same 32-byte records through a
// 256-slot ring and out again, and the whole block's floor, each node's
// audio copied and the records through a ring of each receiver's.
#include "bench/BenchPool.h"
#include "bench/RingFloor.h"

#include <benchmark/benchmark.h>

namespace bench {

namespace {

// One sender and state.range(0) receivers placed, and the sender's block of
// state.range(1) note events; false (the benchmark skipped) when the module
// refused a node.
bool PrepareFanOut(benchmark::State& state, MidiBlock& block)
{
    if (!PlaceFanOut(static_cast<int>(state.range(0)))) {
        state.SkipWithError("the module refused a node");
        return false;
    }
    FillNotePairs(block, static_cast<int>(state.range(1)), kBlockFrames);
    return true;
}

void FanOut(benchmark::State& state)
{
    const int receivers = static_cast<int>(state.range(0));
    const int events = static_cast<int>(state.range(1));
    MidiBlock block(256);
    if (!PrepareFanOut(state, block))
        return;
    BenchNodes& pool = Pool();
    for (auto _ : state)
        pool.RunBlock(0, receivers + 1, &block, kBlockFrames);
    state.SetItemsProcessed(state.iterations() * events * receivers);
}

// The least the same block could cost: every node's audio copied, as a
// pass-through would, and the events pushed into a 256-slot ring of each
// receiver's and taken out again.
void FanOutFloor(benchmark::State& state)
{
    const int receivers = static_cast<int>(state.range(0));
    const int events = static_cast<int>(state.range(1));
    MidiBlock block(256);
    if (!PrepareFanOut(state, block))
        return;
    static RingFloor rings[kMaxNodes];
    BenchNodes& pool = Pool();
    VstMidiEvent out{};
    for (auto _ : state) {
        for (int n = 0; n <= receivers; ++n) {
            tarvenna::host::AudioBuffers& audio = pool.Node(n).Audio();
            CopyStereo(audio.Inputs(), audio.Outputs(), kBlockFrames);
        }
        for (int r = 0; r < receivers; ++r) {
            for (int i = 0; i < events; ++i)
                rings[r].Push(block[i]);
            for (int i = 0; i < events; ++i) {
                rings[r].Pop(out);
                benchmark::DoNotOptimize(out);
            }
        }
        benchmark::ClobberMemory();
    }
}

// Each case runs right before its floor, not every case before every floor
// (seconds apart): a moment apart, the two mostly meet the same spell of a
// shared machine, so their ratio moves less with the machine's load.
const bool kFanOutRegistered = [] {
    for (int receivers : {1, 8, 63})
        for (int events : {0, 1, 4, 16, 64, 256}) {
            benchmark::RegisterBenchmark("FanOut", FanOut)
                ->ArgNames({"receivers", "events"})
                ->Args({receivers, events});
            benchmark::RegisterBenchmark("FanOutFloor", FanOutFloor)
                ->ArgNames({"receivers", "events"})
                ->Args({receivers, events});
        }
    return true;
}();

void RingCopy(benchmark::State& state)
{
    const int events = static_cast<int>(state.range(0));
    MidiBlock block(256);
    FillNotePairs(block, events, kBlockFrames);
    static RingFloor ring;
    VstMidiEvent out{};
    for (auto _ : state) {
        for (int i = 0; i < events; ++i)
            ring.Push(block[i]);
        for (int i = 0; i < events; ++i) {
            ring.Pop(out);
            benchmark::DoNotOptimize(out);
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * events);
}
BENCHMARK(RingCopy)->ArgName("events")->Arg(1)->Arg(4)->Arg(16)->Arg(64)->Arg(256);

}  // namespace

}  // namespace bench
