#include "bridge/BridgeEvent.h"

#include <ctime>

uint32_t BridgeMicros()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t micros =
        static_cast<uint64_t>(now.tv_sec) * 1000000u + static_cast<uint64_t>(now.tv_nsec) / 1000u;
    return static_cast<uint32_t>(micros);
}

uint8_t MidiMessageSize(uint8_t status)
{
    if (status < 0x80 || status == 0xF0 || status == 0xF7)
        return 0;
    if (status < 0xF0) {
        const uint8_t kind = status & 0xF0;
        return kind == 0xC0 || kind == 0xD0 ? 2 : 3;
    }
    if (status == 0xF1 || status == 0xF3)
        return 2;
    if (status == 0xF2)
        return 3;
    // Tune request and the real-time messages; 0xF4 and 0xF5 are undefined.
    return status == 0xF4 || status == 0xF5 ? 0 : 1;
}
