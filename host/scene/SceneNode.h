// One node of a scene while it plays: the instance, the MIDI the scene
// plays into it, and the tally of what passed between it and its host.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/HostInstance.h"
#include "host/scene/MidiFile.h"
#include "host/scene/NoteTracker.h"
#include "host/scene/Scene.h"

namespace tarvenna::host {

class Host;
class Module;

struct MidiTally {
    long events = 0;
    long noteOns = 0;
    long noteOffs = 0;
};

// Where a block sits in time, to time the events of a node's MIDI file.
struct BlockClock {
    VstInt32 frames = 256;
    float sampleRate = 44100.0f;
    double SecondsAt(long block, VstInt32 frame) const;
};

class SceneNode {
public:
    SceneNode(int number, SceneNodeSetup setup);

    // Creates the instance, opens and resumes it at the scene's rate and
    // block size, then applies the setup (port before mode, so
    // that a receiver never passes through port 1 on its way). False with
    // `error` when the plug-in refuses.
    bool Create(Host& host, Module& module, const BlockClock& clock, std::string& error);
    // Suspends and closes; what still sounds stays in the tally.
    void Close(long block);

    int Number() const { return number; }
    const SceneNodeSetup& Setup() const { return setup; }
    bool IsOpen() const { return instance && !instance->Closed(); }
    HostInstance* Instance() { return IsOpen() ? instance.get() : nullptr; }
    // "Send, port 1, Thru Off"; at the end, how it was when it closed.
    std::string Settings();
    const std::string& Refusal() const { return refusal; }
    long ClosedAt() const { return closedAt; }

    // The scene's messages for `block`, in order, as the host hands them.
    std::vector<MidiMessage> InputFor(long block);
    void CountInput(const std::vector<MidiMessage>& messages);
    // Takes what the instance handed its host since the last call; the
    // events are timed as of `block`. `keep` keeps them for a MIDI file.
    std::vector<VstMidiEvent> TakeOutput(long block, const BlockClock& clock, bool keep);

    const MidiTally& Input() const { return input; }
    const MidiTally& Output() const { return output; }
    std::vector<SoundingNote> Sounding() const { return sounding.Sounding(); }
    const std::vector<TimedMidi>& Kept() const { return kept; }

private:
    int number;
    SceneNodeSetup setup;
    std::unique_ptr<HostInstance> instance;
    std::size_t nextInput = 0;
    std::string refusal;
    std::string closedSettings;
    long closedAt = 0;
    MidiTally input;
    MidiTally output;
    NoteTracker sounding;
    std::vector<TimedMidi> kept;
};

}  // namespace tarvenna::host
