// The MIDI messages the relay makes itself rather than passes on.
#pragma once

#include "plugin/VstRecords.h"

#include <cstdint>

// Status nibbles the note tracking looks at.
constexpr unsigned char kNoteOff = 0x80;
constexpr unsigned char kNoteOn = 0x90;

// A note-off with velocity 0 for a held entry; an entry's -1 (free) fields
// become channel 0 and note 0.
VstMidiEvent MakeNoteOff(int32_t channel, int32_t note);

// All sound off and a centred pitch bend on each of the 16 channels, in
// channel order.
constexpr int kPanicBurstSize = 32;
void FillPanicBurst(VstMidiEvent (&burst)[kPanicBurstSize]);
