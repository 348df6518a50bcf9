#include "host/MidiBlock.h"

#include <cstddef>
#include <cstdlib>
#include <new>

namespace tarvenna::host {

VstMidiEvent makeMidiEvent(const MidiMessage& message)
{
    VstMidiEvent event{};
    event.type = kVstMidiType;
    event.byteSize = static_cast<VstInt32>(sizeof(VstMidiEvent) - 2 * sizeof(VstInt32));
    event.deltaFrames = message.deltaFrames;
    event.midiData[0] = message.status;
    event.midiData[1] = message.data1;
    event.midiData[2] = message.data2;
    return event;
}

VstEvent** MidiBlock::pointerSlots()
{
    // Addressed from the block's start: the declared array has two entries
    // and indexing it past them would be out of bounds as far as C++ knows.
    auto* base = reinterpret_cast<unsigned char*>(header_.get());
    return reinterpret_cast<VstEvent**>(base + offsetof(VstEvents, events));
}

void MidiBlock::FreeDeleter::operator()(VstEvents* block) const { std::free(block); }

MidiBlock::MidiBlock(std::size_t capacity) { reserve(capacity); }

void MidiBlock::reserve(std::size_t capacity)
{
    if (capacity == 0)
        capacity = 1;
    // The pointer array really has `capacity` entries, past the two that
    // the VstEvents declaration shows.
    const std::size_t bytes = offsetof(VstEvents, events) + capacity * sizeof(VstEvent*);
    auto* block = static_cast<VstEvents*>(std::calloc(1, bytes));
    if (!block)
        throw std::bad_alloc();
    header_.reset(block);
    records_.assign(capacity, VstMidiEvent{});
    count_ = 0;
}

void MidiBlock::assign(const std::vector<MidiMessage>& messages)
{
    if (messages.size() > capacity())
        reserve(messages.size());
    clear();
    for (const MidiMessage& message : messages)
        add(message);
}

void MidiBlock::clear()
{
    count_ = 0;
    header_->numEvents = 0;
    header_->reserved = 0;
}

bool MidiBlock::add(const MidiMessage& message) { return add(makeMidiEvent(message)); }

bool MidiBlock::add(const VstMidiEvent& event)
{
    if (count_ == capacity())
        return false;
    records_[count_] = event;
    pointerSlots()[count_] = reinterpret_cast<VstEvent*>(&records_[count_]);
    ++count_;
    header_->numEvents = static_cast<VstInt32>(count_);
    return true;
}

}  // namespace tarvenna::host
