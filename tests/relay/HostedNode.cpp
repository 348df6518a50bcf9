#include "HostedNode.h"

#include "editor/SPluginEditor.h"
#include "host/MidiBlock.h"

#include <algorithm>

namespace relaytest {

using tarvenna::host::HostInstance;

namespace {

std::unique_ptr<HostInstance> MakeNode(int& result, ObservedNode*& node)
{
    auto instance = NodeHost().Instantiate([&](audioMasterCallback callback) {
        node = new ObservedNode(callback, result);
        return node->getAeffect();
    });
    EXPECT_NE(instance, nullptr) << NodeHost().LastError();
    return instance;
}

}  // namespace

tarvenna::host::Host& NodeHost()
{
    static tarvenna::host::Host host;
    return host;
}

int RecordingEditor::Count(long index) const
{
    return static_cast<int>(std::count(indexed.begin(), indexed.end(), index));
}

ObservedNode::ObservedNode(audioMasterCallback host, int& result)
    : VSTPlugin(host, result, SPluginEditor::Make)
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
    return tarvenna::host::MakeMidiEvent(status, data1, data2, deltaFrames);
}

HostedNode::HostedNode()
    : instance(MakeNode(loadResult, node)),
      effect(instance->Effect()),
      editor(node->recorder)
{
    EXPECT_EQ(loadResult, 0);
    EXPECT_NE(Id(), -1);
    instance->Resume();
    instance->ClearRecorded();
}

void HostedNode::MakeReceiver(int port)
{
    Set(1, port / 7.0f);
    Set(0, 1.0f);
}

void HostedNode::Send(const std::vector<VstMidiEvent>& events)
{
    tarvenna::host::MidiBlock block(events.size());
    for (const VstMidiEvent& event : events)
        block.Add(event);
    instance->SendEvents(block);
}

std::vector<VstMidiEvent> HostedNode::TakeEvents()
{
    const std::vector<VstMidiEvent> events = instance->Recorded().midiOut;
    instance->ClearRecorded();
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
