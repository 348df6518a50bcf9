#include "bridge/OutRing.h"

// A sender claims a run of positions with one exchange, so that its events
// stay together and in order; the slots of the run are free because the
// process thread has moved past them (readPosition), which it publishes
// only after it has read them.
//
// The read position is read after the claim position, so that the room
// counted is never more than there is. A claim position that other senders
// and the process thread have since moved past shows as a read position
// beyond it; that claim position is read again rather than taken for a
// full ring.
bool OutRing::Push(const BridgeEvent* events, uint32_t count, uint32_t keepFree)
{
    if (count == 0)
        return true;
    uint32_t first = writeClaim.load(std::memory_order_relaxed);
    for (;;) {
        const uint32_t used = first - readPosition.load(std::memory_order_acquire);
        if (used > kCapacity) {
            first = writeClaim.load(std::memory_order_relaxed);
            continue;
        }
        if (used + count + keepFree > kCapacity)
            return false;
        if (writeClaim.compare_exchange_weak(first, first + count, std::memory_order_relaxed,
                                             std::memory_order_relaxed))
            break;
    }
    for (uint32_t i = 0; i < count; ++i) {
        Slot& slot = slots[(first + i) & kMask];
        slot.event = events[i];
        slot.ready.store(first + i + 1, std::memory_order_release);
    }
    return true;
}

bool OutRing::Peek(BridgeEvent& event) const
{
    const uint32_t position = readPosition.load(std::memory_order_relaxed);
    const Slot& slot = slots[position & kMask];
    if (slot.ready.load(std::memory_order_acquire) != position + 1)
        return false;
    event = slot.event;
    return true;
}

void OutRing::Drop()
{
    readPosition.store(readPosition.load(std::memory_order_relaxed) + 1, std::memory_order_release);
}

void OutRing::Reset()
{
    readPosition.store(writeClaim.load(std::memory_order_acquire), std::memory_order_release);
}
