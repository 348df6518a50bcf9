#pragma once

#include <pthread.h>
#include <time.h>

#include <atomic>
#include <cstdint>

namespace kvor::threading {

// One detached POSIX thread. Threads are never joined: they are stopped with
// deferred cancellation, which takes effect at their next sleep. The routine
// is therefore expected to loop until cancelled; cancelling a thread whose
// routine has already returned is not allowed by POSIX.
class SThread {
public:
    using Routine = void* (*)(void*);

    explicit SThread(int32_t level);
    SThread(const SThread&) = delete;
    SThread& operator=(const SThread&) = delete;
    ~SThread();

    // Level 2 runs at the policy's middle priority, levels 3 and 4 at its
    // highest, every other level at its lowest. Returns whether it started.
    bool Start(Routine routine, void* argument);
    void Cancel();
    int Detach();
    void Finalize();

    // Called by the thread itself to park until another thread calls Resume.
    void Wait(unsigned milliseconds);
    void Resume();

    static void Sleep(unsigned milliseconds);
    static int PriorityFor(int32_t level, int lowest, int highest);

    bool IsRunning() const { return running.load() != 0; }
    bool IsPaused() const { return paused.load() != 0; }
    pthread_t Handle() const { return handle; }

private:
    bool Launch(pthread_attr_t& attributes);

    Routine routine = nullptr;
    void* argument = nullptr;
    std::atomic<uint8_t> paused{0};
    int32_t level;
    std::atomic<uint8_t> running{0};
    pthread_t handle{};
};

void ThreadSleep(unsigned milliseconds);

// Sleeps the whole time even when signals interrupt it. Returns the result
// of the last nanosleep.
int PreciseSleep(double seconds);

// The seconds and nanoseconds that PreciseSleep asks nanosleep for.
timespec SplitSeconds(double seconds);

}  // namespace kvor::threading
