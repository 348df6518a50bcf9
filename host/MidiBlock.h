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
VstMidiEvent makeMidiEvent(const MidiMessage& message);

class MidiBlock {
public:
    explicit MidiBlock(std::size_t capacity = 256);

    MidiBlock(const MidiBlock&) = delete;
    MidiBlock& operator=(const MidiBlock&) = delete;

    // Replaces the contents; grows the storage when the list does not fit.
    void assign(const std::vector<MidiMessage>& messages);
    void clear();
    // Appends a copy; false when the block is full.
    bool add(const MidiMessage& message);
    bool add(const VstMidiEvent& event);

    std::size_t size() const { return count_; }
    std::size_t capacity() const { return records_.size(); }
    const VstMidiEvent& operator[](std::size_t i) const { return records_[i]; }

    // The block in the layout the plug-in reads; valid until the next change.
    VstEvents* events() { return header_.get(); }

private:
    struct FreeDeleter {
        void operator()(VstEvents* block) const;
    };

    void reserve(std::size_t capacity);
    VstEvent** pointerSlots();

    std::vector<VstMidiEvent> records_;
    std::unique_ptr<VstEvents, FreeDeleter> header_;
    std::size_t count_ = 0;
};

}  // namespace tarvenna::host
