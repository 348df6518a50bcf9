// Fixed rings that carry MIDI between the stages of a node's MIDI pass and
// from one node to another. Storage lives inside the ring, so pushing and
// popping never allocate and can run on the audio thread.
#pragma once

#include "plugin/VstRecords.h"
#include "relay/NodeLock.h"

#include <atomic>
#include <cstdint>

// A ring of 256 MIDI events. A full ring drops what is pushed: losing an
// event is better than blocking the audio thread or growing on it.
class EventQueue {
public:
    static constexpr int32_t kCapacity = 256;

    EventQueue();
    // The ring points into itself; a copy would point into the original.
    EventQueue(const EventQueue&) = delete;
    EventQueue& operator=(const EventQueue&) = delete;

    // Returns false when the event was dropped because the ring is full.
    // Both are inline: every event a node moves passes through them.
    bool Push(const VstMidiEvent& event)
    {
        if (count >= capacity)
            return false;
        ++count;
        *writePosition = event;
        writePosition = Advance(writePosition);
        return true;
    }
    // Returns false, leaving event untouched, when the ring is empty.
    bool Pop(VstMidiEvent& event)
    {
        if (count <= 0)
            return false;
        --count;
        event = *readPosition;
        readPosition = Advance(readPosition);
        return true;
    }
    void Clear();
    // Every event held goes to the first frame of the block it is handed
    // over in: its own block has passed.
    void MoveAllToStart();

    int32_t Count() const { return count; }
    bool IsEmpty() const { return count == 0; }
    bool IsFull() const { return count >= capacity; }

private:
    VstMidiEvent* Advance(VstMidiEvent* position)
    {
        ++position;
        return position == slots + capacity ? slots : position;
    }

    VstMidiEvent* writePosition;
    VstMidiEvent* readPosition;
    int32_t capacity;
    int32_t count;
    VstMidiEvent slots[kCapacity];
};

// A node's inbox: the one queue that other nodes write into, from their own
// audio threads while the owner drains it on its own. Its lock is held for
// the copies of one batch and nothing else, so no holder ever waits for
// another lock inside it. The number of events it holds is also kept as an
// atomic, so that the owner's pass finds an empty inbox without taking the
// lock: most blocks of most nodes bring no MIDI.
//
// The owner takes everything at once, so the inbox is a plain array rather
// than a ring, and there are two: taking hands the owner the filled one and
// gives the senders the other, so the owner reads its events where the
// senders wrote them, without the lock and without copying them out.
class Inbox {
public:
    static constexpr int32_t kCapacity = EventQueue::kCapacity;

    Inbox() = default;
    Inbox(const Inbox&) = delete;
    Inbox& operator=(const Inbox&) = delete;

    // Pushes the events in order until the inbox is full; returns how many
    // went in (the rest are dropped, as a full ring drops).
    int32_t PushAll(const VstMidiEvent* events, int32_t count);
    bool Push(const VstMidiEvent& event) { return PushAll(&event, 1) == 1; }
    // The note-offs of a port release and then a release marker
    // (MidiMessages.h), under one hold, so that nothing comes between them.
    // False when not all of it fit: the owner can then no longer tell which
    // notes came after the release.
    bool PushRelease(const VstMidiEvent* noteOffs, int32_t count);
    // Hands the owner every held event, oldest first, and sets `taken` to
    // how many. They stay where they are, the owner's to read and change,
    // until its next Take; senders meanwhile fill the other array.
    VstMidiEvent* Take(int32_t& taken);
    void Clear();
    int32_t Count();
    // Without the lock: a push under way on another thread may not show yet.
    bool IsEmptyNow() const { return held.load(std::memory_order_acquire) == 0; }
    // What waits here when the owner's pass has to leave it is late by then.
    void MoveAllToStart();

private:
    // Call with the lock held.
    int32_t AppendLocked(const VstMidiEvent* events, int32_t count);

    // Held for one batch's copies: one locked exchange to take it and a
    // store to give it back.
    NodeLock lock;
    VstMidiEvent arrays[2][kCapacity];
    // The array senders fill and how much of it, under the lock.
    int32_t filling = 0;
    int32_t filled = 0;
    // The count, published under the lock after each change.
    std::atomic<int32_t> held{0};
};
