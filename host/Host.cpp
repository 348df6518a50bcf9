#include "host/Host.h"

#include <cstdio>

#include "host/HostCallback.h"
#include "host/InstanceRegistry.h"

namespace tarvenna::host {

namespace {

std::string hex(VstInt32 value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(value));
    return text;
}

}  // namespace

Host::Host(HostConfig defaults) : defaults_(std::move(defaults)) {}

std::unique_ptr<HostInstance> Host::instantiate(Module& module)
{
    lastError_.clear();
    creationRequests_.clear();
    if (!module.loaded() || !module.entry()) {
        lastError_ = "module not loaded";
        return nullptr;
    }
    std::unique_ptr<HostInstance> instance(new HostInstance(module, defaults_));
    AEffect* effect = nullptr;
    {
        registry::CreationScope scope(instance.get());
        effect = module.entry()(&hostCallback);
    }
    creationRequests_ = instance->recorded().requests;
    if (!effect) {
        lastError_ = "the entry point returned no instance";
        return nullptr;
    }
    if (effect->magic != kEffectMagic) {
        // Not a record we can drive, so not one we can close either.
        lastError_ = "the entry point returned a record with magic " + hex(effect->magic);
        return nullptr;
    }
    instance->attach(effect);
    return instance;
}

std::size_t strayRequestCount() { return registry::strayCount(); }

}  // namespace tarvenna::host
