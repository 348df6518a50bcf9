#include "fuzz/BalanceCheck.h"

#include "plugin/VstOpcodes.h"

#include <cstddef>
#include <cstring>

namespace balance {

namespace {

constexpr int kAllSoundOff = 120;
constexpr int kAllNotesOff = 123;

}  // namespace

tarvenna::host::InstanceOptions BalanceCheck::Options()
{
    tarvenna::host::InstanceOptions options;
    options.record = false;
    options.hook =
        [this](const tarvenna::host::RequestRecord& request) -> std::optional<VstIntPtr> {
        if (request.opcode == audioMasterProcessEvents)
            Take(static_cast<const VstEvents*>(request.ptr));
        return std::nullopt;
    };
    return options;
}

void BalanceCheck::Reset()
{
    std::lock_guard<std::mutex> guard(mutex);
    std::memset(sounding, 0, sizeof sounding);
    events = 0;
    malformed = 0;
}

// The pointer array holds numEvents entries although it is declared with
// two, so it is reached through its offset.
void BalanceCheck::Take(const VstEvents* block)
{
    if (block == nullptr)
        return;
    const auto* base = reinterpret_cast<const unsigned char*>(block);
    VstEvent* const* pointers =
        reinterpret_cast<VstEvent* const*>(base + offsetof(VstEvents, events));
    std::lock_guard<std::mutex> guard(mutex);
    for (VstInt32 i = 0; i < block->numEvents; ++i) {
        ++events;
        const VstEvent* event = pointers[i];
        if (event == nullptr || event->type != kVstMidiType)
            ++malformed;
        else
            TakeMidi(*reinterpret_cast<const VstMidiEvent*>(event));
    }
}

// Data bytes are read as a synthesizer reads them: their top bit is not
// part of the value.
void BalanceCheck::TakeMidi(const VstMidiEvent& midi)
{
    const int kind = midi.midiData[0] & 0xF0;
    const int channel = midi.midiData[0] & 0x0F;
    const int data1 = midi.midiData[1] & 0x7F;
    const int data2 = midi.midiData[2] & 0x7F;
    if (kind == 0x90 && data2 > 0)
        sounding[channel][data1] = true;
    else if (kind == 0x80 || kind == 0x90)
        sounding[channel][data1] = false;
    else if (kind == 0xB0 && (data1 == kAllSoundOff || data1 == kAllNotesOff))
        std::memset(sounding[channel], 0, sizeof sounding[channel]);
}

std::string BalanceCheck::Unbalanced()
{
    std::lock_guard<std::mutex> guard(mutex);
    std::string text;
    for (int channel = 0; channel < 16; ++channel)
        for (int key = 0; key < 128; ++key)
            if (sounding[channel][key])
                text += " " + std::to_string(channel) + "/" + std::to_string(key);
    if (malformed > 0)
        text += " and " + std::to_string(malformed) + " records that are not MIDI";
    return text;
}

uint64_t BalanceCheck::Events()
{
    std::lock_guard<std::mutex> guard(mutex);
    return events;
}

}  // namespace balance
