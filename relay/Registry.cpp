#include "relay/Registry.h"

#include <cstring>
#include <sched.h>

// All of these are constant-initialised: they are usable by any static
// constructor and by the first host call, whatever the order of start-up.
PortRecord portData[kPortCount];
PluginSlot pluginData[kSlotCount];
char listeners[kPortCount][kSlotCount];
std::atomic<int32_t> randomCheck{0};
int8_t numInstances = 0;
SharedSpinLock registryLock;

namespace {

// Calls in flight into the node of each slot (NotifyAllNodes).
std::atomic<int32_t> slotPins[kSlotCount];

bool IsValidCell(int32_t port, int32_t nodeId)
{
    return IsValidPort(port) && IsValidNodeId(nodeId);
}

}  // namespace

int32_t TakeLowestFreeSlot(VSTPlugin* instance, UpdateCallback* callback)
{
    if (numInstances >= kMaxInstances)
        return -1;
    for (int32_t i = 0; i < kSlotCount; ++i) {
        if (pluginData[i].instance != nullptr)
            continue;
        ++numInstances;
        pluginData[i] = PluginSlot{instance, callback};
        listeners[0][i] = kSendsInPort;
        return i;
    }
    return -1;
}

void FreeSlot(int32_t nodeId, int32_t port)
{
    if (!IsValidNodeId(nodeId))
        return;
    SetListenerCell(port, nodeId, kNotInPort);
    pluginData[nodeId - 1] = PluginSlot{nullptr, nullptr};
    --numInstances;
}

void SetListenerCell(int32_t port, int32_t nodeId, char value)
{
    if (IsValidCell(port, nodeId))
        listeners[port][nodeId - 1] = value;
}

void AddReceiver(int32_t port, int32_t nodeId, Inbox* inbox, ReleaseFlag* releaseFlag)
{
    if (!IsValidCell(port, nodeId))
        return;
    portData[port].receiverQueues.Insert(nodeId, inbox);
    portData[port].releaseFlags.Insert(nodeId, releaseFlag);
}

void RemoveReceiver(int32_t port, int32_t nodeId)
{
    if (!IsValidCell(port, nodeId))
        return;
    portData[port].receiverQueues.Remove(nodeId);
    portData[port].releaseFlags.Remove(nodeId);
}

void NotifyAllNodes()
{
    struct Call {
        UpdateCallback function;
        void* instance;
        int32_t slot;
    };
    Call calls[kSlotCount];
    int32_t count = 0;
    {
        SharedSpinLock::ReadScope scope(registryLock);
        for (int32_t i = 0; i < kSlotCount; ++i) {
            const PluginSlot& slot = pluginData[i];
            if (slot.updateCallback == nullptr || *slot.updateCallback == nullptr)
                continue;
            slotPins[i].fetch_add(1, std::memory_order_relaxed);
            calls[count++] = Call{*slot.updateCallback, slot.instance, i};
        }
    }
    for (int32_t i = 0; i < count; ++i) {
        calls[i].function(calls[i].instance);
        slotPins[calls[i].slot].fetch_sub(1, std::memory_order_release);
    }
}

// Pins are only taken under the shared lock and only for slots that are
// in use, so once the leaving node has freed its slot under the exclusive
// lock the count can only fall (a new node in the same slot may add its
// own pins, which only makes the wait longer).
void WaitUntilUnpinned(int32_t nodeId)
{
    if (!IsValidNodeId(nodeId))
        return;
    while (slotPins[nodeId - 1].load(std::memory_order_acquire) != 0)
        sched_yield();
}

void CopyListeners(char (*destination)[kSlotCount])
{
    SharedSpinLock::ReadScope scope(registryLock);
    std::memcpy(destination, listeners, sizeof listeners);
}

int8_t RegisteredInstances()
{
    SharedSpinLock::ReadScope scope(registryLock);
    return numInstances;
}
