// The notes a node has let through and not yet ended, so that a change of
// mode, port or Thru, or switching the plug-in off, can end each of them.
#pragma once

#include <cstdint>

struct HeldNote {
    int32_t channel;   // 0 to 15; -1 when the entry is free
    int32_t note;      // 0 to 127; -1 when free
    int32_t velocity;  // of the note-on; -1 when free
    float length;      // the note-on's length field, kept but not used

    bool InUse() const { return channel != -1 || note != -1; }
};

// 256 entries scanned linearly: small enough that a scan per note event is
// cheaper than keeping an index consistent on the audio thread.
class HeldNoteTable {
public:
    static constexpr int32_t kSize = 256;

    enum class NoteOnResult { Retriggered, Added, Dropped };

    HeldNoteTable();

    // A note-on for a (channel, note) already held refreshes its entry;
    // otherwise it takes the first free entry, or is dropped when none is.
    NoteOnResult NoteOn(int32_t channel, int32_t note, int32_t velocity, float length);
    // Frees the entries of (channel, note); returns how many there were, so
    // that a note-off for a note never let through can be dropped.
    int32_t NoteOff(int32_t channel, int32_t note);
    // Empties the table after a release has ended every note.
    void Clear();
    // Frees one entry whose note a release has ended; the others stay.
    void Release(int32_t i);

    bool Holds(int32_t channel, int32_t note) const { return Find(channel, note) >= 0; }
    const HeldNote& Entry(int32_t i) const { return heldNotes[i]; }
    int32_t Count() const { return heldCount; }

private:
    int32_t Find(int32_t channel, int32_t note) const;
    int32_t FirstFree() const;

    HeldNote heldNotes[kSize];
    int32_t heldCount;
};
