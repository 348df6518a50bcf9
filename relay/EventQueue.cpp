#include "relay/EventQueue.h"

#include "relay/MidiMessages.h"

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

EventQueue::EventQueue() : writePosition(slots), readPosition(slots), capacity(kCapacity), count(0)
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

void EventQueue::MoveAllToStart()
{
    VstMidiEvent* position = readPosition;
    for (int32_t i = 0; i < count; ++i, position = Advance(position))
        position->deltaFrames = 0;
}

int32_t Inbox::PushAll(const VstMidiEvent* events, int32_t count)
{
    int32_t pushed = 0;
    lock.Lock();
    while (pushed < count && queue.Push(events[pushed]))
        ++pushed;
    held.store(queue.Count(), std::memory_order_release);
    lock.Unlock();
    return pushed;
}

bool Inbox::PushRelease(const VstMidiEvent* noteOffs, int32_t count)
{
    const VstMidiEvent marker = MakeReleaseMarker();
    int32_t pushed = 0;
    lock.Lock();
    while (pushed < count && queue.Push(noteOffs[pushed]))
        ++pushed;
    const bool whole = pushed == count && queue.Push(marker);
    held.store(queue.Count(), std::memory_order_release);
    lock.Unlock();
    return whole;
}

int32_t Inbox::TakeAll(VstMidiEvent* events)
{
    // A push that is still under way on another thread is taken with the
    // next pass, as it would be had it come a moment later.
    if (held.load(std::memory_order_acquire) == 0)
        return 0;
    int32_t taken = 0;
    lock.Lock();
    while (taken < EventQueue::kCapacity && queue.Pop(events[taken]))
        ++taken;
    held.store(queue.Count(), std::memory_order_release);
    lock.Unlock();
    return taken;
}

void Inbox::Clear()
{
    lock.Lock();
    queue.Clear();
    held.store(0, std::memory_order_release);
    lock.Unlock();
}

int32_t Inbox::Count()
{
    lock.Lock();
    const int32_t count = queue.Count();
    lock.Unlock();
    return count;
}

void Inbox::MoveAllToStart()
{
    if (held.load(std::memory_order_acquire) == 0)
        return;
    lock.Lock();
    queue.MoveAllToStart();
    lock.Unlock();
}
