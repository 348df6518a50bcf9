#include "host/testing/MidiOutputCheck.h"

#include <cstddef>
#include <cstring>

#include "plugin/VstOpcodes.h"

namespace tarvenna::host {

namespace {

std::atomic<std::uint64_t> allEvents{0};

}  // namespace

std::uint64_t MidiOutputCheck::AllEvents() { return allEvents.load(); }

InstanceOptions MidiOutputCheck::Options()
{
    InstanceOptions options;
    options.record = false;
    options.hook = [this](const RequestRecord& request) -> std::optional<VstIntPtr> {
        if (request.opcode == audioMasterProcessEvents)
            Take(static_cast<const VstEvents*>(request.ptr));
        return std::nullopt;
    };
    return options;
}

void MidiOutputCheck::Reset()
{
    std::lock_guard<std::mutex> guard(mutex);
    std::memset(sounding, 0, sizeof sounding);
    std::memset(lastSequence, 0, sizeof lastSequence);
    torn = outOfOrder = sequenced = events = malformed = oddSizes = 0;
}

void MidiOutputCheck::Take(const VstEvents* block)
{
    if (block == nullptr)
        return;
    if (block->numEvents > 0)
        allEvents += static_cast<std::uint64_t>(block->numEvents);
    // The array holds numEvents pointers although it is declared with two.
    const auto* base = reinterpret_cast<const unsigned char*>(block);
    VstEvent* const* pointers =
        reinterpret_cast<VstEvent* const*>(base + offsetof(VstEvents, events));
    std::lock_guard<std::mutex> guard(mutex);
    for (VstInt32 i = 0; i < block->numEvents; ++i) {
        const VstEvent* event = pointers[i];
        ++events;
        if (event == nullptr || event->type != kVstMidiType) {
            ++malformed;
            continue;
        }
        if (event->byteSize != kVstMidiEventByteSize)
            ++oddSizes;
        TakeMidi(*reinterpret_cast<const VstMidiEvent*>(event));
    }
}

void MidiOutputCheck::TakeMidi(const VstMidiEvent& midi)
{
    const int kind = midi.midiData[0] & 0xF0;
    const int channel = midi.midiData[0] & 0x0F;
    const int note = midi.midiData[1] & 0x7F;
    const int velocity = midi.midiData[2] & 0x7F;
    if (checkSequences && kind == 0xB0) {
        ++sequenced;
        // Numbers start at 0; the stored value is one past the last seen.
        const std::int64_t sequence = midi.deltaFrames;
        if ((sequence & 0x3FFF) != (note | velocity << 7))
            ++torn;
        if (sequence + 1 <= lastSequence[channel])
            ++outOfOrder;
        lastSequence[channel] = sequence + 1;
    }
    if (kind == 0x90 && velocity > 0)
        sounding[channel][note] = true;
    else if (kind == 0x80 || kind == 0x90)
        sounding[channel][note] = false;
}

std::vector<Note> MidiOutputCheck::Sounding()
{
    std::lock_guard<std::mutex> guard(mutex);
    std::vector<Note> notes;
    for (int channel = 0; channel < 16; ++channel)
        for (int note = 0; note < 128; ++note)
            if (sounding[channel][note])
                notes.push_back({channel, note});
    return notes;
}

}  // namespace tarvenna::host
