#include "runtime/SMutex.h"

#include <cerrno>
#include <ctime>

namespace kvor::threading {

SMutexOS::SMutexOS() { valid = pthread_mutex_init(&mutex, nullptr) == 0 ? 1 : 0; }

SMutexOS::~SMutexOS()
{
    if (IsLocked())
        SMutexOS::Unlock();
    pthread_mutex_destroy(&mutex);
}

int SMutexOS::Lock()
{
    const int result = pthread_mutex_lock(&mutex);
    if (result != EINVAL && result != EDEADLK)
        locked = 1;
    return result;
}

// The flag is cleared while the mutex is still held: clearing it after the
// unlock could wipe the flag of the next holder.
int SMutexOS::Unlock()
{
    const uint8_t wasLocked = locked.exchange(0);
    const int result = pthread_mutex_unlock(&mutex);
    if (result == EPERM || result == EINVAL)
        locked = wasLocked;
    return result;
}

namespace {

void YieldProcessor()
{
    timespec none{0, 0};
    nanosleep(&none, nullptr);
}

}  // namespace

SMutexID::~SMutexID() { SMutexID::Unlock(); }

int SMutexID::Lock()
{
    while (counter.fetch_add(1, std::memory_order_acquire) + 1 > 1) {
        counter.fetch_sub(1, std::memory_order_relaxed);
        YieldProcessor();
    }
    locked = 1;
    return 0;
}

// The flag goes before the counter so that a waiter that gets in next keeps
// its own flag; taking it with an exchange makes a second Unlock harmless.
int SMutexID::Unlock()
{
    if (locked.exchange(0) != 0)
        counter.fetch_sub(1, std::memory_order_release);
    return 0;
}

}  // namespace kvor::threading
