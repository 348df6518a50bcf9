#include "host/MidiText.h"

#include <cstdio>

namespace tarvenna::host {

namespace {

std::string printf2(const char* format, int a, int b = 0)
{
    char text[64];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

std::string channelMessage(const char* kind, int channel, const std::string& detail)
{
    return std::string(kind) + " ch " + std::to_string(channel + 1) + " " + detail;
}

}  // namespace

std::string describeMidi(const VstMidiEvent& event)
{
    const int status = event.midiData[0];
    const int channel = status & 0x0f;
    const int a = event.midiData[1];
    const int b = event.midiData[2];
    switch (status & 0xf0) {
    case 0x80:
        return channelMessage("note-off", channel, printf2("key %d vel %d", a, b));
    case 0x90:
        if (b == 0)
            return channelMessage("note-off", channel, printf2("key %d (note-on, vel 0)", a));
        return channelMessage("note-on", channel, printf2("key %d vel %d", a, b));
    case 0xa0:
        return channelMessage("aftertouch", channel, printf2("key %d = %d", a, b));
    case 0xb0:
        return channelMessage("controller", channel, printf2("#%d = %d", a, b));
    case 0xc0:
        return channelMessage("program", channel, std::to_string(a));
    case 0xd0:
        return channelMessage("pressure", channel, std::to_string(a));
    case 0xe0:
        return channelMessage("pitch bend", channel, std::to_string((b << 7) | a));
    default: {
        char text[48];
        std::snprintf(text, sizeof text, "system 0x%02x %d %d", status, a, b);
        return text;
    }
    }
}

}  // namespace tarvenna::host
