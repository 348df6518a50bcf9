#include "relay/SettingsSnapshot.h"

#include <sched.h>

#include <cstring>

namespace {

// A reader that finds a write under way waits for it with a few pauses,
// then yields: the writer stores a few words, unless it was preempted.
void WaitForWriter(int32_t& spins)
{
    constexpr int32_t kSpinsBeforeYield = 64;
    if (spins++ < kSpinsBeforeYield)
        __builtin_ia32_pause();
    else
        sched_yield();
}

}  // namespace

SettingsSnapshot::SettingsSnapshot()
{
    for (std::atomic<uint32_t>& word : words)
        word.store(0, std::memory_order_relaxed);
    Publish(VSTPluginProgramBank(), 0);
}

void SettingsSnapshot::Publish(const VSTPluginProgramBank& bank, uint8_t panic)
{
    uint32_t copy[kWords] = {};
    std::memcpy(copy, &bank, sizeof bank);
    reinterpret_cast<unsigned char*>(copy)[sizeof bank] = panic;
    // Each word is stored with release: a reader that sees one new word sees
    // the odd sequence stored before it, and drops its copy.
    const uint32_t start = sequence.load(std::memory_order_relaxed) + 1;
    sequence.store(start, std::memory_order_relaxed);
    for (int32_t i = 0; i < kWords; ++i)
        words[i].store(copy[i], std::memory_order_release);
    sequence.store(start + 1, std::memory_order_release);
}

NodeSettings SettingsSnapshot::Read() const
{
    uint32_t copy[kWords];
    int32_t spins = 0;
    for (;;) {
        const uint32_t before = sequence.load(std::memory_order_acquire);
        if ((before & 1) != 0) {
            WaitForWriter(spins);
            continue;
        }
        // Acquire loads: the second look at the sequence comes after them.
        for (int32_t i = 0; i < kWords; ++i)
            copy[i] = words[i].load(std::memory_order_acquire);
        if (sequence.load(std::memory_order_relaxed) == before)
            break;
    }
    NodeSettings settings;
    std::memcpy(&settings.bank, copy, sizeof settings.bank);
    settings.panic = reinterpret_cast<const unsigned char*>(copy)[sizeof settings.bank];
    return settings;
}
