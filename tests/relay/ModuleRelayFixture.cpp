#include "ModuleRelayFixture.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace relaymodule {

using tarvenna::host::Module;

void PrintTo(const Msg& msg, std::ostream* os)
{
    *os << std::hex << "(" << msg.status << " " << msg.data1 << " " << msg.data2 << ")" << std::dec;
}

MidiMessage Raw(int status, int data1, int data2, VstInt32 delta)
{
    return {delta, static_cast<std::uint8_t>(status), static_cast<std::uint8_t>(data1),
            static_cast<std::uint8_t>(data2)};
}

Seq PanicBurst(int times)
{
    Seq burst;
    for (int t = 0; t < times; ++t)
        for (int channel = 0; channel < 16; ++channel) {
            burst.push_back({0xB0 + channel, 120, 0});
            burst.push_back({0xE0 + channel, 0x00, 0x40});
        }
    return burst;
}

std::vector<unsigned char> Chunk(int mode, int port, bool thru, const std::string& name,
                                 std::size_t size)
{
    std::vector<unsigned char> bytes(size, 0);
    std::memcpy(bytes.data(), name.data(), std::min<std::size_t>(name.size(), 48));
    bytes[48] = static_cast<unsigned char>(mode);
    bytes[49] = static_cast<unsigned char>(port);
    bytes[50] = thru ? 1 : 0;
    return bytes;
}

std::string Displays(HostInstance& node)
{
    return node.ParameterDisplay(kParameterMode) + "/" + node.ParameterDisplay(kParameterPort) +
           "/" + node.ParameterDisplay(kParameterThru) + "/" +
           node.ParameterDisplay(kParameterPanic);
}

// One module for the whole program, as a host keeps a plug-in loaded while
// any of its instances exist.
Module& RelayNodes::TheModule()
{
    static Module module(TARVENNA_MODULE_PATH);
    return module;
}

void RelayNodes::SetUp()
{
    ASSERT_TRUE(Nodes().Loaded()) << Nodes().Error();
    ASSERT_EQ(Nodes().OpenInstances(), 0) << "an earlier test left nodes open";
}

void RelayNodes::TearDown()
{
    CloseAll();
    EXPECT_EQ(Nodes().OpenInstances(), 0);
}

std::unique_ptr<HostInstance> RelayNodes::Create() { return host.Instantiate(Nodes()); }

HostInstance& RelayNodes::Add(NodeSetup setup)
{
    std::unique_ptr<HostInstance> node = Create();
    // gtest reports the exception as a failure of the test that called.
    if (!node)
        throw std::runtime_error("the module refused a node: " + host.LastError());
    node->Open();
    node->Resume();
    Configure(*node, setup);
    node->ClearRecorded();
    nodes.push_back(std::move(node));
    return *nodes.back();
}

void RelayNodes::Configure(HostInstance& node, NodeSetup setup)
{
    node.SetParameter(kParameterPort, PortValue(setup.port));
    node.SetParameter(kParameterMode, setup.receive ? kReceive : kSend);
    node.SetParameter(kParameterThru, setup.thru ? kOn : kOff);
}

void RelayNodes::Close(HostInstance& node)
{
    pending.erase(&node);
    const auto found = std::find_if(nodes.begin(), nodes.end(),
                                    [&](const auto& held) { return held.get() == &node; });
    ASSERT_NE(found, nodes.end());
    EXPECT_EQ(node.Close(), 1);
    nodes.erase(found);
}

void RelayNodes::CloseAll()
{
    pending.clear();
    for (const auto& node : nodes)
        EXPECT_EQ(node->Close(), 1);
    nodes.clear();
}

void RelayNodes::Feed(HostInstance& node, std::vector<MidiMessage> messages)
{
    std::vector<MidiMessage>& queued = pending[&node];
    queued.insert(queued.end(), messages.begin(), messages.end());
}

void RelayNodes::RunBlock(HostInstance& node, ProcessCall call)
{
    std::vector<MidiMessage> messages;
    const auto found = pending.find(&node);
    if (found != pending.end()) {
        messages.swap(found->second);
        pending.erase(found);
    }
    EXPECT_TRUE(node.RunBlock(messages, kFrames, call));
}

void RelayNodes::Cycle(ProcessCall call)
{
    for (const auto& node : nodes)
        RunBlock(*node, call);
}

void RelayNodes::Cycle(std::initializer_list<HostInstance*> order)
{
    for (HostInstance* node : order)
        RunBlock(*node, ProcessCall::Replacing);
}

void RelayNodes::Settle()
{
    Cycle();
    for (const auto& node : nodes)
        EXPECT_EQ(Out(*node), Seq{}) << "nothing was playing yet";
}

std::vector<VstMidiEvent> RelayNodes::Events(HostInstance& node)
{
    const tarvenna::host::Recording recording = node.Recorded();
    node.ClearRecorded();
    for (const VstMidiEvent& event : recording.midiOut) {
        EXPECT_EQ(event.type, kVstMidiType);
        EXPECT_EQ(event.byteSize, 24);
    }
    return recording.midiOut;
}

Seq RelayNodes::Out(HostInstance& node)
{
    Seq bytes;
    for (const VstMidiEvent& event : Events(node))
        bytes.push_back({event.midiData[0], event.midiData[1], event.midiData[2]});
    return bytes;
}

std::vector<std::string> RelayNodes::Timed(HostInstance& node)
{
    const tarvenna::host::Recording recording = node.Recorded();
    node.ClearRecorded();
    std::vector<std::string> timed;
    for (const tarvenna::host::MidiHandout& handout : recording.handouts)
        for (std::size_t i = handout.first; i < handout.first + handout.count; ++i) {
            const VstMidiEvent& event = recording.midiOut[i];
            if (i > handout.first) {
                EXPECT_GE(event.deltaFrames, recording.midiOut[i - 1].deltaFrames)
                    << "out of order in block " << handout.block;
            }
            char text[24];
            std::snprintf(text, sizeof text, "%02x %d/%d", event.midiData[0], event.midiData[1],
                          event.deltaFrames);
            timed.push_back(text);
        }
    return timed;
}

tarvenna::host::Module& LockHookNodes::Nodes()
{
    static Module module(TARVENNA_LOCK_HOOK_MODULE_PATH);
    return module;
}

void LockHookNodes::FailLockAttempts(int count)
{
    using Hook = void (*)(std::int32_t);
    const auto hook = reinterpret_cast<Hook>(dlsym(Nodes().Handle(), "TarvennaFailLockAttempts"));
    ASSERT_NE(hook, nullptr) << dlerror();
    hook(count);
}

}  // namespace relaymodule
