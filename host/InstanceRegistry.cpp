#include "host/InstanceRegistry.h"

#include <atomic>
#include <map>
#include <mutex>

#include "host/HostInstance.h"

namespace tarvenna::host::registry {

namespace {

std::mutex& lock()
{
    static std::mutex m;
    return m;
}

std::map<AEffect*, HostInstance*>& owners()
{
    static std::map<AEffect*, HostInstance*> table;
    return table;
}

std::atomic<std::size_t> strays{0};
thread_local HostInstance* creating = nullptr;

}  // namespace

void add(AEffect* effect, HostInstance* instance)
{
    std::lock_guard<std::mutex> guard(lock());
    owners()[effect] = instance;
}

void remove(AEffect* effect)
{
    std::lock_guard<std::mutex> guard(lock());
    owners().erase(effect);
}

VstIntPtr answer(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                 float opt)
{
    std::lock_guard<std::mutex> guard(lock());
    HostInstance* instance = nullptr;
    if (effect) {
        auto found = owners().find(effect);
        if (found != owners().end())
            instance = found->second;
    }
    if (!instance)
        instance = creating;
    if (!instance) {
        ++strays;
        return 0;
    }
    return instance->answerRequest(opcode, index, value, ptr, opt);
}

std::size_t strayCount() { return strays.load(); }

CreationScope::CreationScope(HostInstance* instance) : previous_(creating) { creating = instance; }

CreationScope::~CreationScope() { creating = previous_; }

}  // namespace tarvenna::host::registry
