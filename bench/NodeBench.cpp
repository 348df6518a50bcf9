// One node on its own: a process call with no MIDI beside a plain copy of
// the same audio, the note tracking with 0, 128 and 255 notes held, and what
// making 64 instances costs in time and memory.
#include "bench/BenchPool.h"
#include "bench/RingFloor.h"

#include <benchmark/benchmark.h>

#include <chrono>

namespace bench {

namespace {

void ProcessNoMidi(benchmark::State& state)
{
    const int frames = static_cast<int>(state.range(0));
    if (!PlaceFanOut(0))
        return state.SkipWithError("the module refused a node");
    HostInstance& node = Pool().Node(0);
    for (auto _ : state)
        node.RunBlock(nullptr, frames);
}
BENCHMARK(ProcessNoMidi)->ArgName("frames")->Arg(64)->Arg(512);

// The same call made straight through the record, as a host's audio loop
// makes it: without our host library's own counting around it.
void ProcessNoMidiDirect(benchmark::State& state)
{
    const int frames = static_cast<int>(state.range(0));
    if (!PlaceFanOut(0))
        return state.SkipWithError("the module refused a node");
    HostInstance& node = Pool().Node(0);
    AEffect* effect = node.Effect();
    tarvenna::host::AudioBuffers& audio = node.Audio();
    for (auto _ : state)
        effect->processReplacing(effect, audio.Inputs(), audio.Outputs(), frames);
}
BENCHMARK(ProcessNoMidiDirect)->ArgName("frames")->Arg(64)->Arg(512);

void AudioCopy(benchmark::State& state)
{
    const int frames = static_cast<int>(state.range(0));
    if (!PlaceFanOut(0))
        return state.SkipWithError("the module refused a node");
    tarvenna::host::AudioBuffers& audio = Pool().Node(0).Audio();
    for (auto _ : state) {
        CopyStereo(audio.Inputs(), audio.Outputs(), frames);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(AudioCopy)->ArgName("frames")->Arg(64)->Arg(512);

// `held` distinct notes on channels 0 and 1, none of them key 60 on
// channel 15, which the timed blocks start and end 128 times each.
void HoldNotes(HostInstance& node, int held)
{
    MidiBlock block(256);
    for (int n = 0; n < held; ++n)
        block.Add(tarvenna::host::MakeMidiEvent(0x90 + n / 128, n % 128, 100));
    node.RunBlock(&block, kBlockFrames);
}

void NoteTracking(benchmark::State& state)
{
    const int held = static_cast<int>(state.range(0));
    if (!PlaceFanOut(0))
        return state.SkipWithError("the module refused a node");
    HostInstance& node = Pool().Node(0);
    HoldNotes(node, held);
    MidiBlock block(256);
    for (int i = 0; i < 256; ++i)
        block.Add(tarvenna::host::MakeMidiEvent(i % 2 == 0 ? 0x9F : 0x8F, 60, 100, i / 4));
    for (auto _ : state)
        node.RunBlock(&block, kBlockFrames);
    state.SetItemsProcessed(state.iterations() * 256);
    // Switching off ends what the node holds.
    node.Suspend();
    node.Resume();
}
BENCHMARK(NoteTracking)->ArgName("held")->Arg(0)->Arg(128)->Arg(255);

// Made in a set of their own, after the shared nodes are closed: the
// instance limit is 64.
void Construct64(benchmark::State& state)
{
    Pool().CloseAll();
    for (auto _ : state) {
        BenchNodes nodes;
        const auto start = std::chrono::steady_clock::now();
        const int made = nodes.Grow(kMaxNodes);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (made < kMaxNodes)
            return state.SkipWithError("the module refused a node");
        state.SetIterationTime(took.count());
        state.counters["total_ms"] = took.count() * 1e3;
        state.counters["heap_per_instance_KiB"] =
            static_cast<double>(nodes.EntryHeapBytes()) / made / 1024.0;
    }
}
BENCHMARK(Construct64)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace bench
