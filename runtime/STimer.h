// Periodic timers of the toolkit's controls, and the worker thread that
// drives them and the idle thread.
//
// Worker threads are never cancelled and never left running on their own:
// stopping one sets its stop flag, wakes it from its pause and waits until
// it has returned. A host may unload the module at any time after its last
// instance is gone, so no thread of ours may still be inside module code by
// then; a static object waits for every worker at unload.
#pragma once

#include <pthread.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

namespace kvor::threading {

// What a timer ticks for. The toolkit's controls implement it, so the
// runtime needs to know nothing more of them.
class STimerTarget {
public:
    // Called on the timer's own thread, once a period, with the identifier
    // the timer was started with.
    virtual void TimerTick(int identifier) = 0;

protected:
    ~STimerTarget() = default;
};

struct SWorkerShared;

// One thread that calls a function, pauses for the period, and repeats
// until stopped. The pause is the time between the end of one call and the
// start of the next.
class SPeriodicThread {
public:
    using Tick = std::function<void()>;

    SPeriodicThread();
    SPeriodicThread(const SPeriodicThread&) = delete;
    SPeriodicThread& operator=(const SPeriodicThread&) = delete;
    ~SPeriodicThread();

    // Stops a running thread first. level picks the priority as SThread
    // does. Returns whether the thread started.
    bool Start(int32_t level, unsigned periodMs, Tick tick);
    // Stops the thread and waits until it has returned. Called from inside
    // the tick it cannot wait for itself: the thread then ends when the
    // tick returns, and is collected later (at the latest at unload).
    void Stop();
    bool IsRunning() const { return shared != nullptr; }
    // Whether the caller is this worker's own thread.
    bool OnThisThread() const;

    // Workers whose threads have not yet returned, process-wide.
    static unsigned LiveThreads();
    // Stops every worker of the process and waits for them; run at unload.
    static void StopAll();

private:
    std::shared_ptr<SWorkerShared> shared;
};

// The worker of one control timer: ticks its target every period.
class STimerObject {
public:
    STimerObject();
    STimerObject(const STimerObject&) = delete;
    STimerObject& operator=(const STimerObject&) = delete;
    virtual ~STimerObject();

    virtual void Start(STimerTarget* target, int identifier, int periodMs);
    virtual void Stop();

    bool IsActive() const { return active.load(); }
    int Identifier() const { return identifier; }
    int Period() const { return period; }
    STimerTarget* Target() const { return target; }

private:
    std::unique_ptr<SPeriodicThread> worker;
    STimerTarget* target = nullptr;
    int32_t identifier = 0;
    int32_t period = 0;
    std::atomic<bool> active{false};
};

class STimer {
public:
    STimer(STimerTarget* target, unsigned identifier, unsigned unused);
    STimer(const STimer&) = delete;
    STimer& operator=(const STimer&) = delete;
    virtual ~STimer();

    virtual void Start(unsigned periodMs);
    virtual void Stop();

    bool IsRunning() const { return running.load(); }
    unsigned Identifier() const { return identifier; }
    unsigned Period() const { return period; }
    STimerObject* Worker() const { return worker; }

private:
    STimerTarget* target;
    unsigned period = 0;
    [[maybe_unused]] unsigned unused;
    unsigned identifier;
    std::atomic<bool> running{false};
    STimerObject* worker;
};

}  // namespace kvor::threading
