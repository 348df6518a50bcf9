// What an instance asked of the host, in the order it asked.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "plugin/VstRecords.h"

namespace tarvenna::host {

struct RequestRecord {
    // The record the request came with: null, or one the host does not
    // know yet, while the instance is being created.
    AEffect* effect = nullptr;
    VstInt32 opcode = 0;
    VstInt32 index = 0;
    VstIntPtr value = 0;
    // As the plug-in passed it; kept to be compared, never to be followed
    // once the request has been answered.
    void* ptr = nullptr;
    float opt = 0.0f;
    // The text of a capability query (audioMasterCanDo); empty otherwise.
    std::string text;
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
    void Reserve();
    // Empties every list and keeps the storage.
    void Clear();

    std::size_t Count(VstInt32 opcode) const;
    // The latest request with this opcode; null when there was none.
    const RequestRecord* Last(VstInt32 opcode) const;
    std::vector<VstMidiEvent> EventsOfHandout(std::size_t handout) const;
    std::vector<VstMidiEvent> EventsOfBlock(std::uint64_t block) const;
};

}  // namespace tarvenna::host
