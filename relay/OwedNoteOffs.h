// Note-offs a node owes its own host and no one else: for notes that went
// to its host only (its own MIDI through Thru as a receiver), or whose
// receivers a port release has already reached. A sender's outbox also goes
// to the port's receivers, which may have changed since (a receiver that
// joined, another port), so these wait here and open the host's block at
// the next pass. Two bytes a note.
#pragma once

#include "plugin/VstRecords.h"

#include <cstdint>

class OwedNoteOffs {
public:
    static constexpr int32_t kCapacity = 256;

    // False, keeping nothing, when the list is full.
    bool Push(int32_t channel, int32_t note);
    bool Push(const VstMidiEvent& noteOff);
    bool IsEmpty() const { return count == 0; }
    int32_t Count() const { return count; }
    // The i-th note-off, oldest first, at the block's first frame.
    VstMidiEvent NoteOff(int32_t i) const;
    // Forgets the oldest `taken`; the others wait for the next block.
    void Drop(int32_t taken);
    void Clear() { count = 0; }

private:
    uint16_t notes[kCapacity] = {};
    int32_t count = 0;
};
