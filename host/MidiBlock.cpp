#include "host/MidiBlock.h"

#include <cstddef>
#include <cstdlib>
#include <new>

namespace tarvenna::host {

VstMidiEvent MakeMidiEvent(const MidiMessage& message)
{
    VstMidiEvent event{};
    event.type = kVstMidiType;
    event.byteSize = kVstMidiEventByteSize;
    event.deltaFrames = message.deltaFrames;
    event.midiData[0] = message.status;
    event.midiData[1] = message.data1;
    event.midiData[2] = message.data2;
    return event;
}

VstMidiEvent MakeMidiEvent(int status, int data1, int data2, VstInt32 deltaFrames)
{
    return MakeMidiEvent({deltaFrames, static_cast<std::uint8_t>(status),
                          static_cast<std::uint8_t>(data1), static_cast<std::uint8_t>(data2)});
}

VstEvent** MidiBlock::PointerSlots()
{
    // Addressed from the block's start: the declared array has two entries
    // and indexing it past them would be out of bounds as far as C++ knows.
    auto* base = reinterpret_cast<unsigned char*>(header.get());
    return reinterpret_cast<VstEvent**>(base + offsetof(VstEvents, events));
}

void MidiBlock::FreeDeleter::operator()(VstEvents* block) const { std::free(block); }

MidiBlock::MidiBlock(std::size_t capacity) { Reserve(capacity); }

void MidiBlock::Reserve(std::size_t capacity)
{
    if (capacity == 0)
        capacity = 1;
    // The pointer array really has `capacity` entries, past the two that
    // the VstEvents declaration shows.
    const std::size_t bytes = offsetof(VstEvents, events) + capacity * sizeof(VstEvent*);
    auto* block = static_cast<VstEvents*>(std::calloc(1, bytes));
    if (!block)
        throw std::bad_alloc();
    header.reset(block);
    records.assign(capacity, VstMidiEvent{});
    count = 0;
}

void MidiBlock::Assign(const std::vector<MidiMessage>& messages)
{
    if (messages.size() > Capacity())
        Reserve(messages.size());
    Clear();
    for (const MidiMessage& message : messages)
        Add(message);
}

void MidiBlock::Clear()
{
    count = 0;
    header->numEvents = 0;
    header->reserved = 0;
}

bool MidiBlock::Add(const MidiMessage& message) { return Add(MakeMidiEvent(message)); }

bool MidiBlock::Add(const VstMidiEvent& event, bool nullPointer)
{
    if (count == Capacity())
        return false;
    records[count] = event;
    PointerSlots()[count] = nullPointer ? nullptr : reinterpret_cast<VstEvent*>(&records[count]);
    ++count;
    header->numEvents = static_cast<VstInt32>(count);
    return true;
}

}  // namespace tarvenna::host
