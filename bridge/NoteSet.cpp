#include "bridge/NoteSet.h"

bool NoteSet::Remove(int32_t channel, int32_t note)
{
    uint32_t& word = words[Word(channel, note)];
    const bool held = (word & Bit(note)) != 0;
    word &= ~Bit(note);
    return held;
}

bool NoteSet::Any() const
{
    for (uint32_t word : words)
        if (word != 0)
            return true;
    return false;
}
