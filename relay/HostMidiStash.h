// The MIDI a node's host handed it (effProcessEvents) and that the node's
// next MIDI pass takes. Only the node's own audio calls touch it, and a
// host makes those one at a time, so it needs no lock: the host's MIDI is
// taken without waiting for the node's lock, which another thread may hold.
#pragma once

#include "plugin/VstRecords.h"
#include "relay/EventQueue.h"

#include <cstdint>

class HostMidiStash {
public:
    HostMidiStash();
    HostMidiStash(const HostMidiStash&) = delete;
    HostMidiStash& operator=(const HostMidiStash&) = delete;

    // Copies the block's MIDI events, in the host's order, after those
    // already kept. `suspends` is the node's count of suspends now: what was
    // kept before a later suspend belongs to blocks that were never
    // processed, and is dropped first. Events beyond the capacity are lost.
    void Add(const VstEvents* block, uint32_t suspends);
    // Whether what is kept was handed over since the node's last suspend.
    bool Current(uint32_t suspends) const { return count == 0 || keptSince == suspends; }
    // Whether a note-off was among the events lost: its note can no longer
    // be ended by it.
    bool LostNoteOff() const { return lostNoteOff; }

    VstMidiEvent* Events() { return events; }
    int32_t Count() const { return count; }
    void Clear();
    // The pass these were meant for had to leave them: they are late.
    void MoveAllToStart();

private:
    VstMidiEvent events[EventQueue::kCapacity];
    int32_t count;
    uint32_t keptSince;
    bool lostNoteOff;
};
