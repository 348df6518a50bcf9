// What one instance hands its host, reduced to what can be checked over a
// long run without keeping it: the notes it leaves sounding (a hung note),
// records that are not MIDI, and optionally the order of numbered events.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "host/HostConfig.h"
#include "plugin/VstRecords.h"

namespace tarvenna::host {

struct Note {
    int channel;
    int note;
};

// A note sounds from its note-on until a note-off (or a note-on with
// velocity 0) for the same channel and note.
class MidiOutputCheck {
public:
    // With sequences checked, controller events carry a sender (the
    // channel) and a running number (delta frames, its low 14 bits also in
    // the two data bytes); each sender's numbers must rise and match.
    explicit MidiOutputCheck(bool checkSequences = false) : checkSequences(checkSequences) {}

    // Options for an instance whose handouts come here (and are not
    // recorded). The check must outlive the instance.
    InstanceOptions Options();

    void Take(const VstEvents* events);
    // Forgets everything taken so far.
    void Reset();

    std::vector<Note> Sounding();
    std::uint64_t Events() const { return events.load(); }
    // Every event handed over must be a MIDI record.
    std::uint64_t Malformed() const { return malformed.load(); }
    // MIDI records whose byte size is not 24: a relay passes host events on
    // unchanged, so only a host that sent such a record may see one.
    std::uint64_t OddSizes() const { return oddSizes.load(); }
    std::uint64_t Torn() const { return torn.load(); }
    std::uint64_t OutOfOrder() const { return outOfOrder.load(); }
    std::uint64_t Sequenced() const { return sequenced.load(); }

    // Events every check of the process has taken so far.
    static std::uint64_t AllEvents();

private:
    void TakeMidi(const VstMidiEvent& midi);

    const bool checkSequences;
    std::mutex mutex;  // guards sounding and lastSequence
    bool sounding[16][128] = {};
    std::int64_t lastSequence[16] = {};
    std::atomic<std::uint64_t> torn{0};
    std::atomic<std::uint64_t> outOfOrder{0};
    std::atomic<std::uint64_t> sequenced{0};
    std::atomic<std::uint64_t> events{0};
    std::atomic<std::uint64_t> malformed{0};
    std::atomic<std::uint64_t> oddSizes{0};
};

}  // namespace tarvenna::host
