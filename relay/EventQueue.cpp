#include "relay/EventQueue.h"

#include <cstring>

namespace {

// What follows the type and byte-size words of a MIDI event record.
constexpr VstInt32 kMidiEventBodySize = sizeof(VstMidiEvent) - 2 * sizeof(VstInt32);

}  // namespace

VstMidiEvent BlankMidiEvent()
{
    VstMidiEvent event;
    std::memset(&event, 0, sizeof event);
    event.type = kVstMidiType;
    event.byteSize = kMidiEventBodySize;
    return event;
}

EventQueue::EventQueue()
    : writePosition(slots), readPosition(slots), capacity(kCapacity), count(0)
{
    const VstMidiEvent blank = BlankMidiEvent();
    for (VstMidiEvent& slot : slots)
        slot = blank;
}

VstMidiEvent* EventQueue::Advance(VstMidiEvent* position)
{
    ++position;
    return position == slots + capacity ? slots : position;
}

bool EventQueue::Push(const VstMidiEvent& event)
{
    if (count >= capacity)
        return false;
    ++count;
    std::memcpy(writePosition, &event, sizeof event);
    writePosition = Advance(writePosition);
    return true;
}

bool EventQueue::Pop(VstMidiEvent& event)
{
    if (count <= 0)
        return false;
    --count;
    std::memcpy(&event, readPosition, sizeof event);
    readPosition = Advance(readPosition);
    return true;
}

void EventQueue::Clear()
{
    writePosition = slots;
    readPosition = slots;
    count = 0;
}

PointerQueue::PointerQueue()
    : writeIndex(0), readIndex(0), capacity(kCapacity), count(0), slots()
{
}

int32_t PointerQueue::Index(int32_t i) const
{
    return (readIndex + i) % capacity;
}

bool PointerQueue::Push(EventQueue* target)
{
    if (count >= capacity)
        return false;
    ++count;
    slots[writeIndex] = target;
    writeIndex = (writeIndex + 1) % capacity;
    return true;
}

bool PointerQueue::Pop(EventQueue*& target)
{
    if (count <= 0)
        return false;
    --count;
    target = slots[readIndex];
    readIndex = (readIndex + 1) % capacity;
    return true;
}

void PointerQueue::Clear()
{
    writeIndex = 0;
    readIndex = 0;
    count = 0;
}

void PointerQueue::Forget(const EventQueue* target)
{
    for (int32_t i = 0; i < count; ++i)
        if (slots[Index(i)] == target)
            slots[Index(i)] = nullptr;
}

EventQueue* PointerQueue::Peek(int32_t i) const
{
    return slots[Index(i)];
}
