#include "relay/HeldNotes.h"

namespace {

// A release marks its entries with a length of -1 rather than 0; nothing
// reads the length, the difference only shows where an entry was freed.
constexpr HeldNote kReleasedEntry = {-1, -1, -1, -1.0f};

}  // namespace

HeldNoteTable::HeldNoteTable() : inUse()
{
    for (HeldNote& entry : heldNotes)
        entry = kFreeHeldNote;
    for (auto& channel : entryOf)
        for (int16_t& entry : channel)
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
    if (i < 0 || i >= kSize || !heldNotes[i].InUse())
        return;
    MarkFree(i);
    heldNotes[i] = kReleasedEntry;
}
