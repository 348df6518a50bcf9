// The ring between the senders of one port and JACK's process thread.
// Several senders may push at once from different audio threads; only the
// process thread takes events out. Nobody waits: a sender that finds too
// little room gives up, and the process thread leaves an event whose
// sender has not finished writing it for its next cycle.
#pragma once

#include "bridge/BridgeEvent.h"

#include <atomic>
#include <cstdint>

class OutRing {
public:
    static constexpr uint32_t kCapacity = 1024;

    constexpr OutRing() : slots() {}
    OutRing(const OutRing&) = delete;
    OutRing& operator=(const OutRing&) = delete;

    // Any thread. Pushes all `count` events, one after another, or none:
    // none when fewer than `keepFree` slots would be left free after them.
    bool Push(const BridgeEvent* events, uint32_t count, uint32_t keepFree);

    // The process thread only. The oldest event, left in place until Drop.
    bool Peek(BridgeEvent& event) const;
    void Drop();
    // Forgets everything; only while no sender can push.
    void Reset();

private:
    struct Slot {
        // Position + 1 once the event at that position is written.
        std::atomic<uint32_t> ready{0};
        BridgeEvent event{};
    };
    static constexpr uint32_t kMask = kCapacity - 1;
    static_assert((kCapacity & kMask) == 0, "the capacity is a power of two");

    // Positions count events for ever (wrapping): writeClaim is the next
    // one a sender may claim, readPosition the next the process thread
    // takes; a slot is free again once readPosition has passed it.
    std::atomic<uint32_t> writeClaim{0};
    std::atomic<uint32_t> readPosition{0};
    Slot slots[kCapacity];
};
