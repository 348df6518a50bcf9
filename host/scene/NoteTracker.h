// Which notes a stream of MIDI leaves sounding: a note-on starts its key
// on its channel, a note-off (or a note-on of velocity 0) ends it, and the
// controllers all-sound-off (120) and all-notes-off (123) end the channel.
#pragma once

#include <bitset>
#include <string>
#include <vector>

namespace tarvenna::host {

struct SoundingNote {
    int channel = 0;  // 0 to 15
    int key = 0;
};

class NoteTracker {
public:
    void Apply(int status, int data1, int data2);
    bool AnySounding() const { return sounding.any(); }
    std::vector<SoundingNote> Sounding() const;

private:
    std::bitset<16 * 128> sounding;
};

// "ch 1 key 60, ch 2 key 64" (channels from 1), at most `listed` notes and
// then "and N more"; "none" when empty.
std::string DescribeNotes(const std::vector<SoundingNote>& notes, std::size_t listed = 4);

}  // namespace tarvenna::host
