// The MIDI messages the relay makes itself rather than passes on.
#pragma once

#include "plugin/VstRecords.h"

#include <cstdint>
#include <cstring>

// A MIDI event record with every byte zero except its type (MIDI) and the
// byte size of what follows the head.
VstMidiEvent BlankMidiEvent();

// Status nibbles the note tracking looks at.
constexpr unsigned char kNoteOff = 0x80;
constexpr unsigned char kNoteOn = 0x90;

// An event's four MIDI bytes as one word, the first byte lowest: the
// routing compares and writes them at once.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the MIDI bytes are packed little-endian");
inline uint32_t MidiBytesOf(const VstMidiEvent& event)
{
    uint32_t bytes;
    std::memcpy(&bytes, event.midiData, sizeof bytes);
    return bytes;
}
// A note-on's status (0x9n) and a note-off's (0x8n) differ in one bit.
inline bool IsNoteBytes(uint32_t bytes) { return (bytes & 0xE0) == kNoteOff; }

// A note-off with velocity 0 for a held entry; an entry's -1 (free) fields
// become channel 0 and note 0.
VstMidiEvent MakeNoteOff(int32_t channel, int32_t note);

// A note-off, or a note-on with velocity 0.
bool IsNoteOff(const VstMidiEvent& event);
// Whether any of `count` events is a note-off.
bool AnyNoteOff(const VstMidiEvent* events, int32_t count);

// What a port release leaves in each receiver's inbox after its note-offs:
// the receiver ends everything it still holds when its pass reaches this
// record, and nothing that arrived after it. Its type is none of the VST 2
// event types, and only MIDI records of a host's blocks are ever queued, so
// no host event can pass for one; it never leaves the relay. Its MIDI bytes
// are all zero, so the routing never takes it for a note.
constexpr VstInt32 kReleaseMarkerType = 0x52454C;  // beyond every VST 2 event type (1 to 6)
VstMidiEvent MakeReleaseMarker();
inline bool IsReleaseMarker(const VstMidiEvent& event) { return event.type == kReleaseMarkerType; }

// All sound off and a centred pitch bend on each of the 16 channels, in
// channel order.
constexpr int kPanicBurstSize = 32;
void FillPanicBurst(VstMidiEvent (&burst)[kPanicBurstSize]);
