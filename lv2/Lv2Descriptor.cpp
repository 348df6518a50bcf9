#include "lv2/Lv2Descriptor.h"

#include <atomic>
#include <cstring>

namespace lv2face {

namespace {

// Set by every call for the descriptor, which hosts may make on any thread.
std::atomic<NodeMaker> nodeMaker{nullptr};

Lv2Node* NodeOf(LV2_Handle instance) { return static_cast<Lv2Node*>(instance); }

LV2_Handle Instantiate(const LV2_Descriptor*, double rate, const char*,
                       const LV2_Feature* const* features)
{
    return Lv2Node::Make(nodeMaker.load(std::memory_order_relaxed), rate, features);
}

void ConnectPort(LV2_Handle instance, uint32_t port, void* data)
{
    NodeOf(instance)->Connect(port, data);
}

void Activate(LV2_Handle instance) { NodeOf(instance)->Activate(); }

void Deactivate(LV2_Handle instance) { NodeOf(instance)->Deactivate(); }

void Cleanup(LV2_Handle instance) { delete NodeOf(instance); }

LV2_State_Status Save(LV2_Handle instance, LV2_State_Store_Function store, LV2_State_Handle handle,
                      uint32_t, const LV2_Feature* const*)
{
    return NodeOf(instance)->Save(store, handle);
}

LV2_State_Status Restore(LV2_Handle instance, LV2_State_Retrieve_Function retrieve,
                         LV2_State_Handle handle, uint32_t, const LV2_Feature* const*)
{
    return NodeOf(instance)->Restore(retrieve, handle);
}

const void* ExtensionData(const char* uri)
{
    static const LV2_State_Interface state = {Save, Restore};
    return std::strcmp(uri, LV2_STATE__interface) == 0 ? &state : nullptr;
}

const LV2_Descriptor kDescriptor = {kPluginUri,           Instantiate, ConnectPort, Activate,
                                    Lv2Node::RunInstance, Deactivate,  Cleanup,     ExtensionData};

}  // namespace

const LV2_Descriptor* Descriptor(uint32_t index, NodeMaker maker)
{
    nodeMaker.store(maker, std::memory_order_relaxed);
    return index == 0 ? &kDescriptor : nullptr;
}

}  // namespace lv2face
