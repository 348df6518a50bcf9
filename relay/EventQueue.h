// Fixed rings that carry MIDI between the stages of a node's MIDI pass and
// from one node to another. Storage lives inside the ring, so pushing and
// popping never allocate and can run on the audio thread.
#pragma once

#include "plugin/VstRecords.h"

#include <cstdint>

// A MIDI event record with every byte zero except its type (MIDI) and the
// byte size of what follows the head.
VstMidiEvent BlankMidiEvent();

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
    bool Push(const VstMidiEvent& event);
    // Returns false, leaving event untouched, when the ring is empty.
    bool Pop(VstMidiEvent& event);
    void Clear();

    int32_t Count() const { return count; }
    bool IsEmpty() const { return count == 0; }

private:
    VstMidiEvent* Advance(VstMidiEvent* position);

    VstMidiEvent* writePosition;
    VstMidiEvent* readPosition;
    int32_t capacity;
    int32_t count;
    VstMidiEvent slots[kCapacity];
};

// A ring of 64 pointers to other nodes' inboxes: where a port release still
// has to deliver its note-offs.
class PointerQueue {
public:
    static constexpr int32_t kCapacity = 64;

    PointerQueue();
    PointerQueue(const PointerQueue&) = delete;
    PointerQueue& operator=(const PointerQueue&) = delete;

    bool Push(EventQueue* target);
    bool Pop(EventQueue*& target);
    void Clear();
    // Replaces every entry equal to target by null, which the consumer
    // skips: an inbox that disappears must not be written to afterwards.
    void Forget(const EventQueue* target);

    int32_t Count() const { return count; }
    // The entry that is i places behind the oldest one; i below Count().
    EventQueue* Peek(int32_t i) const;

private:
    int32_t Index(int32_t i) const;

    int32_t writeIndex;
    int32_t readIndex;
    int32_t capacity;
    int32_t count;
    EventQueue* slots[kCapacity];
};
