#include "bridge/InRing.h"

namespace {

uint32_t Pack(const BridgeEvent& event)
{
    return static_cast<uint32_t>(event.bytes[0]) | static_cast<uint32_t>(event.bytes[1]) << 8 |
           static_cast<uint32_t>(event.bytes[2]) << 16 | static_cast<uint32_t>(event.size) << 24;
}

BridgeEvent Unpack(uint32_t due, uint32_t message)
{
    BridgeEvent event;
    event.due = due;
    event.bytes[0] = static_cast<uint8_t>(message);
    event.bytes[1] = static_cast<uint8_t>(message >> 8);
    event.bytes[2] = static_cast<uint8_t>(message >> 16);
    event.size = static_cast<uint8_t>(message >> 24);
    return event;
}

}  // namespace

// The slot is marked with its new position before its fields change: a
// reader that copies fields of the new event then finds the mark changed.
// The fields are stored with release and loaded with acquire rather than
// fenced, which keeps the same order and lets ThreadSanitizer follow it.
void InRing::Publish(const BridgeEvent& event)
{
    const uint32_t position = head.load(std::memory_order_relaxed);
    Slot& slot = slots[position & kMask];
    slot.position.store(position, std::memory_order_relaxed);
    slot.due.store(event.due, std::memory_order_release);
    slot.message.store(Pack(event), std::memory_order_release);
    head.store(position + 1, std::memory_order_release);
}

InRing::Read InRing::ReadAt(uint32_t position, BridgeEvent& event) const
{
    const uint32_t written = head.load(std::memory_order_acquire);
    const uint32_t ahead = written - position;
    if (ahead == 0 || ahead > 0x80000000u)
        return Read::Empty;
    if (ahead > kCapacity)
        return Read::Lost;
    const Slot& slot = slots[position & kMask];
    if (slot.position.load(std::memory_order_acquire) != position)
        return Read::Lost;
    const uint32_t due = slot.due.load(std::memory_order_acquire);
    const uint32_t message = slot.message.load(std::memory_order_acquire);
    if (slot.position.load(std::memory_order_relaxed) != position)
        return Read::Lost;
    event = Unpack(due, message);
    return Read::Got;
}
