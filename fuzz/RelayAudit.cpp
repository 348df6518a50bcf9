#include "fuzz/RelayAudit.h"

#include "relay/Registry.h"

#include <sstream>

namespace relayaudit {

namespace {

// Every slot holds a whole entry or none, and a registered node has exactly
// one cell; returns the registered count.
int AuditSlots(std::ostringstream& wrong)
{
    int registered = 0;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        int cells = 0;
        for (int port = 0; port < kPortCount; ++port)
            cells += listeners[port][slot] != kNotInPort;
        const bool used = pluginData[slot].instance != nullptr;
        registered += used;
        if (used != (pluginData[slot].updateCallback != nullptr))
            wrong << "slot " << slot << " has half an entry; ";
        if (cells != (used ? 1 : 0))
            wrong << "node " << slot + 1 << " has " << cells << " cells; ";
    }
    return registered;
}

// Both lists of a port hold its receivers, sorted, and nothing else.
void AuditPort(int port, std::ostringstream& wrong)
{
    const PortRecord& record = portData[port];
    if (record.receiverQueues.Count() != record.releaseFlags.Count())
        wrong << "port " << port << " lists differ in length; ";
    int receivers = 0;
    for (int slot = 0; slot < kSlotCount; ++slot)
        receivers += listeners[port][slot] == kReceivesInPort;
    if (static_cast<int>(record.receiverQueues.Count()) != receivers)
        wrong << "port " << port << " lists " << record.receiverQueues.Count()
              << " receivers, cells say " << receivers << "; ";
    for (uint32_t i = 0; i < record.receiverQueues.Count(); ++i) {
        const int id = record.receiverQueues.Entry(i).nodeId;
        if (i < record.releaseFlags.Count() && record.releaseFlags.Entry(i).nodeId != id)
            wrong << "port " << port << " lists disagree at " << i << "; ";
        if (i > 0 && record.receiverQueues.Entry(i - 1).nodeId >= id)
            wrong << "port " << port << " not sorted at " << i << "; ";
        if (!IsValidNodeId(id) || listeners[port][id - 1] != kReceivesInPort)
            wrong << "port " << port << " lists node " << id << " that is not its receiver; ";
    }
}

}  // namespace

std::string AuditTables()
{
    std::ostringstream wrong;
    SharedSpinLock::ReadScope scope(registryLock);
    const int registered = AuditSlots(wrong);
    // A leaving node frees its slot, notifies the others and only then
    // counts itself out, so the count may run ahead of the slots for a
    // moment, never behind them.
    if (registered > numInstances)
        wrong << registered << " slots used but numInstances is " << int(numInstances) << "; ";
    for (int port = 0; port < kPortCount; ++port)
        AuditPort(port, wrong);
    return wrong.str();
}

int RegisteredNodes() { return RegisteredInstances(); }

int ListedReceivers()
{
    SharedSpinLock::ReadScope scope(registryLock);
    int receivers = 0;
    for (const PortRecord& record : portData)
        receivers += static_cast<int>(record.receiverQueues.Count());
    return receivers;
}

}  // namespace relayaudit
