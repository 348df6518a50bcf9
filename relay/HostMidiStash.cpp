#include "relay/HostMidiStash.h"

#include "relay/MidiMessages.h"

#include <cstddef>
#include <cstring>

HostMidiStash::HostMidiStash() : events(), count(0), keptSince(0), lostNoteOff(false) {}

void HostMidiStash::Add(const VstEvents* block, uint32_t suspends)
{
    if (!Current(suspends))
        Clear();
    if (count == 0)
        keptSince = suspends;
    // The count is kept in a local for the loop: the copies are byte
    // copies, which the compiler must assume could change a member.
    VstEvent* const* pointers = EventPointers(block);
    const VstInt32 given = block->numEvents;
    int32_t kept = count;
    for (VstInt32 i = 0; i < given; ++i) {
        const VstEvent* event = pointers[i];
        if (event == nullptr || event->type != kVstMidiType)
            continue;
        const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
        if (kept == EventQueue::kCapacity)
            lostNoteOff = lostNoteOff || IsNoteOff(*midi);
        else
            std::memcpy(&events[kept++], midi, sizeof events[0]);
    }
    count = kept;
}

void HostMidiStash::Clear()
{
    count = 0;
    lostNoteOff = false;
}

void HostMidiStash::MoveAllToStart()
{
    for (int32_t i = 0; i < count; ++i)
        events[i].deltaFrames = 0;
}
