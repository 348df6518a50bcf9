// What an instance asked of the host, in the order it asked.
#pragma once

#include <cstdint>
#include <vector>

#include "plugin/VstRecords.h"

namespace tarvenna::host {

struct RequestRecord {
    VstInt32 opcode = 0;
    VstInt32 index = 0;
    VstIntPtr value = 0;
    float opt = 0.0f;
    bool hadPointer = false;
};

struct AutomationRecord {
    VstInt32 index = 0;
    float value = 0.0f;
};

struct SizeRequest {
    VstInt32 width = 0;
    VstInt32 height = 0;
};

// One audioMasterProcessEvents call. Its events are copies in
// Recording::midiOut[first, first + count).
struct MidiHandout {
    // Number of process calls started when the events arrived: the events of
    // the n-th process call carry block n; those before any call carry 0.
    std::uint64_t block = 0;
    bool duringProcess = false;
    std::size_t first = 0;
    std::size_t count = 0;
};

struct Recording {
    std::vector<RequestRecord> requests;
    std::vector<AutomationRecord> automation;
    std::vector<VstInt32> beginEdits;
    std::vector<VstInt32> endEdits;
    // The filter value of each audioMasterWantMidi request.
    std::vector<VstIntPtr> wantMidi;
    std::vector<SizeRequest> sizeWindow;
    std::vector<MidiHandout> handouts;
    // Deep copies of every event handed out, in arrival order. Events of
    // other types are copied too (their first 32 bytes); check `type`.
    std::vector<VstMidiEvent> midiOut;

    // Sized so that ordinary test runs never allocate in a process call.
    void reserve();
    // Empties every list and keeps the storage.
    void clear();

    std::size_t count(VstInt32 opcode) const;
    std::vector<VstMidiEvent> eventsOfHandout(std::size_t handout) const;
    std::vector<VstMidiEvent> eventsOfBlock(std::uint64_t block) const;
};

}  // namespace tarvenna::host
