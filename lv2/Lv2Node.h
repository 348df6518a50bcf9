// One LV2 instance: a node of the relay driven through its VST 2 record, as
// a VST 2 host drives one, so that it is a node like any other (ID, node
// list, lamps, every note rule). Atom MIDI becomes VST events at the same
// frames and back; the control ports become the four parameters; the
// settings travel in LV2's state as a bank chunk.
#pragma once

#include "lv2/Lv2Uris.h"
#include "plugin/VstRecords.h"

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

namespace lv2face {

// What builds the node: the module's entry point.
using NodeMaker = AEffect* (*)(audioMasterCallback);

class Lv2Node;

// What the node's UI holds of it: the node while it lives. A host may clean
// up the instance before its UI; the UI then finds none. The UI's calls and
// the node's end take the mutex, so neither runs into the other.
struct PanelLink {
    std::mutex mutex;
    Lv2Node* node = nullptr;
};

class Lv2Node {
public:
    // Null with a line on standard error when the host lacks urid:map or
    // the node could not be made.
    static Lv2Node* Make(NodeMaker maker, double sampleRate, const LV2_Feature* const* features);
    ~Lv2Node();

    Lv2Node(const Lv2Node&) = delete;
    Lv2Node& operator=(const Lv2Node&) = delete;

    void Connect(uint32_t port, void* data);
    void Activate();
    void Deactivate();
    // The descriptor's run: the node's own (Run), with no call in between.
    static void RunInstance(LV2_Handle instance, uint32_t frames);

    LV2_State_Status Save(LV2_State_Store_Function store, LV2_State_Handle handle);
    LV2_State_Status Restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

    // The panel, opened by the LV2 UI (Lv2Ui.h) in the host's window, on
    // the host's UI thread. It lives on the module's own X connection and
    // its own threads, which call the node only, never the LV2 host.
    bool OpenPanel(void* parentWindow);
    void IdlePanel();
    void ClosePanel();
    // The panel's X window while it is open, else 0.
    unsigned long PanelWindow();
    std::shared_ptr<PanelLink> Link() const { return link; }

    // Counts of the panel's changes to each control port; the UI compares
    // them with those it has written to the host.
    struct PanelChanges {
        uint32_t counts[kPortCount] = {};
    };
    // Calls write(port, value) for every control the panel moved since
    // `written`, with its latest value, and brings `written` up to date.
    template <typename Write> void TakePanelChanges(PanelChanges& written, Write write) const
    {
        for (uint32_t port = kPortMode; port < kPortPanic; ++port) {
            const uint32_t count = panelChanges[port].load(std::memory_order_acquire);
            if (count != written.counts[port]) {
                written.counts[port] = count;
                write(port, panelValues[port].load(std::memory_order_relaxed));
            }
        }
    }

private:
    Lv2Node(double sampleRate, uint32_t maxBlock, LV2_URID_Map* map);
    static VstIntPtr HostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                  void* ptr, float opt);
    VstIntPtr Answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);

    void Run(uint32_t frames);
    bool ControlsMoved() const;
    __attribute__((noinline)) void ApplyControls();
    // A parameter the panel set (the node's automate call), kept for the UI
    // to write to the host's control port. Panic is not kept: the panel's
    // has acted, and the host's port is a trigger of its own.
    void NotePanelChange(VstInt32 parameter, float value);
    // A block with events in, or longer than the announced maximum; out of
    // line, so that the common run stays small.
    __attribute__((noinline)) void RunPieces(const LV2_Atom_Sequence* in, uint32_t frames);
    int TakeIncoming(const LV2_Atom_Sequence* in, uint32_t first, int64_t pieceEnd,
                     const LV2_Atom_Event*& next);
    void TakeOutgoing(const VstEvents* events);

    static constexpr int kMaxEvents = 512;

    AEffect* effect = nullptr;
    std::shared_ptr<PanelLink> link = std::make_shared<PanelLink>();
    double sampleRate;
    uint32_t maxBlock;
    LV2_URID midiEvent;
    LV2_URID atomChunk;
    LV2_URID atomSequence;
    LV2_URID settingsKey;

    // A control port the host has not connected points at applied.
    void* ports[kPortCount] = {};
    float* audioIn[2] = {};  // the audio ports again, as the node takes them
    float* audioOut[2] = {};
    float applied[kPortCount] = {};  // the control values the node has
    bool controlsKnown = false;

    // Written by the panel's threads, read by the UI's.
    std::atomic<float> panelValues[kPortCount] = {};
    std::atomic<uint32_t> panelChanges[kPortCount] = {};

    // The events of the piece being run, and the output being filled.
    VstMidiEvent incoming[kMaxEvents] = {};
    VstEventBlock<kMaxEvents> block = {};
    uint32_t pieceStart = 0;
    uint32_t pieceFrames = 0;
    LV2_Atom_Sequence* output = nullptr;
    uint32_t outputCapacity = 0;
};

}  // namespace lv2face
