#include "relay/OwedNoteOffs.h"

#include "relay/MidiMessages.h"

#include <cstring>

bool OwedNoteOffs::Push(int32_t channel, int32_t note)
{
    if (count >= kCapacity)
        return false;
    notes[count++] = static_cast<uint16_t>((channel & 0x0F) << 7 | (note & 0x7F));
    return true;
}

bool OwedNoteOffs::Push(const VstMidiEvent& noteOff)
{
    return Push(noteOff.midiData[0] & 0x0F, noteOff.midiData[1]);
}

VstMidiEvent OwedNoteOffs::NoteOff(int32_t i) const
{
    return MakeNoteOff(notes[i] >> 7, notes[i] & 0x7F);
}

void OwedNoteOffs::Drop(int32_t taken)
{
    if (taken >= count) {
        count = 0;
        return;
    }
    std::memmove(notes, notes + taken, sizeof notes[0] * static_cast<std::size_t>(count - taken));
    count -= taken;
}
