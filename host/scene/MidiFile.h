// Standard MIDI files read and written with portSMF, the MIDI file library
// Debian carries for both of our targets. Only channel messages pass: a
// file's meta and system exclusive events are not relayed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarvenna::host {

// A channel message at a time in seconds from the start.
struct TimedMidi {
    double seconds = 0.0;
    std::uint8_t status = 0;
    std::uint8_t data1 = 0;
    std::uint8_t data2 = 0;
};

// The messages of one track (1 is the first track of the file; 0 merges
// every track), timed by the file's tempo map and sorted by time; at one
// time note-offs come first and note-ons last. portSMF keeps notes as
// pairs, so a note-off reads back with velocity 0 and a note without its
// end is left out. False with `error` when the file cannot be read or has
// no such track.
bool ReadMidiFile(const std::string& path, int track, std::vector<TimedMidi>& events,
                  std::string& error);

// One track of `events` (in time order) at 100 beats per minute, 600 ticks
// a beat: a millisecond per tick. Notes still sounding at `endSeconds` end
// there. False with `error` when the file cannot be written.
bool WriteMidiFile(const std::string& path, const std::vector<TimedMidi>& events, double endSeconds,
                   std::string& error);

}  // namespace tarvenna::host
