#include "relay/HeldNotes.h"

namespace {

constexpr HeldNote kFreeEntry = {-1, -1, -1, 0.0f};
// A release marks its entries with a length of -1 rather than 0; nothing
// reads the length, the difference only shows where an entry was freed.
constexpr HeldNote kReleasedEntry = {-1, -1, -1, -1.0f};

}  // namespace

HeldNoteTable::HeldNoteTable() : heldCount(0)
{
    for (HeldNote& entry : heldNotes)
        entry = kFreeEntry;
}

int32_t HeldNoteTable::Find(int32_t channel, int32_t note) const
{
    for (int32_t i = 0; i < kSize; ++i)
        if (heldNotes[i].channel == channel && heldNotes[i].note == note)
            return i;
    return -1;
}

int32_t HeldNoteTable::FirstFree() const
{
    for (int32_t i = 0; i < kSize; ++i)
        if (heldNotes[i].channel == -1)
            return i;
    return -1;
}

HeldNoteTable::NoteOnResult HeldNoteTable::NoteOn(int32_t channel, int32_t note, int32_t velocity,
                                                  float length)
{
    const int32_t found = Find(channel, note);
    if (found >= 0) {
        heldNotes[found].velocity = velocity;
        heldNotes[found].length = length;
        return NoteOnResult::Retriggered;
    }
    if (heldCount >= kSize)
        return NoteOnResult::Dropped;
    const int32_t free = FirstFree();
    if (free < 0)
        return NoteOnResult::Dropped;
    heldNotes[free] = HeldNote{channel, note, velocity, length};
    ++heldCount;
    return NoteOnResult::Added;
}

int32_t HeldNoteTable::NoteOff(int32_t channel, int32_t note)
{
    int32_t freed = 0;
    for (HeldNote& entry : heldNotes) {
        if (entry.channel != channel || entry.note != note)
            continue;
        entry = kFreeEntry;
        --heldCount;
        ++freed;
    }
    return freed;
}

void HeldNoteTable::Clear()
{
    for (HeldNote& entry : heldNotes)
        entry = kReleasedEntry;
    heldCount = 0;
}

void HeldNoteTable::Release(int32_t i)
{
    if (i < 0 || i >= kSize || !heldNotes[i].InUse())
        return;
    heldNotes[i] = kReleasedEntry;
    --heldCount;
}
