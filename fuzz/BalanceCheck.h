// The MIDI one node handed its host, reduced to whether it is balanced:
// every note-on (velocity above 0) followed by a note-off of the same
// channel and key, or by all-notes-off or all-sound-off on that channel.
// Shared by the balance test (tests/stress) and its fuzz target.
#pragma once

#include "host/HostConfig.h"
#include "plugin/VstRecords.h"

#include <cstdint>
#include <mutex>
#include <string>

namespace balance {

class BalanceCheck {
public:
    // Options for an instance whose handouts come here (and are not
    // recorded). The check must outlive the instance.
    tarvenna::host::InstanceOptions Options();

    void Take(const VstEvents* events);
    // Forgets everything taken so far.
    void Reset();

    // "" when balanced; otherwise the notes still sounding, as
    // "channel/key" pairs (channels from 0), and any record that was not
    // MIDI.
    std::string Unbalanced();
    uint64_t Events();

private:
    void TakeMidi(const VstMidiEvent& midi);

    std::mutex mutex;  // guards everything below
    bool sounding[16][128] = {};
    uint64_t events = 0;
    uint64_t malformed = 0;
};

}  // namespace balance
