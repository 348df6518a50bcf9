#include "bench/BenchNodes.h"
#include "plugin/ParameterIndex.h"

#include <malloc.h>

#include <cstdio>
#include <cstdlib>

namespace bench {

namespace {

using tarvenna::host::Module;

// TARVENNA_BENCH_MODULE names another build of the module, so that two
// builds can be measured by the same program one after the other.
Module& TheModule()
{
    static const char* other = std::getenv("TARVENNA_BENCH_MODULE");
    static Module module(other != nullptr && *other != 0 ? other : TARVENNA_MODULE_PATH);
    return module;
}

}  // namespace

BenchNodes::BenchNodes() { TheModule(); }

bool BenchNodes::ModuleLoaded()
{
    if (TheModule().Loaded())
        return true;
    std::fprintf(stderr, "relay_bench: %s\n", TheModule().Error().c_str());
    return false;
}

void* BenchNodes::ModuleHandle() { return TheModule().Handle(); }

int BenchNodes::Grow(int count)
{
    tarvenna::host::InstanceOptions quiet;
    quiet.record = false;
    while (Count() < count && ModuleLoaded()) {
        // Through the module's own entry point, with the heap looked at
        // around the call: what one instance costs in memory.
        std::unique_ptr<HostInstance> node = host.Instantiate(
            [this](audioMasterCallback callback) {
                const std::size_t before = HeapInUse();
                AEffect* effect = TheModule().Entry()(callback);
                entryHeapBytes += HeapInUse() - before;
                return effect;
            },
            quiet);
        if (!node)
            break;
        node->Open();
        node->SetSampleRate(48000.0f);
        node->SetBlockSize(512);
        node->Resume();
        node->Audio().Resize(512);
        node->Audio().FillInputs(0.25f);
        nodes.push_back(std::move(node));
    }
    return Count();
}

void BenchNodes::CloseAll()
{
    for (auto& node : nodes)
        node->Close();
    nodes.clear();
}

void BenchNodes::Place(int i, Placement placement)
{
    HostInstance& node = *nodes[i];
    node.SetParameter(kParameterPort, static_cast<float>(placement.port) / 7.0f);
    node.SetParameter(kParameterMode, placement.receive ? 1.0f : 0.0f);
    node.SetParameter(kParameterThru, placement.thru ? 1.0f : 0.0f);
}

void BenchNodes::Settle(int blocks)
{
    for (int b = 0; b < blocks; ++b)
        RunBlock(0, Count(), nullptr, 64);
}

void FillNotePairs(MidiBlock& block, int events, int frames)
{
    block.Clear();
    for (int i = 0; i < events; ++i) {
        const int key = 36 + (i / 2) % 64;
        const int channel = (i / 128) % 16;
        block.Add(tarvenna::host::MakeMidiEvent((i % 2 == 0 ? 0x90 : 0x80) + channel, key, 100,
                                                i * frames / (events + 1)));
    }
}

std::size_t HeapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

}  // namespace bench
