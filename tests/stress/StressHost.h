// A host that runs many relay nodes the way parallel Linux hosts do: a pool
// of audio threads runs the nodes' blocks while other threads change their
// settings, load and save chunks, switch them off and on, and create and
// close instances. Every instance is made through the module's entry point.
//
// What each instance hands its host is reduced to the notes it leaves
// sounding, which is what a hung note is.
#pragma once

#include "plugin/VstRecords.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

namespace stress {

// How long each stress test runs: TARVENNA_STRESS_SECONDS scales every
// test's default (1.0 keeps them; 60 runs each for a minute or more).
double StressSeconds(double defaultSeconds);

// A small, fast generator; every thread has its own.
class Random {
public:
    explicit Random(uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint32_t Next();
    // 0 to n - 1.
    uint32_t Below(uint32_t n) { return n == 0 ? 0 : Next() % n; }
    bool OneIn(uint32_t n) { return Below(n) == 0; }
    float Unit() { return static_cast<float>(Next() >> 8) / static_cast<float>(1u << 24); }

private:
    uint64_t state;
};

struct Note {
    int channel;
    int note;
};

// The MIDI one instance handed its host. A note sounds from its note-on
// until a note-off (or a note-on with velocity 0) for the same channel and
// note.
class OutputStream {
public:
    // With sequences checked, controller events carry a sender (the
    // channel) and a running number (delta frames, its low 14 bits also in
    // the two data bytes); each sender's numbers must rise and match.
    explicit OutputStream(bool checkSequences = false) : checkSequences(checkSequences) {}
    void Take(const VstEvents* events);
    std::vector<Note> Sounding();
    uint64_t Events() const { return events.load(); }
    // Every event handed over must be a MIDI record.
    uint64_t Malformed() const { return malformed.load(); }
    // MIDI records whose byte size is not 24: the relay passes host events
    // on unchanged, so only a host that sent such a record may see one.
    uint64_t OddSizes() const { return oddSizes.load(); }

    uint64_t Torn() const { return torn.load(); }
    uint64_t OutOfOrder() const { return outOfOrder.load(); }
    uint64_t Sequenced() const { return sequenced.load(); }

private:
    const bool checkSequences;
    std::mutex mutex;
    bool sounding[16][128] = {};
    int64_t lastSequence[16] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    std::atomic<uint64_t> torn{0};
    std::atomic<uint64_t> outOfOrder{0};
    std::atomic<uint64_t> sequenced{0};
    std::atomic<uint64_t> events{0};
    std::atomic<uint64_t> malformed{0};
    std::atomic<uint64_t> oddSizes{0};
};

// Events every instance of the process has handed its host so far.
uint64_t EventsHandedToHosts();

// The host callback of every stress instance: finds the stream through the
// record's user field (set by the host right after creation).
VstIntPtr StressCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                         void* ptr, float opt);

AEffect* CreateNode(OutputStream* stream);
void CloseNode(AEffect* effect);
VstIntPtr Dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                   void* ptr = nullptr, float opt = 0.0f);

// A block of host MIDI with its own storage, as hosts keep one per track.
class HostBlock {
public:
    static constexpr int kCapacity = 320;
    void Clear() { count = 0; }
    void Add(const VstMidiEvent& event, bool asNull = false);
    VstEvents* Events();
    int Size() const { return count; }

private:
    int count = 0;
    VstMidiEvent store[kCapacity];
    VstEventBlock<kCapacity> block{};
};

VstMidiEvent MakeEvent(int status, int data1, int data2, int deltaFrames = 0);

// Runs one block of an instance: its MIDI first (when there is any), then
// a replacing process call over a few frames of silence.
void RunBlock(AEffect* effect, HostBlock* midi);

// Checks the process-wide tables under the registry lock and returns what
// is wrong with them, or "" when they are consistent.
std::string AuditTables();
// Registered instances and receivers of all ports, for the final check.
int RegisteredNodes();
int ListedReceivers();

}  // namespace stress
