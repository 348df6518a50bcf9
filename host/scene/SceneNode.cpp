#include "host/scene/SceneNode.h"

#include <algorithm>

#include "host/Host.h"
#include "host/RelayParameters.h"
#include "plugin/VstOpcodes.h"

namespace tarvenna::host {

namespace {

void Count(MidiTally& tally, int status, int velocity)
{
    ++tally.events;
    if ((status & 0xf0) == 0x90 && velocity != 0)
        ++tally.noteOns;
    else if ((status & 0xf0) == 0x80 || (status & 0xf0) == 0x90)
        ++tally.noteOffs;
}

}  // namespace

double BlockClock::SecondsAt(long block, VstInt32 frame) const
{
    const double sample = static_cast<double>(block - 1) * frames + std::max(frame, 0);
    return sample / sampleRate;
}

SceneNode::SceneNode(int number, SceneNodeSetup setup) : number(number), setup(std::move(setup)) {}

bool SceneNode::Create(Host& host, Module& module, const BlockClock& clock, std::string& error)
{
    instance = host.Instantiate(module);
    if (!instance) {
        refusal = host.LastError();
        error = "instance " + std::to_string(number) + " was refused: " + refusal;
        return false;
    }
    instance->Open();
    instance->SetSampleRate(clock.sampleRate);
    instance->SetBlockSize(clock.frames);
    instance->Resume();
    if (setup.port)
        instance->SetParameter(kParameterPort, RelayPortValue(*setup.port));
    if (setup.mode)
        instance->SetParameter(kParameterMode, *setup.mode == NodeMode::Send ? 0.0f : 1.0f);
    if (setup.thru)
        instance->SetParameter(kParameterThru, *setup.thru ? 1.0f : 0.0f);
    instance->ClearRecorded();
    return true;
}

void SceneNode::Close(long block)
{
    if (!IsOpen())
        return;
    closedSettings = Settings();
    closedAt = block;
    instance->Suspend();
    instance->Close();
}

std::string SceneNode::Settings()
{
    if (!IsOpen())
        return closedSettings;
    return instance->ParameterDisplay(kParameterMode) + ", port " +
           instance->ParameterDisplay(kParameterPort) + ", Thru " +
           instance->ParameterDisplay(kParameterThru);
}

std::vector<MidiMessage> SceneNode::InputFor(long block)
{
    std::vector<MidiMessage> messages;
    while (nextInput < setup.input.size() && setup.input[nextInput].block < block)
        ++nextInput;
    for (; nextInput < setup.input.size() && setup.input[nextInput].block == block; ++nextInput) {
        const SceneMidi& midi = setup.input[nextInput];
        messages.push_back({midi.frame, midi.status, midi.data1, midi.data2});
    }
    return messages;
}

void SceneNode::CountInput(const std::vector<MidiMessage>& messages)
{
    for (const MidiMessage& message : messages)
        Count(input, message.status, message.data2);
}

// A closed instance keeps its recording: what it handed over while it
// closed is taken with the next block.
std::vector<VstMidiEvent> SceneNode::TakeOutput(long block, const BlockClock& clock, bool keep)
{
    if (!instance)
        return {};
    std::vector<VstMidiEvent> events = instance->Recorded().midiOut;
    instance->ClearRecorded();
    events.erase(std::remove_if(events.begin(), events.end(),
                                [](const VstMidiEvent& e) { return e.type != kVstMidiType; }),
                 events.end());
    for (const VstMidiEvent& event : events) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(event.midiData);
        Count(output, bytes[0], bytes[2]);
        sounding.Apply(bytes[0], bytes[1], bytes[2]);
        if (keep)
            kept.push_back({clock.SecondsAt(block, std::min(event.deltaFrames, clock.frames - 1)),
                            bytes[0], bytes[1], bytes[2]});
    }
    return events;
}

}  // namespace tarvenna::host
