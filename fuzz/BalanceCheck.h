// The MIDI one node handed its host, reduced to whether it is balanced:
// every note-on (velocity above 0) followed by a note-off of the same
// channel and key, or by all-notes-off or all-sound-off on that channel;
// and whether every block came in non-decreasing offsets, as hosts expect.
// In a balance session (BalanceSession.h) also whether each note-off came
// after its note-on, and each note the relay ended itself was released.
// Shared by the balance test (tests/stress) and its fuzz target.
#pragma once

#include "fuzz/BalanceSession.h"
#include "host/HostConfig.h"
#include "plugin/VstRecords.h"

#include <cstdint>
#include <mutex>
#include <set>
#include <string>

namespace balance {

class BalanceCheck {
public:
    // Options for an instance whose handouts come here (and are not
    // recorded). The check must outlive the instance.
    tarvenna::host::InstanceOptions Options();

    // The session the node plays in, as its node `node`.
    void Join(const SessionLog* log, int node);

    void Take(const VstEvents* events);
    // Forgets everything taken so far.
    void Reset();

    // "" when balanced and in order; otherwise the notes still sounding, as
    // "channel/key" pairs (channels from 0), the records that were not MIDI
    // and the blocks that were out of order.
    std::string Unbalanced();
    // "" when every note-off came after its note-on and every note the
    // relay ended itself was released; otherwise the first faults.
    std::string Faults();
    uint64_t Events();

private:
    void TakeMidi(const VstMidiEvent& midi);
    void NoteStarts(int channel, int key, int32_t tag);
    void NoteEnds(int channel, int key, int32_t tag);
    void Fault(const std::string& text);

    std::mutex mutex;  // guards everything below
    const SessionLog* session = nullptr;
    int node = -1;
    bool sounding[16][128] = {};
    // Started and not ended by a note-off (all-sound-off leaves them), and
    // since when a release may have ended them.
    bool open[16][128] = {};
    uint64_t openSince[16][128] = {};
    // Tags of the note-ons handed out, and of those whose note-off came
    // first.
    std::set<int32_t> started;
    std::set<int32_t> endedFirst;
    uint64_t events = 0;
    uint64_t malformed = 0;
    uint64_t disordered = 0;
    std::string faults;
    int faultCount = 0;
};

}  // namespace balance
