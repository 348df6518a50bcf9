#include "host/InstanceRegistry.h"

#include <atomic>
#include <map>
#include <mutex>
#include <shared_mutex>

#include "host/HostInstance.h"

namespace tarvenna::host::registry {

namespace {

std::shared_mutex& Lock()
{
    static std::shared_mutex m;
    return m;
}

std::map<AEffect*, HostInstance*>& Owners()
{
    static std::map<AEffect*, HostInstance*> table;
    return table;
}

std::atomic<std::size_t> strays{0};
thread_local HostInstance* creating = nullptr;

}  // namespace

void Add(AEffect* effect, HostInstance* instance)
{
    std::unique_lock<std::shared_mutex> guard(Lock());
    Owners()[effect] = instance;
}

void Remove(AEffect* effect)
{
    std::unique_lock<std::shared_mutex> guard(Lock());
    Owners().erase(effect);
}

VstIntPtr Answer(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                 float opt)
{
    std::shared_lock<std::shared_mutex> guard(Lock());
    HostInstance* instance = nullptr;
    if (effect) {
        auto found = Owners().find(effect);
        if (found != Owners().end())
            instance = found->second;
    }
    if (!instance)
        instance = creating;
    if (!instance) {
        ++strays;
        return 0;
    }
    return instance->AnswerRequest(effect, opcode, index, value, ptr, opt);
}

std::size_t StrayCount() { return strays.load(); }

CreationScope::CreationScope(HostInstance* instance) : previous(creating) { creating = instance; }

CreationScope::~CreationScope() { creating = previous; }

}  // namespace tarvenna::host::registry
