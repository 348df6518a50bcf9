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

void BalanceCheck::Join(const SessionLog* log, int id)
{
    std::lock_guard<std::mutex> guard(mutex);
    session = log;
    node = id;
}

void BalanceCheck::Reset()
{
    std::lock_guard<std::mutex> guard(mutex);
    std::memset(sounding, 0, sizeof sounding);
    std::memset(open, 0, sizeof open);
    started.clear();
    endedFirst.clear();
    events = 0;
    malformed = 0;
    disordered = 0;
    faults.clear();
    faultCount = 0;
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
    bool inOrder = true;
    for (VstInt32 i = 0; i < block->numEvents; ++i) {
        ++events;
        const VstEvent* event = pointers[i];
        if (event == nullptr || event->type != kVstMidiType) {
            ++malformed;
            continue;
        }
        if (event->deltaFrames < 0 || (i > 0 && event->deltaFrames < pointers[i - 1]->deltaFrames))
            inOrder = false;
        TakeMidi(*reinterpret_cast<const VstMidiEvent*>(event));
    }
    if (!inOrder)
        ++disordered;
}

// Data bytes are read as a synthesizer reads them: their top bit is not
// part of the value.
void BalanceCheck::TakeMidi(const VstMidiEvent& midi)
{
    const int kind = midi.midiData[0] & 0xF0;
    const int channel = midi.midiData[0] & 0x0F;
    const int data1 = midi.midiData[1] & 0x7F;
    const int data2 = midi.midiData[2] & 0x7F;
    if (kind == 0x90 && data2 > 0) {
        sounding[channel][data1] = true;
        NoteStarts(channel, data1, midi.noteOffset);
    } else if (kind == 0x80 || kind == 0x90) {
        sounding[channel][data1] = false;
        NoteEnds(channel, data1, midi.noteOffset);
    } else if (kind == 0xB0 && (data1 == kAllSoundOff || data1 == kAllNotesOff)) {
        std::memset(sounding[channel], 0, sizeof sounding[channel]);
    }
}

// A note the node's own host fed it belongs to the block that began when
// the node last ran: a release since then may be placed before it. A note
// from elsewhere came after every release made before it was fed.
void BalanceCheck::NoteStarts(int channel, int key, int32_t tag)
{
    SessionLog::Fed fed;
    if (session == nullptr || !session->Find(tag, fed))
        return;
    if (endedFirst.count(tag) != 0)
        Fault("its note-off came before the note-on of " + std::to_string(channel) + "/" +
              std::to_string(key) + " fed at " + std::to_string(fed.time));
    started.insert(tag);
    const uint64_t since = fed.node == node ? fed.nodeRanBefore : fed.time;
    if (!open[channel][key] || since < openSince[channel][key])
        openSince[channel][key] = since;
    open[channel][key] = true;
}

// A note-off fed by a host ends the note wherever it sounds (a receiver
// keeps one note per key, whichever sender started it); one the relay made
// must follow a release.
void BalanceCheck::NoteEnds(int channel, int key, int32_t tag)
{
    if (session == nullptr)
        return;
    SessionLog::Fed fed;
    if (session->Find(tag, fed)) {
        if (fed.endsTag != 0 && started.count(fed.endsTag) == 0)
            endedFirst.insert(fed.endsTag);
    } else if (open[channel][key] && !session->ReleasedSince(openSince[channel][key])) {
        Fault("the relay ended " + std::to_string(channel) + "/" + std::to_string(key) +
              ", playing since " + std::to_string(openSince[channel][key]) +
              ", with no release since");
    }
    open[channel][key] = false;
}

void BalanceCheck::Fault(const std::string& text)
{
    if (++faultCount <= 3)
        faults += " " + text + ";";
}

std::string BalanceCheck::Unbalanced()
{
    std::lock_guard<std::mutex> guard(mutex);
    std::string text;
    for (int channel = 0; channel < 16; ++channel)
        for (int key = 0; key < 128; ++key)
            if (sounding[channel][key])
                text += " " + std::to_string(channel) + "/" + std::to_string(key);
    if (!text.empty())
        text = " left sounding:" + text + ";";
    if (malformed > 0)
        text += " " + std::to_string(malformed) + " records that are not MIDI;";
    if (disordered > 0)
        text += " " + std::to_string(disordered) + " blocks out of order;";
    return text;
}

std::string BalanceCheck::Faults()
{
    std::lock_guard<std::mutex> guard(mutex);
    if (faultCount <= 3)
        return faults;
    return faults + " and " + std::to_string(faultCount - 3) + " more";
}

uint64_t BalanceCheck::Events()
{
    std::lock_guard<std::mutex> guard(mutex);
    return events;
}

}  // namespace balance
