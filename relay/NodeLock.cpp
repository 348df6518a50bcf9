#include "relay/NodeLock.h"

#include <sched.h>

#ifdef TARVENNA_LOCK_HOOK
// Only in the module the relay tests build for the paths an audio thread
// takes when another thread holds the node's lock, which no host request
// can hold for a test: the next `count` attempts on the calling thread
// find the lock held, whatever it is.
namespace {
thread_local int32_t failingAttempts = 0;
}  // namespace

extern "C" __attribute__((visibility("default"))) void TarvennaFailLockAttempts(int32_t count)
{
    failingAttempts = count;
}
#endif

void NodeLock::Lock()
{
    constexpr int32_t kSpinsBeforeYield = 64;
    for (int32_t spins = 0; !TakeOnce(); ++spins) {
        if (spins < kSpinsBeforeYield)
            __builtin_ia32_pause();
        else
            sched_yield();
    }
}

bool NodeLock::TryLock(int32_t attempts)
{
#ifdef TARVENNA_LOCK_HOOK
    if (failingAttempts > 0) {
        --failingAttempts;
        return false;
    }
#endif
    for (int32_t i = 0; i < attempts; ++i) {
        if (TakeOnce())
            return true;
        __builtin_ia32_pause();
    }
    return false;
}
