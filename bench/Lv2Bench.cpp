// What a block costs through the LV2 face beside the same work through the
// VST 2 face: a sender with Thru on or off and one receiver of its port,
// 64-frame blocks of E note events from the sender's host. Each face is driven by a
// host as lean as it can be, and both hosts end with the same thing: every
// event the nodes gave out in the host's own memory. The LV2 node writes it
// there itself (the output sequence); the VST 2 host copies it from the
// node's block when it is handed over, as a host must, since the block is
// the node's and changes with its next call. What is timed is the nodes'
// calls, and in the VST 2 case that copy. The input is written once by
// each host (its event block, its sequence), outside what is timed.
#include "bench/BenchPool.h"
#include "host/MidiBlock.h"
#include "host/testing/Lv2Instance.h"
#include "plugin/ParameterIndex.h"
#include "plugin/VstOpcodes.h"

#include <benchmark/benchmark.h>

#include <dlfcn.h>

#include <cstring>
#include <memory>
#include <vector>

namespace bench {

namespace {

using tarvenna::host::Lv2Instance;

// The relay port both cases use, as the LV2 control port counts it.
constexpr float kPortNumber = 5.0f;

// A VST 2 host of one node: the answers the node asks for, and the events
// it hands over kept in the host's own array.
class LeanVst2Host {
public:
    using Entry = AEffect* (*)(audioMasterCallback);

    LeanVst2Host(Entry entry, bool receive, bool thru)
    {
        effect = entry(&LeanVst2Host::Callback);
        if (effect == nullptr)
            return;
        effect->user = this;
        Dispatch(effOpen);
        Dispatch(effSetSampleRate, 0, nullptr, 48000.0f);
        Dispatch(effSetBlockSize, kBlockFrames);
        Dispatch(effMainsChanged, 1);
        effect->setParameter(effect, kParameterMode, receive ? 1.0f : 0.0f);
        effect->setParameter(effect, kParameterPort, (kPortNumber - 1.0f) / 7.0f);
        effect->setParameter(effect, kParameterThru, thru ? 1.0f : 0.0f);
    }
    ~LeanVst2Host()
    {
        if (effect == nullptr)
            return;
        Dispatch(effMainsChanged, 0);
        Dispatch(effClose);
    }
    LeanVst2Host(const LeanVst2Host&) = delete;
    LeanVst2Host& operator=(const LeanVst2Host&) = delete;

    bool Made() const { return effect != nullptr; }

    void Run(VstEvents* events)
    {
        if (events != nullptr && events->numEvents > 0)
            Dispatch(effProcessEvents, 0, events);
        effect->processReplacing(effect, inputs, outputs, kBlockFrames);
    }

private:
    VstIntPtr Dispatch(VstInt32 opcode, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0)
    {
        return effect->dispatcher(effect, opcode, 0, value, ptr, opt);
    }

    static VstIntPtr Callback(AEffect* effect, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr,
                              float)
    {
        switch (opcode) {
        case audioMasterVersion:
            return 2400;
        case audioMasterWantMidi:
            return 1;
        case audioMasterGetSampleRate:
            return 48000;
        case audioMasterGetBlockSize:
            return kBlockFrames;
        case audioMasterProcessEvents:
            if (effect != nullptr && effect->user != nullptr)
                static_cast<LeanVst2Host*>(effect->user)->Keep(static_cast<VstEvents*>(ptr));
            return 1;
        case audioMasterCanDo:
            return 1;
        default:
            return 0;
        }
    }

    void Keep(const VstEvents* events)
    {
        VstEvent* const* pointers = EventPointers(events);
        const int count = events->numEvents < kKept ? events->numEvents : kKept;
        for (int i = 0; i < count; ++i)
            kept[i] = *reinterpret_cast<const VstMidiEvent*>(pointers[i]);
        keptCount = count;
    }

    static constexpr int kKept = 512;

    AEffect* effect = nullptr;
    std::vector<float> audio = std::vector<float>(4 * kBlockFrames);
    float* inputs[2] = {audio.data(), audio.data() + kBlockFrames};
    float* outputs[2] = {audio.data() + 2 * kBlockFrames, audio.data() + 3 * kBlockFrames};
    VstMidiEvent kept[kKept] = {};
    int keptCount = 0;
};

// Two more nodes: room is made when the shared ones fill the relay.
void MakeRoomForTwo()
{
    if (Pool().Count() > kMaxNodes - 2)
        Pool().CloseAll();
}

void Vst2Face(benchmark::State& state)
{
    const int events = static_cast<int>(state.range(0));
    const bool thru = state.range(1) != 0;
    const auto entry =
        reinterpret_cast<LeanVst2Host::Entry>(dlsym(BenchNodes::ModuleHandle(), "VSTPluginMain"));
    if (entry == nullptr)
        return state.SkipWithError("the module exports no VSTPluginMain");
    MakeRoomForTwo();
    LeanVst2Host sender(entry, false, thru);
    LeanVst2Host receiver(entry, true, false);
    if (!sender.Made() || !receiver.Made())
        return state.SkipWithError("the module refused a node");
    MidiBlock block(256);
    FillNotePairs(block, events, kBlockFrames);
    for (int warm = 0; warm < 4; ++warm) {
        sender.Run(block.Events());
        receiver.Run(nullptr);
    }
    for (auto _ : state) {
        sender.Run(block.Events());
        receiver.Run(nullptr);
    }
    state.SetItemsProcessed(state.iterations() * events);
}

void Lv2Face(benchmark::State& state)
{
    const int events = static_cast<int>(state.range(0));
    const bool thru = state.range(1) != 0;
    const auto entry = reinterpret_cast<const LV2_Descriptor* (*)(uint32_t)>(
        dlsym(BenchNodes::ModuleHandle(), "lv2_descriptor"));
    if (entry == nullptr)
        return state.SkipWithError("the module exports no lv2_descriptor");
    MakeRoomForTwo();
    tarvenna::host::UridMap urids;
    Lv2Instance sender(entry(0), urids, 0.0f, kPortNumber, kBlockFrames);
    Lv2Instance receiver(entry(0), urids, 1.0f, kPortNumber, kBlockFrames);
    if (!sender.Made() || !receiver.Made())
        return state.SkipWithError("the module refused an LV2 instance");
    sender.Control(lv2face::kPortThru) = thru ? 1.0f : 0.0f;
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
    for (int thru : {1, 0})
        for (int events : {0, 16, 64}) {
            benchmark::RegisterBenchmark("Vst2Face", Vst2Face)
                ->ArgNames({"events", "thru"})
                ->Args({events, thru});
            benchmark::RegisterBenchmark("Lv2Face", Lv2Face)
                ->ArgNames({"events", "thru"})
                ->Args({events, thru});
        }
    return true;
}();

}  // namespace

}  // namespace bench
