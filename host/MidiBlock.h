// A VstEvents block of MIDI events as a host hands it to effProcessEvents.
// The block owns the event records and the pointer array; refilling it
// within its capacity allocates nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "plugin/VstRecords.h"

namespace tarvenna::host {

struct MidiMessage {
    VstInt32 deltaFrames = 0;
    std::uint8_t status = 0;
    std::uint8_t data1 = 0;
    std::uint8_t data2 = 0;
};

// A zeroed MIDI event record (type 1, byte size 24) carrying the message.
VstMidiEvent MakeMidiEvent(const MidiMessage& message);
// The same from loose values, which are cut to their low bytes as a host
// with faulty MIDI would send them.
VstMidiEvent MakeMidiEvent(int status, int data1, int data2, VstInt32 deltaFrames = 0);

class MidiBlock {
public:
    explicit MidiBlock(std::size_t capacity = 256);

    MidiBlock(const MidiBlock&) = delete;
    MidiBlock& operator=(const MidiBlock&) = delete;

    // Replaces the contents; grows the storage when the list does not fit.
    void Assign(const std::vector<MidiMessage>& messages);
    void Clear();
    // Appends a copy; false when the block is full. With `nullPointer` the
    // slot's pointer stays null, as a faulty host might leave it.
    bool Add(const MidiMessage& message);
    bool Add(const VstMidiEvent& event, bool nullPointer = false);

    std::size_t Size() const { return count; }
    std::size_t Capacity() const { return records.size(); }
    const VstMidiEvent& operator[](std::size_t i) const { return records[i]; }

    // The block in the layout the plug-in reads; valid until the next change.
    VstEvents* Events() { return header.get(); }

private:
    struct FreeDeleter {
        void operator()(VstEvents* block) const;
    };

    void Reserve(std::size_t capacity);
    VstEvent** PointerSlots();

    std::vector<VstMidiEvent> records;
    std::unique_ptr<VstEvents, FreeDeleter> header;
    std::size_t count = 0;
};

}  // namespace tarvenna::host
