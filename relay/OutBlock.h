// What a node's pass hands on: its outbox. A pass fills it in order (and a
// Panic between passes adds its burst) and its out stage takes it whole,
// towards the port's receivers or the node's host, so it is a plain array
// rather than a ring. There are two, taking turns: the host reads the block
// a pass took after the node's lock is released, when another thread may
// already push again, and those pushes go into the other array. The host
// has read it by the node's next process call, which takes the other one.
#pragma once

#include "plugin/VstRecords.h"
#include "relay/EventQueue.h"

#include <cstdint>

class OutBlock {
public:
    static constexpr int32_t kCapacity = EventQueue::kCapacity;

    OutBlock() = default;
    OutBlock(const OutBlock&) = delete;
    OutBlock& operator=(const OutBlock&) = delete;

    // Returns false when the event was dropped because the block is full.
    bool Push(const VstMidiEvent& event)
    {
        if (filled >= kCapacity)
            return false;
        arrays[filling][filled++] = event;
        return true;
    }
    // Hands over every event pushed so far, in order, and sets `taken` to
    // how many; they stay as they are until the next Take.
    VstMidiEvent* Take(int32_t& taken)
    {
        VstMidiEvent* events = arrays[filling];
        taken = filled;
        filling ^= 1;
        filled = 0;
        return events;
    }

    int32_t Count() const { return filled; }
    bool IsEmpty() const { return filled == 0; }
    bool IsFull() const { return filled >= kCapacity; }

private:
    VstMidiEvent arrays[2][kCapacity];
    int32_t filling = 0;
    int32_t filled = 0;
};
