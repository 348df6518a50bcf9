#include "host/Recording.h"

namespace tarvenna::host {

void Recording::Reserve()
{
    requests.reserve(4096);
    automation.reserve(1024);
    beginEdits.reserve(256);
    endEdits.reserve(256);
    wantMidi.reserve(64);
    sizeWindow.reserve(64);
    handouts.reserve(1024);
    midiOut.reserve(8192);
}

void Recording::Clear()
{
    requests.clear();
    automation.clear();
    beginEdits.clear();
    endEdits.clear();
    wantMidi.clear();
    sizeWindow.clear();
    handouts.clear();
    midiOut.clear();
}

std::size_t Recording::Count(VstInt32 opcode) const
{
    std::size_t n = 0;
    for (const RequestRecord& request : requests)
        n += request.opcode == opcode;
    return n;
}

const RequestRecord* Recording::Last(VstInt32 opcode) const
{
    for (auto it = requests.rbegin(); it != requests.rend(); ++it)
        if (it->opcode == opcode)
            return &*it;
    return nullptr;
}

std::vector<VstMidiEvent> Recording::EventsOfHandout(std::size_t handout) const
{
    const MidiHandout& h = handouts.at(handout);
    return {midiOut.begin() + static_cast<std::ptrdiff_t>(h.first),
            midiOut.begin() + static_cast<std::ptrdiff_t>(h.first + h.count)};
}

std::vector<VstMidiEvent> Recording::EventsOfBlock(std::uint64_t block) const
{
    std::vector<VstMidiEvent> events;
    for (std::size_t i = 0; i < handouts.size(); ++i) {
        if (handouts[i].block != block)
            continue;
        const std::vector<VstMidiEvent> part = EventsOfHandout(i);
        events.insert(events.end(), part.begin(), part.end());
    }
    return events;
}

}  // namespace tarvenna::host
