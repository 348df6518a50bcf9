// The floors the relay's figures are set against: what the same work costs
// with nothing but the copies it cannot avoid.
#pragma once

#include "plugin/VstRecords.h"

#include <cstdint>
#include <cstring>

namespace bench {

// 32-byte records through a 256-slot ring and out again: the least a relay
// that queues events between nodes can do per event it moves.
class RingFloor {
public:
    static constexpr int32_t kSlots = 256;

    bool Push(const VstMidiEvent& event)
    {
        if (count == kSlots)
            return false;
        std::memcpy(&slots[write], &event, sizeof event);
        write = (write + 1) % kSlots;
        ++count;
        return true;
    }
    bool Pop(VstMidiEvent& event)
    {
        if (count == 0)
            return false;
        std::memcpy(&event, &slots[read], sizeof event);
        read = (read + 1) % kSlots;
        --count;
        return true;
    }

private:
    VstMidiEvent slots[kSlots];
    int32_t write = 0;
    int32_t read = 0;
    int32_t count = 0;
};

// A plain copy of a block's stereo audio, as a pass-through with nothing
// else to do would make it.
inline void CopyStereo(float* const* inputs, float* const* outputs, int frames)
{
    for (int channel = 0; channel < 2; ++channel)
        std::memcpy(outputs[channel], inputs[channel], sizeof(float) * frames);
}

}  // namespace bench
