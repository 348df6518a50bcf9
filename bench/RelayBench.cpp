// What one audio block costs a node: a sender fanning its host's MIDI out to
// receivers, and the receivers handing it to their hosts, as a host's audio
// thread runs them one after another.
#include <benchmark/benchmark.h>

#include "host/Host.h"
#include "relay/VSTPlugin.h"

#include <memory>
#include <vector>

namespace {

using tarvenna::host::HostInstance;

constexpr VstInt32 kFrames = 256;

// Nothing is recorded: the benchmark runs millions of blocks.
std::unique_ptr<HostInstance> MakeNode(tarvenna::host::Host& host)
{
    tarvenna::host::InstanceOptions quiet;
    quiet.record = false;
    return host.Instantiate(
        [](audioMasterCallback callback) -> AEffect* {
            int result = 0;
            auto* node = new VSTPlugin(callback, result);
            if (result == 0)
                return node->getAeffect();
            delete node;
            return nullptr;
        },
        quiet);
}

class Nodes {
public:
    explicit Nodes(int receivers)
    {
        for (int i = 0; i <= receivers; ++i) {
            std::unique_ptr<HostInstance> node = MakeNode(host);
            if (!node)
                continue;
            node->Resume();
            if (i > 0)
                node->SetParameter(0, 1.0f);  // Receive on port 1
            node->Audio().Resize(kFrames);
            node->Audio().FillInputs(0.25f);
            nodes.push_back(std::move(node));
        }
    }

    // Note-on and note-off pairs over the block, all on the sender.
    void Feed(int events)
    {
        block.Clear();
        for (int i = 0; i < events; ++i)
            block.Add(tarvenna::host::MakeMidiEvent((i % 2 == 0) ? 0x90 : 0x80, 36 + (i / 2) % 64,
                                                    100, i % kFrames));
    }

    void RunBlock()
    {
        nodes[0]->SendEvents(block);
        for (auto& node : nodes)
            node->ProcessReplacing(kFrames);
    }

private:
    tarvenna::host::Host host;
    std::vector<std::unique_ptr<HostInstance>> nodes;
    tarvenna::host::MidiBlock block{256};
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
