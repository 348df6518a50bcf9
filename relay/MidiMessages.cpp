#include "relay/MidiMessages.h"

namespace {

constexpr unsigned char kControlChange = 0xB0;
constexpr unsigned char kPitchBend = 0xE0;
constexpr unsigned char kAllSoundOff = 120;
constexpr unsigned char kBendCentreHigh = 0x40;

VstMidiEvent MakeMessage(unsigned char status, unsigned char first, unsigned char second)
{
    VstMidiEvent event = BlankMidiEvent();
    event.midiData[0] = status;
    event.midiData[1] = first;
    event.midiData[2] = second;
    return event;
}

}  // namespace

VstMidiEvent BlankMidiEvent()
{
    VstMidiEvent event;
    std::memset(&event, 0, sizeof event);
    event.type = kVstMidiType;
    event.byteSize = kVstMidiEventByteSize;
    return event;
}

bool AnyNoteOff(const VstMidiEvent* events, int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
        if (IsNoteOff(events[i]))
            return true;
    return false;
}

VstMidiEvent MakeNoteOff(int32_t channel, int32_t note)
{
    const unsigned char channelBits = channel == -1 ? 0 : static_cast<unsigned char>(channel);
    const unsigned char noteByte = note == -1 ? 0 : static_cast<unsigned char>(note);
    return MakeMessage(static_cast<unsigned char>(kNoteOff + channelBits), noteByte, 0);
}

bool IsNoteOff(const VstMidiEvent& event)
{
    const unsigned char kind = event.midiData[0] & 0xF0;
    return kind == kNoteOff || (kind == kNoteOn && (event.midiData[2] & 0x7F) == 0);
}

VstMidiEvent MakeReleaseMarker()
{
    VstMidiEvent marker = BlankMidiEvent();
    marker.type = kReleaseMarkerType;
    return marker;
}

void FillPanicBurst(VstMidiEvent (&burst)[kPanicBurstSize])
{
    for (int channel = 0; channel < 16; ++channel) {
        burst[2 * channel] =
            MakeMessage(static_cast<unsigned char>(kControlChange + channel), kAllSoundOff, 0);
        burst[2 * channel + 1] =
            MakeMessage(static_cast<unsigned char>(kPitchBend + channel), 0x00, kBendCentreHigh);
    }
}
