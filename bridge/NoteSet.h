// The notes sounding on one JACK port, as the process thread saw them go
// out or come in, so that it can end them when the port's notes must end.
// One bit per (channel, note); only the process thread (or whoever has
// stopped it) touches a set.
#pragma once

#include <cstdint>

class NoteSet {
public:
    static constexpr int32_t kChannels = 16;
    static constexpr int32_t kNotes = 128;

    constexpr NoteSet() : words() {}

    void Add(int32_t channel, int32_t note) { words[Word(channel, note)] |= Bit(note); }
    // Whether the note was there.
    bool Remove(int32_t channel, int32_t note);
    bool Any() const;
    // Calls end(channel, note) for every note, by channel then note, and
    // keeps the ones it returns false for (the note-off found no room).
    template <typename End> void EndAll(End end);

private:
    static constexpr int32_t kWordBits = 32;
    static int32_t Word(int32_t channel, int32_t note)
    {
        return (channel & 15) * (kNotes / kWordBits) + (note & 127) / kWordBits;
    }
    static uint32_t Bit(int32_t note) { return 1u << (note % kWordBits); }

    uint32_t words[kChannels * kNotes / kWordBits];
};

template <typename End> void NoteSet::EndAll(End end)
{
    for (int32_t w = 0; w < kChannels * kNotes / kWordBits; ++w) {
        for (int32_t b = 0; words[w] != 0 && b < kWordBits; ++b) {
            if ((words[w] & (1u << b)) == 0)
                continue;
            const int32_t channel = w / (kNotes / kWordBits);
            const int32_t note = (w % (kNotes / kWordBits)) * kWordBits + b;
            if (end(channel, note))
                words[w] &= ~(1u << b);
        }
    }
}
