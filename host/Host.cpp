#include "host/Host.h"

#include <cstdio>

#include "host/HostCallback.h"
#include "host/InstanceRegistry.h"

namespace tarvenna::host {

namespace {

std::string Hex(VstInt32 value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(value));
    return text;
}

}  // namespace

Host::Host(HostConfig defaults) : defaults(std::move(defaults)) {}

std::unique_ptr<HostInstance> Host::Instantiate(Module& module, InstanceOptions options)
{
    if (!module.Loaded() || !module.Entry()) {
        Report("module not loaded", {});
        return nullptr;
    }
    return Create(&module, module.Entry(), std::move(options));
}

std::unique_ptr<HostInstance> Host::Instantiate(const InstanceFactory& factory,
                                                InstanceOptions options)
{
    if (!factory) {
        Report("no factory to make the instance with", {});
        return nullptr;
    }
    return Create(nullptr, factory, std::move(options));
}

std::unique_ptr<HostInstance> Host::Create(Module* module, const InstanceFactory& factory,
                                           InstanceOptions options)
{
    std::unique_ptr<HostInstance> instance(new HostInstance(module, defaults, std::move(options)));
    AEffect* effect = nullptr;
    {
        registry::CreationScope scope(instance.get());
        effect = factory(&HostCallback);
    }
    const std::vector<RequestRecord> requests = instance->Recorded().requests;
    if (!effect) {
        Report("the entry point returned no instance", requests);
        return nullptr;
    }
    if (effect->magic != kEffectMagic) {
        // Not a record we can drive, so not one we can close either.
        Report("the entry point returned a record with magic " + Hex(effect->magic), requests);
        return nullptr;
    }
    Report("", requests);
    instance->Attach(effect);
    return instance;
}

void Host::Report(const std::string& error, const std::vector<RequestRecord>& requests)
{
    std::lock_guard<std::mutex> guard(mutex);
    lastError = error;
    creationRequests = requests;
}

std::string Host::LastError() const
{
    std::lock_guard<std::mutex> guard(mutex);
    return lastError;
}

std::vector<RequestRecord> Host::LastCreationRequests() const
{
    std::lock_guard<std::mutex> guard(mutex);
    return creationRequests;
}

std::size_t StrayRequestCount() { return registry::StrayCount(); }

}  // namespace tarvenna::host
