// What a block costs through the LV2 face beside the same work through the
// VST 2 face: a sender with Thru on and one receiver of its port, 64-frame
// blocks of E note events from the sender's host. The LV2 face adds the
// atom MIDI turned into the node's events and back; the host's side (the
// input sequence, written once, and the output's capacity given back before
// each run) is what an LV2 host does anyway.
#include "bench/BenchPool.h"
#include "host/testing/Lv2Instance.h"

#include <benchmark/benchmark.h>

#include <dlfcn.h>

#include <memory>

namespace bench {

namespace {

using tarvenna::host::Lv2Instance;

void Vst2Face(benchmark::State& state)
{
    const int events = static_cast<int>(state.range(0));
    if (!PlaceFanOut(1, true))
        return state.SkipWithError("the module refused a node");
    MidiBlock block(256);
    FillNotePairs(block, events, kBlockFrames);
    BenchNodes& pool = Pool();
    for (auto _ : state)
        pool.RunBlock(0, 2, &block, kBlockFrames);
    state.SetItemsProcessed(state.iterations() * events);
}

void Lv2Face(benchmark::State& state)
{
    const int events = static_cast<int>(state.range(0));
    const auto entry = reinterpret_cast<const LV2_Descriptor* (*)(uint32_t)>(
        dlsym(BenchNodes::ModuleHandle(), "lv2_descriptor"));
    if (entry == nullptr)
        return state.SkipWithError("the module exports no lv2_descriptor");
    // Two more nodes: room is made when the shared ones fill the relay.
    if (Pool().Count() > kMaxNodes - 2)
        Pool().CloseAll();
    tarvenna::host::UridMap urids;
    Lv2Instance sender(entry(0), urids, 0.0f, 5.0f, kBlockFrames);
    Lv2Instance receiver(entry(0), urids, 1.0f, 5.0f, kBlockFrames);
    if (!sender.Made() || !receiver.Made())
        return state.SkipWithError("the module refused an LV2 instance");
    sender.Control(lv2face::kPortThru) = 1.0f;
    // The VST 2 case's block, as atoms.
    MidiBlock block(256);
    FillNotePairs(block, events, kBlockFrames);
    Lv2Instance::Events notes;
    for (std::size_t i = 0; i < block.Size(); ++i) {
        const auto* bytes = block[i].midiData;
        notes.push_back({static_cast<uint32_t>(block[i].deltaFrames),
                         {static_cast<uint8_t>(bytes[0]), static_cast<uint8_t>(bytes[1]),
                          static_cast<uint8_t>(bytes[2])}});
    }
    sender.Fill(notes);
    receiver.Fill({});
    for (int warm = 0; warm < 4; ++warm) {
        sender.RunOnly(kBlockFrames);
        receiver.RunOnly(kBlockFrames);
    }
    for (auto _ : state) {
        sender.ResetOutput();
        receiver.ResetOutput();
        sender.RunOnly(kBlockFrames);
        receiver.RunOnly(kBlockFrames);
    }
    state.SetItemsProcessed(state.iterations() * events);
}

// Each LV2 case right after its VST 2 case, so that the two meet the same
// spell of a shared machine.
const bool kFacesRegistered = [] {
    for (int events : {0, 16, 64}) {
        benchmark::RegisterBenchmark("Vst2Face", Vst2Face)->ArgName("events")->Arg(events);
        benchmark::RegisterBenchmark("Lv2Face", Lv2Face)->ArgName("events")->Arg(events);
    }
    return true;
}();

}  // namespace

}  // namespace bench
