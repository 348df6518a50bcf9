// What one audio block costs a node: a sender fanning its host's MIDI out to
// receivers, and the receivers handing it to their hosts, as a host's audio
// thread runs them one after another.
#include <benchmark/benchmark.h>

#include "plugin/VstOpcodes.h"
#include "relay/VSTPlugin.h"

#include <memory>
#include <vector>

namespace {

constexpr VstInt32 kFrames = 256;

VstIntPtr QuietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    // Version for the entry's check, and 1 for "events taken".
    return opcode == audioMasterVersion ? 2400 : opcode == audioMasterProcessEvents ? 1 : 0;
}

class Nodes {
public:
    explicit Nodes(int receivers)
    {
        for (int i = 0; i <= receivers; ++i) {
            int result = 0;
            auto node = std::make_unique<VSTPlugin>(QuietHost, result);
            node->dispatcher(effMainsChanged, 0, 1, nullptr, 0.0f);
            if (i > 0)
                node->setParameter(0, 1.0f);  // Receive on port 1
            nodes.push_back(std::move(node));
        }
        for (auto& channel : audio)
            channel.assign(kFrames, 0.25f);
        inputs[0] = outputs[0] = audio[0].data();
        inputs[1] = outputs[1] = audio[1].data();
    }

    // Note-on and note-off pairs over the block, all on the sender.
    void Feed(int events)
    {
        midi.assign(events, VstMidiEvent{});
        block.numEvents = events;
        for (int i = 0; i < events; ++i) {
            VstMidiEvent& e = midi[i];
            e.type = kVstMidiType;
            e.byteSize = sizeof(VstMidiEvent) - 8;
            e.deltaFrames = i % kFrames;
            e.midiData[0] = (i % 2 == 0) ? 0x90 : 0x80;
            e.midiData[1] = static_cast<unsigned char>(36 + (i / 2) % 64);
            e.midiData[2] = 100;
            block.events[i] = reinterpret_cast<VstEvent*>(&e);
        }
    }

    void RunBlock()
    {
        nodes[0]->processEvents(block.asVstEvents());
        for (auto& node : nodes)
            node->processReplacing(inputs, outputs, kFrames);
    }

private:
    std::vector<std::unique_ptr<VSTPlugin>> nodes;
    std::vector<float> audio[2];
    float* inputs[2];
    float* outputs[2];
    std::vector<VstMidiEvent> midi;
    VstEventBlock<256> block{};
};

void BM_RelayBlock(benchmark::State& state)
{
    Nodes nodes(static_cast<int>(state.range(0)));
    nodes.Feed(static_cast<int>(state.range(1)));
    for (auto _ : state)
        nodes.RunBlock();
    state.SetItemsProcessed(state.iterations() * state.range(1));
    state.SetLabel("receivers, events per block");
}
BENCHMARK(BM_RelayBlock)->Args({1, 0})->Args({1, 16})->Args({1, 128})->Args({7, 128});

}  // namespace

BENCHMARK_MAIN();
