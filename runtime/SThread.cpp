#include "runtime/SThread.h"

#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

namespace kvor::threading {

SThread::SThread(int32_t level) : level(level) {}

SThread::~SThread() { Cancel(); }

int SThread::PriorityFor(int32_t level, int lowest, int highest)
{
    const int middle = lowest == highest ? lowest : lowest + (highest - lowest) / 2;
    switch (level) {
    case 2:
        return middle;
    case 3:
    case 4:
        return highest;
    default:
        return lowest;
    }
}

bool SThread::Start(Routine newRoutine, void* newArgument)
{
    Cancel();
    routine = newRoutine;
    argument = newArgument;
    if (routine == nullptr || argument == nullptr)
        return false;
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0)
        return false;
    // Cleared before the thread exists: a routine that parks itself at once
    // must not have its Wait undone by this start.
    paused = 0;
    const bool started = Launch(attributes);
    pthread_attr_destroy(&attributes);
    if (started)
        running = 1;
    return started;
}

// The priority range comes from the inherited policy; the thread itself runs
// under SCHED_OTHER, which needs no privileges.
bool SThread::Launch(pthread_attr_t& attributes)
{
    int policy = 0;
    if (pthread_attr_getschedpolicy(&attributes, &policy) != 0)
        return false;
    const int lowest = sched_get_priority_min(policy);
    const int highest = sched_get_priority_max(policy);
    if (lowest < 0 || highest < 0)
        return false;

    sched_param parameters{};
    parameters.sched_priority = PriorityFor(level, lowest, highest);
    if (pthread_attr_setschedpolicy(&attributes, SCHED_OTHER) != 0)
        return false;
    if (pthread_attr_setschedparam(&attributes, &parameters) != 0)
        return false;
    if (pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED) != 0)
        return false;
    return pthread_create(&handle, &attributes, routine, argument) == 0;
}

void SThread::Cancel()
{
    if (running.exchange(0) != 0)
        pthread_cancel(handle);
}

int SThread::Detach() { return pthread_detach(handle); }

// Detached threads leave nothing to collect.
void SThread::Finalize() {}

void SThread::Wait(unsigned milliseconds)
{
    paused = 1;
    while (IsPaused())
        Sleep(milliseconds);
}

void SThread::Resume() { paused = 0; }

// Sleeps are where cancelled threads unwind from, so this frame keeps no
// addressable locals: AddressSanitizer trips over stack redzones that a
// cancellation unwind leaves behind.
void SThread::Sleep(unsigned milliseconds)
{
    const uint64_t microseconds = static_cast<uint64_t>(milliseconds) * 1000;
    usleep(microseconds > UINT32_MAX ? UINT32_MAX : static_cast<useconds_t>(microseconds));
}

void ThreadSleep(unsigned milliseconds) { SThread::Sleep(milliseconds); }

timespec SplitSeconds(double seconds)
{
    constexpr long kLastNanosecond = 999999999;
    timespec split{};
    split.tv_sec = static_cast<time_t>(seconds);
    const double fraction = seconds - static_cast<double>(split.tv_sec);
    // Rounding can carry a fraction just below one up to a full second,
    // which nanosleep would refuse.
    split.tv_nsec = std::min(static_cast<long>(fraction * 1e9), kLastNanosecond);
    return split;
}

int PreciseSleep(double seconds)
{
    timespec request = SplitSeconds(seconds);
    timespec remaining{};
    int result;
    while ((result = nanosleep(&request, &remaining)) == -1 && errno == EINTR)
        request = remaining;
    return result;
}

}  // namespace kvor::threading
