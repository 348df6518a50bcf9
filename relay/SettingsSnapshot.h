// What the host and the panel read of a node's settings: the program bank
// and the Panic state, published by each change and read without the
// node's lock. Host and GUI threads ask for parameters, names and chunks
// all the time; under the node's lock each of those reads could keep the
// audio thread spinning behind a reader that the system had preempted.
//
// A sequence lock: a writer makes the sequence odd, stores the words and
// makes it even again; a reader copies the words and keeps the copy only
// when the sequence was even and unchanged around it. Writers take turns
// under the node's lock, so there is one at a time; readers never hold up a
// writer.
#pragma once

#include "relay/VSTPluginProgram.h"

#include <atomic>
#include <cstdint>

struct NodeSettings {
    VSTPluginProgramBank bank;
    uint8_t panic = 0;
};

class SettingsSnapshot {
public:
    SettingsSnapshot();
    SettingsSnapshot(const SettingsSnapshot&) = delete;
    SettingsSnapshot& operator=(const SettingsSnapshot&) = delete;

    // One writer at a time.
    void Publish(const VSTPluginProgramBank& bank, uint8_t panic);
    // A consistent copy of what was published last.
    NodeSettings Read() const;

private:
    static constexpr int32_t kWords = 16;
    static_assert(sizeof(VSTPluginProgramBank) + 1 <= kWords * sizeof(uint32_t),
                  "the settings fit the snapshot");

    std::atomic<uint32_t> sequence{0};
    std::atomic<uint32_t> words[kWords];
};
