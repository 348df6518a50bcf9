#include "relay/EventQueue.h"

#include "relay/MidiMessages.h"

#include <cstring>

EventQueue::EventQueue() : writePosition(slots), readPosition(slots), capacity(kCapacity), count(0)
{
    const VstMidiEvent blank = BlankMidiEvent();
    for (VstMidiEvent& slot : slots)
        slot = blank;
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

int32_t Inbox::AppendLocked(const VstMidiEvent* events, int32_t count)
{
    const int32_t room = kCapacity - filled;
    const int32_t pushed = count <= 0 ? 0 : count < room ? count : room;
    if (pushed > 0)
        std::memcpy(&arrays[filling][filled], events, sizeof(VstMidiEvent) * pushed);
    filled += pushed;
    return pushed;
}

int32_t Inbox::PushAll(const VstMidiEvent* events, int32_t count)
{
    lock.Lock();
    const int32_t pushed = AppendLocked(events, count);
    held.store(filled, std::memory_order_release);
    lock.Unlock();
    return pushed;
}

bool Inbox::PushRelease(const VstMidiEvent* noteOffs, int32_t count)
{
    const VstMidiEvent marker = MakeReleaseMarker();
    lock.Lock();
    const bool whole = AppendLocked(noteOffs, count) == count && AppendLocked(&marker, 1) == 1;
    held.store(filled, std::memory_order_release);
    lock.Unlock();
    return whole;
}

VstMidiEvent* Inbox::Take(int32_t& taken)
{
    taken = 0;
    // A push that is still under way on another thread is taken with the
    // next pass, as it would be had it come a moment later.
    if (held.load(std::memory_order_acquire) == 0)
        return nullptr;
    lock.Lock();
    VstMidiEvent* events = arrays[filling];
    taken = filled;
    filling ^= 1;
    filled = 0;
    held.store(0, std::memory_order_release);
    lock.Unlock();
    return events;
}

void Inbox::Clear()
{
    lock.Lock();
    filled = 0;
    held.store(0, std::memory_order_release);
    lock.Unlock();
}

int32_t Inbox::Count()
{
    lock.Lock();
    const int32_t count = filled;
    lock.Unlock();
    return count;
}

void Inbox::MoveAllToStart()
{
    if (held.load(std::memory_order_acquire) == 0)
        return;
    lock.Lock();
    for (int32_t i = 0; i < filled; ++i)
        arrays[filling][i].deltaFrames = 0;
    lock.Unlock();
}
