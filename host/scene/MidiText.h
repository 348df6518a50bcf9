// Readable descriptions of MIDI events, for transcripts.
#pragma once

#include <string>

#include "plugin/VstRecords.h"

namespace tarvenna::host {

// "note-on ch 1 key 60 vel 100", "controller ch 3 #120 = 0", ...; channels
// are counted from 1 as musicians do.
std::string DescribeMidi(const VstMidiEvent& event);

}  // namespace tarvenna::host
