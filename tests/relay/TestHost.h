// A stand-in host: creates nodes, drives them only through their AEffect
// records, and records the event blocks each hands back.
#pragma once

#include "plugin/AEffEditor.h"
#include "relay/VSTPlugin.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace relaytest {

// Answers the version request, deep-copies every event block it is handed,
// answers everything else with 0.
VstIntPtr HostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                       float opt);

// An editor that counts as open and remembers the refreshes it was asked for.
class RecordingEditor : public AEffEditor {
public:
    void postUpdate() override { ++whole; }
    void postUpdateIndexed(long index) override { indexed.push_back(index); }
    int Count(long index) const;
    void Clear() { whole = 0, indexed.clear(); }
    int whole = 0;
    std::vector<long> indexed;
};

class ObservedNode : public VSTPlugin {
public:
    explicit ObservedNode(int& result);
    ~ObservedNode() override;
    void SetEditorOpen(bool open);
    void RemoveEditor() { editor = nullptr; }
    RecordingEditor recorder;
};

VstMidiEvent Midi(int status, int data1, int data2, VstInt32 deltaFrames = 0);
inline VstMidiEvent On(int channel, int note, int velocity = 100)
{
    return Midi(0x90 + channel, note, velocity);
}

// One resumed instance as a host holds it; closed through effClose.
class HostedNode {
public:
    HostedNode();
    ~HostedNode();
    HostedNode(const HostedNode&) = delete;
    HostedNode& operator=(const HostedNode&) = delete;

    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr);
    void Set(VstInt32 index, float value) { effect->setParameter(effect, index, value); }
    std::string Display(VstInt32 index);
    std::string ProgramName();
    // Port first: a receiver that changes port starts a flush.
    void MakeReceiver(int port = 0);
    void Send(std::initializer_list<VstMidiEvent> events)
    {
        Send(std::vector<VstMidiEvent>(events));
    }
    void Send(const std::vector<VstMidiEvent>& events);
    void Process();  // processReplacing, no audio
    // What the node handed its host since the last call.
    std::vector<VstMidiEvent> TakeEvents();

    int loadResult = 0;
    ObservedNode* node;
    AEffect* effect;
    RecordingEditor& editor;
    int32_t Id() const { return node->nodeId; }
};

// Node IDs of a port's receivers; checks that both lists agree.
std::vector<int32_t> Receivers(int port);
inline char Cell(int port, int32_t nodeId) { return listeners[port][nodeId - 1]; }

template <typename Body> std::string StderrOf(Body body)
{
    testing::internal::CaptureStderr();
    body();
    return testing::internal::GetCapturedStderr();
}

}  // namespace relaytest
