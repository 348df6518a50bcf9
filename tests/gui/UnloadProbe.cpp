// A small module that starts the toolkit's worker threads and leaves them
// running, as a plug-in does when a host unloads it without closing it
// first. The test loads it, unloads it, and checks that no thread of ours is
// still running code that is no longer mapped.
#include "runtime/STimer.h"
#include "runtime/STimerIdle.h"
#include "tests/support/AddressSanitizer.h"

#include <atomic>

#if TARVENNA_ADDRESS_SANITIZER
#include <sanitizer/lsan_interface.h>
#endif

namespace {

std::atomic<int> idleCalls{0};

void Idle(void*) { ++idleCalls; }

kvor::threading::STimerIdle::Function idleCell = &Idle;

}  // namespace

extern "C" __attribute__((visibility("default"))) void probe_start()
{
    // Deliberately never deleted.
    auto* timer = new kvor::threading::STimer(nullptr, 1, 0);
    timer->Start(2);
    auto* idle = new kvor::threading::STimerIdle(nullptr, 2, 5, false);
    idle->SetFunction(&idleCell, &idleCell);
    idle->AddEntry();
#if TARVENNA_ADDRESS_SANITIZER
    __lsan_ignore_object(timer);
    __lsan_ignore_object(idle);
#endif
}

extern "C" __attribute__((visibility("default"))) int probe_idle_calls()
{
    return idleCalls.load();
}

extern "C" __attribute__((visibility("default"))) unsigned probe_live_threads()
{
    return kvor::threading::SPeriodicThread::LiveThreads();
}
