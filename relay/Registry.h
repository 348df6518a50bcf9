// The process-wide tables through which the nodes of one host process find
// each other, and the only functions that edit them. The tables carry no
// lock: joining and leaving run the claim handshake first, and everything
// else relies on the host not changing two nodes of one port at once.
// Keeping every edit in this file is what lets a lock be added here later.
#pragma once

#include "relay/NodeList.h"
#include "relay/RelayLimits.h"

#include <atomic>
#include <cstdint>

class EventQueue;
class VSTPlugin;

// The receivers of one port, twice: their inboxes and their release flags.
// Both lists always hold the same node IDs in the same order.
struct PortRecord {
    NodeList<EventQueue> receiverQueues;
    NodeList<unsigned char> releaseFlags;
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

#if defined(__i386__)
static_assert(sizeof(PortRecord) == 1040, "a port record is 1040 bytes on i386");
static_assert(sizeof(PluginSlot) == 8, "a slot is 8 bytes on i386");
#endif
static_assert(sizeof(std::atomic<int32_t>) == 4, "the claim word is a 32-bit int");

// The claim handshake. Each costs at least 20 ms (joining) or 10 ms
// (leaving): the word must survive that long untouched by anyone else.
// Joining draws tokens until one survives and returns it; leaving writes
// the token it already has until it survives.
int32_t WinClaimWord();
void RewinClaimWord(int32_t token);

// Takes the lowest free slot for instance and puts it in port 0 as a
// sender; returns the slot index, or -1 when every slot is taken.
int32_t TakeLowestFreeSlot(VSTPlugin* instance, UpdateCallback* callback);
// Frees the node's slot and its cell in port.
void FreeSlot(int32_t nodeId, int32_t port);

void SetListenerCell(int32_t port, int32_t nodeId, char value);
// Adds to or removes from both lists of port; the inbox list goes first.
void AddReceiver(int32_t port, int32_t nodeId, EventQueue* inbox, unsigned char* releaseFlag);
void RemoveReceiver(int32_t port, int32_t nodeId);

// Calls every registered node's update callback, in slot order.
void NotifyAllNodes();
void CopyListeners(char (*destination)[kSlotCount]);
