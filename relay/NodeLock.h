// A node's own lock (releaseLock): a spin lock that the audio thread can
// also try without waiting. Host and GUI threads hold it for a few stores
// (a setting) or a release's copies; if the system preempts such a holder,
// an audio thread that waited for it would miss its deadline. The audio
// thread therefore tries for a moment and, when the lock is still held,
// leaves its MIDI work to the next block.
//
// A node's inbox has one too, which every thread waits for (Lock): it is
// held only for the copies of one batch, and taking it costs one locked
// exchange, giving it back a plain store.
#pragma once

#include <atomic>
#include <cstdint>

class NodeLock {
public:
    NodeLock() = default;
    NodeLock(const NodeLock&) = delete;
    NodeLock& operator=(const NodeLock&) = delete;

    // Waits as long as it takes: a few pauses, then yielding the processor.
    void Lock();
    // Tries `attempts` times, a pause apart; false when the lock stayed
    // held.
    bool TryLock(int32_t attempts);
    // Harmless when the lock is not held.
    void Unlock() { held.store(0, std::memory_order_release); }
    bool IsLocked() const { return held.load(std::memory_order_relaxed) != 0; }

private:
    bool TakeOnce()
    {
        return held.load(std::memory_order_relaxed) == 0 &&
               held.exchange(1, std::memory_order_acquire) == 0;
    }

    std::atomic<uint8_t> held{0};
};
