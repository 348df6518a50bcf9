// What the bridge carries between the plug-in's audio threads and JACK's
// process thread: a MIDI message of one to three bytes and the time it is
// due, in microseconds of the bridge's own clock. Both sides read the
// clock themselves, so neither needs the other's sample position.
#pragma once

#include <cstdint>

struct BridgeEvent {
    uint32_t due;
    uint8_t bytes[3];
    // 1 to 3, or kReleaseSize for a port release's marker.
    uint8_t size;
};

// Where a port release ends everything a receiver holds (relay/MidiMessages.h);
// the JACK side ends every note it let out on that port there.
constexpr uint8_t kReleaseSize = 0xFF;

// CLOCK_MONOTONIC in microseconds, cut to 32 bits: the bridge only ever
// compares times a few seconds apart, through MicrosBetween.
uint32_t BridgeMicros();
inline int32_t MicrosBetween(uint32_t from, uint32_t to) { return static_cast<int32_t>(to - from); }

// The length of a channel or system message by its status byte; 0 for a
// byte that does not start a message the bridge carries (system exclusive,
// data bytes).
uint8_t MidiMessageSize(uint8_t status);

inline bool IsNoteOnEvent(const BridgeEvent& event)
{
    return event.size == 3 && (event.bytes[0] & 0xF0) == 0x90 && event.bytes[2] != 0;
}
inline bool IsNoteOffEvent(const BridgeEvent& event)
{
    const uint8_t kind = event.bytes[0] & 0xF0;
    return event.size == 3 && (kind == 0x80 || (kind == 0x90 && event.bytes[2] == 0));
}
