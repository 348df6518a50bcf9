// The process-wide tables through which the nodes of one host process find
// each other, and the only functions that edit them.
//
// Hosts run the nodes on several threads: audio threads (often a pool of
// them) fan MIDI out through the port lists while host and GUI threads
// join, leave and move nodes. `registryLock` guards all five tables:
// senders and readers take it shared, every edit takes it exclusively, and
// nobody holds it while calling into a node, an editor or the host. The
// claim handshake on `randomCheck` (ClaimWord.h) runs before the lock is
// taken; it is never held across the handshake's sleeps.
#pragma once

#include "relay/NodeList.h"
#include "relay/RelayLimits.h"
#include "relay/SharedSpinLock.h"

#include <atomic>
#include <cstdint>

class Inbox;
class VSTPlugin;

// The receivers of one port, twice: their inboxes and their release flags.
// Both lists always hold the same node IDs in the same order.
struct PortRecord {
    NodeList<Inbox> receiverQueues;
    NodeList<ReleaseFlag> releaseFlags;
};

using UpdateCallback = void (*)(void* instance);

struct PluginSlot {
    VSTPlugin* instance;             // null when the slot is free
    UpdateCallback* updateCallback;  // the instance's own member; null when free
};

// Cell values of the listeners table.
constexpr char kNotInPort = 0;
constexpr char kSendsInPort = 1;
constexpr char kReceivesInPort = 2;

extern PortRecord portData[kPortCount];
extern PluginSlot pluginData[kSlotCount];
extern char listeners[kPortCount][kSlotCount];
extern std::atomic<int32_t> randomCheck;
extern int8_t numInstances;
extern SharedSpinLock registryLock;

#if defined(__i386__)
static_assert(sizeof(PortRecord) == 1040, "a port record is 1040 bytes on i386");
static_assert(sizeof(PluginSlot) == 8, "a slot is 8 bytes on i386");
#endif
static_assert(sizeof(std::atomic<int32_t>) == 4, "the claim word is a 32-bit int");
static_assert(sizeof(ReleaseFlag) == 1, "a release flag is one byte");

// The edits below expect the caller to hold registryLock exclusively.
//
// Takes the lowest free slot for instance, counts it and puts it in port 0
// as a sender; returns the slot index, or -1 when the limit is reached. The
// count and the slots change together, so a join that sees a free slot is
// never refused by a count that has not caught up.
int32_t TakeLowestFreeSlot(VSTPlugin* instance, UpdateCallback* callback);
// Frees the node's slot and its cell in port, and uncounts it.
void FreeSlot(int32_t nodeId, int32_t port);
void SetListenerCell(int32_t port, int32_t nodeId, char value);
// Adds to or removes from both lists of port; the inbox list goes first.
void AddReceiver(int32_t port, int32_t nodeId, Inbox* inbox, ReleaseFlag* releaseFlag);
void RemoveReceiver(int32_t port, int32_t nodeId);

// Calls every registered node's update callback, in slot order. The slots
// are read under the lock and each node is pinned while it is called,
// with no lock held, so a node that leaves meanwhile waits for the call to
// end (WaitUntilUnpinned) before its memory goes.
void NotifyAllNodes();
// Called by a node that has left its slot, with no lock held.
void WaitUntilUnpinned(int32_t nodeId);

// Takes registryLock shared for the copy.
void CopyListeners(char (*destination)[kSlotCount]);
int8_t RegisteredInstances();
