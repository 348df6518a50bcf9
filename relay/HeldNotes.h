// The notes a node has let through and not yet ended, so that a change of
// mode, port or Thru, or switching the plug-in off, can end each of them.
#pragma once

#include <cstdint>

// An entry's fields are those of the note-on that took it, and mean
// something only while the table's bitmap says it is held (IsHeld): a
// note-off or a release frees an entry without writing it, and the next
// note-on that takes it writes every field.
struct HeldNote {
    int32_t channel;   // 0 to 15; -1 in an entry never held
    int32_t note;      // 0 to 127; -1 in an entry never held
    int32_t velocity;  // of the note-on; -1 in an entry never held
    float length;      // the note-on's length field, kept but not used
};

inline constexpr HeldNote kFreeHeldNote = {-1, -1, -1, 0.0f};

// 256 entries, taken lowest free first and released in table order. Every
// note event looks its (channel, note) up on the audio thread, so the table
// keeps beside its entries an index from the pair to its entry and a bitmap
// of the entries in use: a lookup, a note-on and a note-off each cost the
// same whether no note or 255 notes are held, and a release visits only the
// entries in use.
class HeldNoteTable {
public:
    static constexpr int32_t kSize = 256;

    enum class NoteOnResult { Retriggered, Added, Dropped };

    HeldNoteTable();

    // A pass's note events go through a Tracker (below).
    class Tracker;

    // Empties the table after a release has ended every note.
    void Clear();
    // Frees one entry whose note a release has ended; the others stay.
    void Release(int32_t i);

    const HeldNote& Entry(int32_t i) const { return heldNotes[i]; }
    bool IsHeld(int32_t i) const { return (inUse[i / kWordBits] >> (i % kWordBits)) & 1; }
    // How many entries are in use, counted from the bitmap when asked
    // (rarely: a count kept up to date would cost every note event).
    int32_t Count() const;
    // The first entry in use at or after `from`, in table order; kSize when
    // there is none.
    int32_t NextHeld(int32_t from) const;

private:
    static constexpr int32_t kChannels = 16;
    static constexpr int32_t kNotes = 128;
    static constexpr int32_t kWordBits = 64;
    static constexpr int32_t kWords = kSize / kWordBits;

    int32_t Find(int32_t channel, int32_t note) const
    {
        return IsIndexed(channel, note) ? entryOf[KeyOf(channel, note)] : -1;
    }
    void MarkFree(int32_t i)
    {
        inUse[i / kWordBits] &= ~(uint64_t{1} << (i % kWordBits));
        entryOf[KeyOf(heldNotes[i].channel, heldNotes[i].note)] = -1;
    }
    // Note events carry a 4-bit channel and a 7-bit note, so every pair the
    // table is asked about has its place in the index.
    static bool IsIndexed(int32_t channel, int32_t note)
    {
        return static_cast<uint32_t>(channel) < kChannels && static_cast<uint32_t>(note) < kNotes;
    }
    // The place of an indexed pair in entryOf. Unsigned, so that the
    // routing loop indexes with it as it is.
    static uint32_t KeyOf(int32_t channel, int32_t note)
    {
        return static_cast<uint32_t>(channel) * kNotes + static_cast<uint32_t>(note);
    }

    HeldNote heldNotes[kSize];
    // Entry of each (channel, note) at KeyOf, -1 when it is not held.
    int16_t entryOf[kChannels * kNotes];
    // The entries in use.
    uint64_t inUse[kWords];
};

// What a pass's routing loop tracks its note events with. Each event's
// look-up, note-on or note-off would otherwise wait on the previous one's
// store to the bitmap; the tracker keeps its own copy of the bitmap's first
// word for the loop, which it writes back when it is done (or Store, before
// anything uses the table itself in between; Load after). Fewer than 64
// notes held is the rule, and then every event finds its entry in that
// word; the others are used where they lie, which leaves the loop the
// registers it needs.
//
// Inline: every note event of every pass comes through here.
class HeldNoteTable::Tracker {
public:
    explicit Tracker(HeldNoteTable& table) : table(table) { Load(); }
    ~Tracker() { Store(); }
    Tracker(const Tracker&) = delete;
    Tracker& operator=(const Tracker&) = delete;

    // A note-on for a (channel, note) already held refreshes its entry;
    // otherwise it takes the first free entry, or is dropped when none is.
    NoteOnResult NoteOn(int32_t channel, int32_t note, int32_t velocity, float length)
    {
        if (!IsIndexed(channel, note))
            return NoteOnResult::Dropped;
        int16_t& slot = table.entryOf[KeyOf(channel, note)];
        if (slot >= 0) {
            table.heldNotes[slot].velocity = velocity;
            table.heldNotes[slot].length = length;
            return NoteOnResult::Retriggered;
        }
        const int32_t free = FirstFree();
        if (free < 0)
            return NoteOnResult::Dropped;
        table.heldNotes[free] = HeldNote{channel, note, velocity, length};
        Flip(free);
        slot = static_cast<int16_t>(free);
        return NoteOnResult::Added;
    }
    // Frees the entry of (channel, note); returns how many there were (0 or
    // 1), so that a note-off for a note never let through can be dropped.
    // The entry's fields stay as they were: the bitmap tells which entries
    // are held, and a note-on fills every field of the entry it takes.
    int32_t NoteOff(int32_t channel, int32_t note)
    {
        if (!IsIndexed(channel, note))
            return 0;
        int16_t& slot = table.entryOf[KeyOf(channel, note)];
        if (slot < 0)
            return 0;
        Flip(slot);
        slot = -1;
        return 1;
    }
    bool Holds(int32_t channel, int32_t note) const { return table.Find(channel, note) >= 0; }

    void Store() { table.inUse[0] = word0; }
    void Load() { word0 = table.inUse[0]; }

private:
    int32_t FirstFree() const
    {
        if (word0 != ~uint64_t{0})
            return __builtin_ctzll(~word0);
        for (int32_t word = 1; word < kWords; ++word)
            if (table.inUse[word] != ~uint64_t{0})
                return word * kWordBits + __builtin_ctzll(~table.inUse[word]);
        return -1;
    }
    // Marks a free entry used or a used one free.
    void Flip(int32_t entry)
    {
        const uint64_t bit = uint64_t{1} << (entry % kWordBits);
        if (__builtin_expect(entry < kWordBits, 1))
            word0 ^= bit;
        else
            table.inUse[entry / kWordBits] ^= bit;
    }

    HeldNoteTable& table;
    // The bitmap's first word, in a register for the loop.
    uint64_t word0 = 0;
};
