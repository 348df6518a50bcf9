#include "tests/realtime/WatchedNodes.h"

#include "plugin/ParameterIndex.h"
#include "tests/realtime/AudioPathWatch.h"
#include "plugin/VstOpcodes.h"

#include <atomic>

namespace realtime {

namespace {

std::atomic<audioMasterCallback> hostCallback{nullptr};
std::atomic<int> handOvers{0};

VstIntPtr HostSideCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                           void* ptr, float opt)
{
    HostSide side;
    if (opcode == audioMasterProcessEvents)
        handOvers.fetch_add(1);
    return hostCallback.load()(effect, opcode, index, value, ptr, opt);
}

tarvenna::host::Module& TheModule()
{
    static tarvenna::host::Module module(TARVENNA_MODULE_PATH);
    return module;
}

}  // namespace

int HandOvers() { return handOvers.load(); }

tarvenna::host::Module* WatchedModule() { return TheModule().Loaded() ? &TheModule() : nullptr; }

void UnloadWatchedModule() { TheModule().Unload(); }

HostInstance* WatchedNodes::Add(NodeSetup setup)
{
    tarvenna::host::Module* module = WatchedModule();
    if (module == nullptr)
        return nullptr;
    tarvenna::host::InstanceOptions quiet;
    quiet.record = false;
    std::unique_ptr<HostInstance> node = host.Instantiate(
        [this, module](audioMasterCallback callback) {
            hostCallback.store(callback);
            if (!watchEntry)
                return module->Entry()(HostSideCallback);
            AudioPathWatch watch;
            return module->Entry()(HostSideCallback);
        },
        quiet);
    if (!node)
        return nullptr;
    node->Open();
    node->Resume();
    // Sized before any watched block, so the host grows nothing then.
    node->Audio().Resize(512);
    node->Audio().FillInputs(0.5f);
    Configure(*node, setup);
    nodes.push_back(std::move(node));
    return nodes.back().get();
}

void WatchedNodes::Configure(HostInstance& node, NodeSetup setup)
{
    node.SetParameter(kParameterPort, static_cast<float>(setup.port) / 7.0f);
    node.SetParameter(kParameterMode, setup.receive ? 1.0f : 0.0f);
    node.SetParameter(kParameterThru, setup.thru ? 1.0f : 0.0f);
}

void WatchedNodes::CloseAll()
{
    for (auto& node : nodes)
        node->Close();
    nodes.clear();
}

void WatchedNodes::WatchedCycle(const std::vector<MidiBlock*>& blocks, ProcessCall call)
{
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        MidiBlock* block = i < blocks.size() ? blocks[i] : nullptr;
        AudioPathWatch watch;
        nodes[i]->RunBlock(block, kFrames, call);
    }
}

void FillMixedBlock(MidiBlock& block, int count, int seed)
{
    block.Clear();
    for (int i = 0; i < count; ++i) {
        const int channel = (seed + i) % 3;
        const int key = 40 + (seed * 7 + i / 4) % 48;
        const int frame = i * WatchedNodes::kFrames / (count + 1);
        switch ((seed + i) % 6) {
        case 0:
        case 1:
            block.Add(tarvenna::host::MakeMidiEvent(0x90 + channel, key, 90, frame));
            break;
        case 2:
            block.Add(tarvenna::host::MakeMidiEvent(0x80 + channel, key, 64, frame));
            break;
        case 3:
            block.Add(tarvenna::host::MakeMidiEvent(0x90 + channel, key, 0, frame));
            break;
        case 4:
            block.Add(tarvenna::host::MakeMidiEvent(0xB0 + channel, 7, i % 128, frame));
            break;
        default:
            block.Add(tarvenna::host::MakeMidiEvent(0xE0 + channel, 0, 64, frame));
            break;
        }
    }
}

}  // namespace realtime
