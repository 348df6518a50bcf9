#include "relay/HeldNotes.h"

HeldNoteTable::HeldNoteTable() : inUse()
{
    for (HeldNote& entry : heldNotes)
        entry = kFreeHeldNote;
    for (int16_t& entry : entryOf)
        entry = -1;
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

void HeldNoteTable::Clear()
{
    for (int32_t i = NextHeld(0); i < kSize; i = NextHeld(i + 1))
        Release(i);
}

int32_t HeldNoteTable::Count() const
{
    int32_t count = 0;
    for (const uint64_t word : inUse)
        count += __builtin_popcountll(word);
    return count;
}

void HeldNoteTable::Release(int32_t i)
{
    if (i < 0 || i >= kSize || !IsHeld(i))
        return;
    MarkFree(i);
}
