// Nodes made in-process under our host library and driven only through
// their AEffect records, with an editor stand-in that records the refreshes
// a node asks for, and views of the process-wide tables.
#pragma once

#include "host/Host.h"
#include "plugin/AEffEditor.h"
#include "relay/VSTPlugin.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace relaytest {

// The host every node of the test program is made under.
tarvenna::host::Host& NodeHost();

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
    ObservedNode(audioMasterCallback host, int& result);
    ~ObservedNode() override;
    void SetEditorOpen(bool open);
    void RemoveEditor() { editor = nullptr; }
    // Another editor that counts as open; the base never deletes it.
    void UseEditor(AEffEditor* other) { editor = other; }
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
    HostedNode(const HostedNode&) = delete;
    HostedNode& operator=(const HostedNode&) = delete;

    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr)
    {
        return instance->Dispatch(opcode, index, value, ptr);
    }
    void Set(VstInt32 index, float value) { instance->SetParameter(index, value); }
    std::string Display(VstInt32 index) { return instance->ParameterDisplay(index); }
    std::string ProgramName() { return instance->ProgramName(); }
    // Port first: a receiver that changes port starts a flush.
    void MakeReceiver(int port = 0);
    void Send(std::initializer_list<VstMidiEvent> events)
    {
        Send(std::vector<VstMidiEvent>(events));
    }
    void Send(const std::vector<VstMidiEvent>& events);
    void Process() { instance->ProcessReplacing(0); }  // no audio
    // What the node handed its host since the last call.
    std::vector<VstMidiEvent> TakeEvents();

    int loadResult = 0;
    ObservedNode* node = nullptr;

private:
    std::unique_ptr<tarvenna::host::HostInstance> instance;

public:
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
