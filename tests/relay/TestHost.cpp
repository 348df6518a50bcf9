#include "TestHost.h"

#include "editor/SPluginEditor.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace relaytest {

namespace {

std::map<AEffect*, std::vector<VstMidiEvent>> handedToHost;

}  // namespace

VstIntPtr HostCallback(AEffect* effect, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float)
{
    if (opcode == audioMasterVersion)
        return 2400;
    if (opcode != audioMasterProcessEvents || ptr == nullptr)
        return 0;
    const VstEvents* block = static_cast<VstEvents*>(ptr);
    for (VstInt32 i = 0; i < block->numEvents; ++i) {
        VstMidiEvent copy;
        std::memcpy(&copy, block->events[i], sizeof copy);
        handedToHost[effect].push_back(copy);
    }
    return 1;
}

int RecordingEditor::Count(long index) const
{
    return static_cast<int>(std::count(indexed.begin(), indexed.end(), index));
}

ObservedNode::ObservedNode(int& result) : VSTPlugin(HostCallback, result)
{
    editor = &recorder;
    SetEditorOpen(true);
}

// The base deletes its own editor, never the recorder.
ObservedNode::~ObservedNode() { editor = pluginEditor; }

void ObservedNode::SetEditorOpen(bool open)
{
    mutex.Lock();
    editorClosed = open ? 0 : 1;
    mutex.Unlock();
}

VstMidiEvent Midi(int status, int data1, int data2, VstInt32 deltaFrames)
{
    VstMidiEvent event = BlankMidiEvent();
    event.deltaFrames = deltaFrames;
    event.midiData[0] = static_cast<unsigned char>(status);
    event.midiData[1] = static_cast<unsigned char>(data1);
    event.midiData[2] = static_cast<unsigned char>(data2);
    return event;
}

HostedNode::HostedNode()
    : node(new ObservedNode(loadResult)),
      effect(&node->effectRecord),
      editor(node->recorder)
{
    EXPECT_EQ(loadResult, 0);
    EXPECT_NE(Id(), -1);
    Dispatch(effMainsChanged, 0, 1);
}

HostedNode::~HostedNode()
{
    handedToHost.erase(effect);
    Dispatch(effClose);
}

VstIntPtr HostedNode::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr)
{
    return effect->dispatcher(effect, opcode, index, value, ptr, 0.0f);
}

std::string HostedNode::Display(VstInt32 index)
{
    char text[64] = {};
    Dispatch(effGetParamDisplay, index, 0, text);
    return text;
}

std::string HostedNode::ProgramName()
{
    char text[64] = {};
    Dispatch(effGetProgramName, 0, 0, text);
    return text;
}

void HostedNode::MakeReceiver(int port)
{
    Set(1, port / 7.0f);
    Set(0, 1.0f);
}

void HostedNode::Send(const std::vector<VstMidiEvent>& events)
{
    std::vector<VstMidiEvent> storage(events);
    VstEventBlock<512> block{};
    block.numEvents = static_cast<VstInt32>(storage.size());
    for (std::size_t i = 0; i < storage.size(); ++i)
        block.events[i] = reinterpret_cast<VstEvent*>(&storage[i]);
    Dispatch(effProcessEvents, 0, 0, block.asVstEvents());
}

void HostedNode::Process()
{
    float* none[2] = {nullptr, nullptr};
    effect->processReplacing(effect, none, none, 0);
}

std::vector<VstMidiEvent> HostedNode::TakeEvents()
{
    std::vector<VstMidiEvent> events;
    events.swap(handedToHost[effect]);
    return events;
}

std::vector<int32_t> Receivers(int port)
{
    const PortRecord& record = portData[port];
    std::vector<int32_t> ids;
    EXPECT_EQ(record.receiverQueues.Count(), record.releaseFlags.Count());
    for (uint32_t i = 0; i < record.receiverQueues.Count(); ++i) {
        ids.push_back(record.receiverQueues.Entry(i).nodeId);
        EXPECT_EQ(record.releaseFlags.Entry(i).nodeId, ids.back());
    }
    return ids;
}

}  // namespace relaytest
