#include "relay/NodeLock.h"

#include <sched.h>

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
    for (int32_t i = 0; i < attempts; ++i) {
        if (TakeOnce())
            return true;
        __builtin_ia32_pause();
    }
    return false;
}
