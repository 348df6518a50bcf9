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

    // What Take hands over: the events in order, and how many. `records`
    // holds the same events side by side when every one was pushed as a
    // copy, and is null otherwise; `run` holds them side by side where a
    // pass routed them in place (MarkRun), and is null otherwise.
    struct Taken {
        VstMidiEvent* const* events;
        VstMidiEvent* records;
        VstMidiEvent* run;
        int32_t count;

        // The events as one array where they lie side by side, and null
        // otherwise.
        VstMidiEvent* SideBySide() const { return records != nullptr ? records : run; }
    };

    OutBlock() = default;
    OutBlock(const OutBlock&) = delete;
    OutBlock& operator=(const OutBlock&) = delete;

    // Returns false when the event was dropped because the block is full.
    bool Push(const VstMidiEvent& event)
    {
        if (filled >= kCapacity)
            return false;
        records[filling][filled] = event;
        order[filling][filled] = &records[filling][filled];
        ++filled;
        run = nullptr;
        return true;
    }
    // Says that the whole block, as filled so far, is the records from
    // `first` on, queued in place one after the other (a pass that let
    // every event of an array through): Take then hands them over as one
    // array without looking at each pointer. Anything pushed after it
    // undoes it.
    void MarkRun(VstMidiEvent* first) { run = filled > 0 ? first : nullptr; }
    // A block that is not taken in the call that filled it keeps copies:
    // the records its pass routed in place may change before it is taken.
    void CopyRoutedRecords()
    {
        if (!inPlace)
            return;
        VstMidiEvent* const* const queued = order[filling];
        for (int32_t i = 0; i < filled; ++i) {
            VstMidiEvent* const own = &records[filling][i];
            if (queued[i] != own) {
                *own = *queued[i];
                order[filling][i] = own;
            }
        }
        inPlace = false;
        run = nullptr;
    }
    // Hands over every event pushed so far; they stay as they are until the
    // next Take.
    Taken Take()
    {
        const Taken taken{order[filling], inPlace ? nullptr : records[filling],
                          inPlace ? run : nullptr, filled};
        filling ^= 1;
        filled = 0;
        inPlace = false;
        run = nullptr;
        return taken;
    }

    // What a pass's routing loop fills the block through (below).
    class Filler;

    int32_t Count() const { return filled; }
    bool IsEmpty() const { return filled == 0; }
    bool IsFull() const { return filled >= kCapacity; }

private:
    VstMidiEvent records[2][kCapacity];
    VstMidiEvent* order[2][kCapacity];
    int32_t filling = 0;
    int32_t filled = 0;
    bool inPlace = false;
    VstMidiEvent* run = nullptr;
};

// A pass's routing loop queues its events through a Filler, which keeps
// the fill count in its own copy for the loop (one store per event less,
// and no event waits on the previous one's) and writes it back when it is
// done, or at Store before anything else pushes in between (Load after).
// It queues the events where they lie: a process call's out stage takes
// the block before anything else can change them, and a block that waits
// for another call is made into copies first (CopyRoutedRecords).
class OutBlock::Filler {
public:
    explicit Filler(OutBlock& block) : block(block) { Load(); }
    ~Filler() { Store(); }
    Filler(const Filler&) = delete;
    Filler& operator=(const Filler&) = delete;

    bool IsFull() const { return filled >= kCapacity; }
    // Call when not full; the event, queued where it lies, may still be
    // changed by the caller.
    void Queue(VstMidiEvent& event) { order[filled++] = &event; }

    void Store()
    {
        if (filled > block.filled) {
            block.inPlace = true;
            block.run = nullptr;
        }
        block.filled = filled;
    }
    void Load()
    {
        order = block.order[block.filling];
        filled = block.filled;
    }

private:
    OutBlock& block;
    VstMidiEvent** order = nullptr;
    int32_t filled = 0;
};
