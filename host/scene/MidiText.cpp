#include "host/scene/MidiText.h"

#include <cstdio>

namespace tarvenna::host {

namespace {

std::string Printf2(const char* format, int a, int b = 0)
{
    char text[64];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

std::string ChannelMessage(const char* kind, int channel, const std::string& detail)
{
    return std::string(kind) + " ch " + std::to_string(channel + 1) + " " + detail;
}

}  // namespace

std::string DescribeMidi(const VstMidiEvent& event)
{
    const int status = event.midiData[0];
    const int channel = status & 0x0f;
    const int a = event.midiData[1];
    const int b = event.midiData[2];
    switch (status & 0xf0) {
    case 0x80:
        return ChannelMessage("note-off", channel, Printf2("key %d vel %d", a, b));
    case 0x90:
        if (b == 0)
            return ChannelMessage("note-off", channel, Printf2("key %d (note-on, vel 0)", a));
        return ChannelMessage("note-on", channel, Printf2("key %d vel %d", a, b));
    case 0xa0:
        return ChannelMessage("aftertouch", channel, Printf2("key %d = %d", a, b));
    case 0xb0:
        return ChannelMessage("controller", channel, Printf2("#%d = %d", a, b));
    case 0xc0:
        return ChannelMessage("program", channel, std::to_string(a));
    case 0xd0:
        return ChannelMessage("pressure", channel, std::to_string(a));
    case 0xe0:
        return ChannelMessage("pitch bend", channel, std::to_string((b << 7) | a));
    default: {
        char text[48];
        std::snprintf(text, sizeof text, "system 0x%02x %d %d", status, a, b);
        return text;
    }
    }
}

}  // namespace tarvenna::host
