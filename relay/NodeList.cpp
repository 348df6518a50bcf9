#include "relay/NodeList.h"

#include "relay/EventQueue.h"

template <typename Target> uint32_t NodeList<Target>::UpperBound(int32_t nodeId) const
{
    uint32_t low = 0;
    uint32_t high = count;
    while (low < high) {
        const uint32_t middle = (low + high) / 2;
        if (nodeId < entries[middle].nodeId)
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}

template <typename Target> void NodeList<Target>::Insert(int32_t nodeId, Target* target)
{
    if (count >= static_cast<uint32_t>(kCapacity))
        return;
    const uint32_t position = UpperBound(nodeId);
    for (uint32_t i = count; i > position; --i)
        entries[i] = entries[i - 1];
    entries[position] = NodeEntry<Target>{nodeId, target};
    ++count;
}

template <typename Target> void NodeList<Target>::Remove(int32_t nodeId)
{
    const uint32_t position = UpperBound(nodeId);
    if (position == 0 || entries[position - 1].nodeId != nodeId)
        return;
    --count;
    for (uint32_t i = position - 1; i < count; ++i)
        entries[i] = entries[i + 1];
}

template class NodeList<EventQueue>;
template class NodeList<unsigned char>;
template class NodeList<Inbox>;
template class NodeList<ReleaseFlag>;
