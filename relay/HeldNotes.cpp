#include "relay/HeldNotes.h"

namespace {

constexpr HeldNote kFreeEntry = {-1, -1, -1, 0.0f};
// A release marks its entries with a length of -1 rather than 0; nothing
// reads the length, the difference only shows where an entry was freed.
constexpr HeldNote kReleasedEntry = {-1, -1, -1, -1.0f};

}  // namespace

HeldNoteTable::HeldNoteTable() : heldCount(0), inUse()
{
    for (HeldNote& entry : heldNotes)
        entry = kFreeEntry;
    for (auto& channel : entryOf)
        for (int16_t& entry : channel)
            entry = -1;
}

// Note events carry a 4-bit channel and a 7-bit note, so every pair the
// table is asked about has its place in the index.
bool HeldNoteTable::IsIndexed(int32_t channel, int32_t note)
{
    return channel >= 0 && channel < kChannels && note >= 0 && note < kNotes;
}

int32_t HeldNoteTable::Find(int32_t channel, int32_t note) const
{
    return IsIndexed(channel, note) ? entryOf[channel][note] : -1;
}

int32_t HeldNoteTable::FirstFree() const
{
    for (int32_t word = 0; word < kWords; ++word)
        if (inUse[word] != ~uint64_t{0})
            return word * kWordBits + __builtin_ctzll(~inUse[word]);
    return -1;
}

int32_t HeldNoteTable::NextHeld(int32_t from) const
{
    if (from < 0)
        from = 0;
    for (int32_t word = from / kWordBits; word < kWords; ++word) {
        uint64_t bits = inUse[word];
        if (word == from / kWordBits)
            bits &= ~uint64_t{0} << (from % kWordBits);
        if (bits != 0)
            return word * kWordBits + __builtin_ctzll(bits);
    }
    return kSize;
}

void HeldNoteTable::MarkUsed(int32_t i)
{
    inUse[i / kWordBits] |= uint64_t{1} << (i % kWordBits);
    entryOf[heldNotes[i].channel][heldNotes[i].note] = static_cast<int16_t>(i);
}

void HeldNoteTable::MarkFree(int32_t i)
{
    inUse[i / kWordBits] &= ~(uint64_t{1} << (i % kWordBits));
    entryOf[heldNotes[i].channel][heldNotes[i].note] = -1;
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
    if (heldCount >= kSize || !IsIndexed(channel, note))
        return NoteOnResult::Dropped;
    const int32_t free = FirstFree();
    if (free < 0)
        return NoteOnResult::Dropped;
    heldNotes[free] = HeldNote{channel, note, velocity, length};
    MarkUsed(free);
    ++heldCount;
    return NoteOnResult::Added;
}

int32_t HeldNoteTable::NoteOff(int32_t channel, int32_t note)
{
    const int32_t found = Find(channel, note);
    if (found < 0)
        return 0;
    MarkFree(found);
    heldNotes[found] = kFreeEntry;
    --heldCount;
    return 1;
}

void HeldNoteTable::Clear()
{
    for (int32_t i = NextHeld(0); i < kSize; i = NextHeld(i + 1))
        Release(i);
    heldCount = 0;
}

void HeldNoteTable::Release(int32_t i)
{
    if (i < 0 || i >= kSize || !heldNotes[i].InUse())
        return;
    MarkFree(i);
    heldNotes[i] = kReleasedEntry;
    --heldCount;
}
