// Nodes of the built module driven through our host, the way a host drives
// several instances of one plug-in in one process: every node gets its MIDI
// and then its process call, one node after the other, block by block.
#pragma once

#include "host/Host.h"
#include "plugin/ParameterIndex.h"
#include "plugin/VstOpcodes.h"
#include "tests/support/StderrCapture.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace relaymodule {

using tarvenna::host::HostInstance;
using tarvenna::host::MidiMessage;
using tarvenna::host::ProcessCall;

// The values a host sets the parameters (plugin/ParameterIndex.h) to.
constexpr float kSend = 0.0f;
constexpr float kReceive = 1.0f;
constexpr float kOn = 1.0f;
constexpr float kOff = 0.0f;
// Ports 0 to 7 are the seven steps of the 0..1 range.
inline float PortValue(int port) { return static_cast<float>(port) / 7.0f; }

struct NodeSetup {
    bool receive = false;
    int port = 0;
    bool thru = false;
};
inline NodeSetup Sender(int port = 0, bool thru = false) { return {false, port, thru}; }
inline NodeSetup Receiver(int port = 0, bool thru = false) { return {true, port, thru}; }

// The three MIDI bytes of an event a node handed its host.
struct Msg {
    int status, data1, data2;
    bool operator==(const Msg& o) const
    {
        return status == o.status && data1 == o.data1 && data2 == o.data2;
    }
};
using Seq = std::vector<Msg>;
void PrintTo(const Msg& msg, std::ostream* os);

// What the host sends.
MidiMessage Raw(int status, int data1, int data2, VstInt32 delta = 0);
inline MidiMessage NoteOn(int channel, int note, int velocity = 100, VstInt32 delta = 0)
{
    return Raw(0x90 + channel, note, velocity, delta);
}
inline MidiMessage NoteOff(int channel, int note, int velocity = 64, VstInt32 delta = 0)
{
    return Raw(0x80 + channel, note, velocity, delta);
}

// What a node hands on: note-ons as they came, every note-off in one form.
inline Msg Started(int channel, int note, int velocity = 100)
{
    return {0x90 + channel, note, velocity};
}
inline Msg Ended(int channel, int note) { return {0x80 + channel, note, 0}; }
// All sound off and a centred pitch bend for each channel, `times` times over.
Seq PanicBurst(int times = 1);

// A chunk of `size` bytes: name, mode, port and Thru where the stored record
// keeps them, zeros elsewhere.
std::vector<unsigned char> Chunk(int mode, int port, bool thru, const std::string& name,
                                 std::size_t size);

// Texts a host shows for the four parameters, e.g. "Receive/4/On/Off".
std::string Displays(HostInstance& node);

class RelayNodes : public ::testing::Test {
protected:
    static constexpr VstInt32 kFrames = 32;

    void SetUp() override;
    // Closes what the test left open: the node tables live in the module,
    // and a node left behind would be in the next test's ports.
    void TearDown() override;

    // Creates a node, opens and switches it on, and sets its port, mode and
    // Thru in that order (a receiver that changes port starts a flush, a
    // sender does not). Fails the test when the module refuses it.
    HostInstance& Add(NodeSetup setup = {});
    // The module's answer for one more instance: null when it is refused.
    // Not kept by the fixture.
    std::unique_ptr<HostInstance> Create();
    static void Configure(HostInstance& node, NodeSetup setup);
    void Close(HostInstance& node);
    void CloseAll();

    // MIDI the host hands `node` before its process call in the next Cycle.
    void Feed(HostInstance& node, std::vector<MidiMessage> messages);
    // One block: every open node, in creation order or in `order`, gets what
    // was fed to it and then one process call.
    void Cycle(ProcessCall call = ProcessCall::Replacing);
    void Cycle(std::initializer_list<HostInstance*> order);
    // One block without MIDI, after which what the nodes handed out is
    // forgotten. Setting a node up is a port or mode change, which makes the
    // receivers of the port it leaves or joins end what they hold at their
    // next block; settling lets those releases pass before a test plays.
    void Settle();

    // What `node` handed its host since the last look; each event is checked
    // to be a MIDI record of the VST 2 size.
    std::vector<VstMidiEvent> Events(HostInstance& node);
    Seq Out(HostInstance& node);
    // The same as "status key/offset" ("90 60/25", the status in hex), each
    // block checked to come in the order hosts expect.
    std::vector<std::string> Timed(HostInstance& node);

    static tarvenna::host::Module& TheModule();
    // The module the nodes are made from.
    virtual tarvenna::host::Module& Nodes() { return TheModule(); }

    tarvenna::host::Host host;
    std::vector<std::unique_ptr<HostInstance>> nodes;

private:
    void RunBlock(HostInstance& node, ProcessCall call);

    std::map<HostInstance*, std::vector<MidiMessage>> pending;
};

// The module built with a node lock that the calling thread can make fail
// (TARVENNA_LOCK_HOOK in relay/NodeLock.cpp), for the paths an audio thread
// takes when another thread holds a node's lock.
class LockHookNodes : public RelayNodes {
protected:
    tarvenna::host::Module& Nodes() override;
    // The next `count` attempts of this thread to take a node's lock fail.
    void FailLockAttempts(int count);
};

}  // namespace relaymodule
