// The ring between JACK's process thread and the receivers of one port:
// one writer, any number of readers, each with its own cursor, so that
// every receiver of the port gets everything that arrived. The writer never
// looks at the readers: a reader that falls a whole ring behind finds its
// events overwritten (Lost) and must end what it holds instead.
#pragma once

#include "bridge/BridgeEvent.h"

#include <atomic>
#include <cstdint>

class InRing {
public:
    static constexpr uint32_t kCapacity = 1024;

    constexpr InRing() : slots() {}
    InRing(const InRing&) = delete;
    InRing& operator=(const InRing&) = delete;

    // The one writer (the process thread, or whoever has stopped it).
    void Publish(const BridgeEvent& event);

    // Readers. The position the next event will have.
    uint32_t Head() const { return head.load(std::memory_order_acquire); }
    enum class Read { Got, Empty, Lost };
    Read ReadAt(uint32_t position, BridgeEvent& event) const;

private:
    // Every field is an atomic, so that a reader overtaken in the middle of
    // its copy sees a torn event without a data race, and throws it away:
    // `position` tells which event the slot holds (a sequence lock).
    struct Slot {
        std::atomic<uint32_t> position{0};
        std::atomic<uint32_t> due{0};
        std::atomic<uint32_t> message{0};
    };
    static constexpr uint32_t kMask = kCapacity - 1;
    static_assert((kCapacity & kMask) == 0, "the capacity is a power of two");

    std::atomic<uint32_t> head{0};
    Slot slots[kCapacity];
};
