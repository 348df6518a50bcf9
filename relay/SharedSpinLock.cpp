#include "relay/SharedSpinLock.h"

#include <sched.h>

namespace {

// A few pause instructions first: the holders keep the lock for a handful of
// copies, so most waits end before a yield would even be scheduled.
class Backoff {
public:
    void Wait()
    {
        if (spins < kSpinsBeforeYield) {
            ++spins;
            __builtin_ia32_pause();
            return;
        }
        sched_yield();
    }

private:
    static constexpr int kSpinsBeforeYield = 64;
    int spins = 0;
};

}  // namespace

void SharedSpinLock::LockShared()
{
    Backoff backoff;
    for (;;) {
        int32_t seen = state.load(std::memory_order_relaxed);
        if ((seen & kWriter) == 0 &&
            state.compare_exchange_weak(seen, seen + 1, std::memory_order_acquire,
                                        std::memory_order_relaxed))
            return;
        backoff.Wait();
    }
}

void SharedSpinLock::UnlockShared() { state.fetch_sub(1, std::memory_order_release); }

void SharedSpinLock::Lock()
{
    Backoff claim;
    for (;;) {
        int32_t seen = state.load(std::memory_order_relaxed);
        if ((seen & kWriter) == 0 &&
            state.compare_exchange_weak(seen, seen | kWriter, std::memory_order_acquire,
                                        std::memory_order_relaxed))
            break;
        claim.Wait();
    }
    // New readers are kept out now; the ones inside finish their copies.
    Backoff drain;
    while ((state.load(std::memory_order_acquire) & ~kWriter) != 0)
        drain.Wait();
}

void SharedSpinLock::Unlock() { state.fetch_and(~kWriter, std::memory_order_release); }
