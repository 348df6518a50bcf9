// A list of (node ID, pointer) entries kept sorted by node ID. Each port has
// two, one pointing at its receivers' inboxes and one at their release flags.
#pragma once

#include <atomic>
#include <cstdint>

template <typename Target> struct NodeEntry {
    int32_t nodeId;
    Target* target;
};

template <typename Target> class NodeList {
public:
    static constexpr int32_t kCapacity = 64;

    // Constant-initialised, so the process-wide lists are ready before any
    // static constructor of the module runs.
    constexpr NodeList() : capacity(kCapacity), count(0), entries() {}

    // A full list ignores the insertion; there is no duplicate check.
    void Insert(int32_t nodeId, Target* target);
    // An ID that is not in the list changes nothing.
    void Remove(int32_t nodeId);

    uint32_t Count() const { return count; }
    const NodeEntry<Target>& Entry(uint32_t i) const { return entries[i]; }

private:
    // The first position whose node ID is greater than nodeId.
    uint32_t UpperBound(int32_t nodeId) const;

    int32_t capacity;
    uint32_t count;
    NodeEntry<Target> entries[kCapacity];
};

class EventQueue;
extern template class NodeList<EventQueue>;
extern template class NodeList<unsigned char>;

class Inbox;
// A receiver's releasePending byte, which senders set from their threads.
using ReleaseFlag = std::atomic<unsigned char>;
extern template class NodeList<Inbox>;
extern template class NodeList<ReleaseFlag>;
