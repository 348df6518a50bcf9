#include "runtime/SThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "tests/support/WaitUntil.h"

using kvor::threading::SThread;
using tarvenna::test::WaitUntil;

namespace {

bool WaitedFor(const std::atomic<bool>& flag)
{
    return WaitUntil([&] { return flag.load(); });
}

// What a worker reports back. Declared before the SThread that drives it, so
// the thread is cancelled first and the probe then outlives its unwinding,
// even when an assertion ends the test early.
struct Probe {
    std::atomic<int> ticks{0};
    std::atomic<bool> started{false};
    std::atomic<bool> finished{false};
    SThread* self = nullptr;
    ~Probe()
    {
        if (started)
            WaitedFor(finished);
    }
};

// Sets `finished` when a cancelled worker unwinds.
struct FinishOnUnwind {
    Probe& probe;
    explicit FinishOnUnwind(Probe& probe) : probe(probe) { probe.started = true; }
    ~FinishOnUnwind() { probe.finished = true; }
};

void* TickUntilCancelled(void* argument)
{
    Probe& probe = *static_cast<Probe*>(argument);
    FinishOnUnwind guard(probe);
    for (;;) {
        ++probe.ticks;
        SThread::Sleep(1);
    }
}

void* ParkThenTick(void* argument)
{
    Probe& probe = *static_cast<Probe*>(argument);
    FinishOnUnwind guard(probe);
    probe.self->Wait(1);
    for (;;) {
        ++probe.ticks;
        SThread::Sleep(1);
    }
}

bool Ticking(const Probe& probe)
{
    return WaitUntil([&] { return probe.ticks > 0; });
}

bool Finished(const Probe& probe) { return WaitedFor(probe.finished); }

}  // namespace

TEST(ThreadPriority, LevelsPickLowestMiddleOrHighest)
{
    EXPECT_EQ(SThread::PriorityFor(2, 0, 0), 0);
    EXPECT_EQ(SThread::PriorityFor(2, 1, 99), 50);
    EXPECT_EQ(SThread::PriorityFor(2, 1, 98), 49);
    EXPECT_EQ(SThread::PriorityFor(3, 1, 99), 99);
    EXPECT_EQ(SThread::PriorityFor(4, 1, 99), 99);
    for (int level : {-1, 0, 1, 5, 9})
        EXPECT_EQ(SThread::PriorityFor(level, 1, 99), 1) << level;
}

TEST(ThreadLifecycle, StartedThreadRunsDetachedUntilCancelled)
{
    Probe probe;
    SThread thread(2);
    ASSERT_TRUE(thread.Start(TickUntilCancelled, &probe));
    EXPECT_TRUE(thread.IsRunning());
    ASSERT_TRUE(Ticking(probe));

    pthread_attr_t attributes;
    ASSERT_EQ(pthread_getattr_np(thread.Handle(), &attributes), 0);
    int detachState = 0;
    pthread_attr_getdetachstate(&attributes, &detachState);
    pthread_attr_destroy(&attributes);
    EXPECT_EQ(detachState, PTHREAD_CREATE_DETACHED);

    thread.Cancel();
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_TRUE(Finished(probe));
}

TEST(ThreadLifecycle, RestartCancelsTheRunningThreadFirst)
{
    Probe first;
    Probe second;
    SThread thread(0);
    ASSERT_TRUE(thread.Start(TickUntilCancelled, &first));
    ASSERT_TRUE(Ticking(first));
    ASSERT_TRUE(thread.Start(TickUntilCancelled, &second));
    EXPECT_TRUE(Finished(first));
    EXPECT_TRUE(Ticking(second));

    // A start without routine or argument still stops the old thread.
    EXPECT_FALSE(thread.Start(nullptr, &first));
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_TRUE(Finished(second));
    EXPECT_FALSE(thread.Start(TickUntilCancelled, nullptr));
    EXPECT_FALSE(thread.IsRunning());
}

TEST(ThreadPause, WaitParksTheThreadUntilResumed)
{
    Probe probe;
    SThread thread(2);
    probe.self = &thread;
    ASSERT_TRUE(thread.Start(ParkThenTick, &probe));
    ASSERT_TRUE(WaitUntil([&] { return thread.IsPaused(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(probe.ticks, 0);

    thread.Resume();
    EXPECT_FALSE(thread.IsPaused());
    EXPECT_TRUE(Ticking(probe));
    thread.Cancel();
    EXPECT_TRUE(Finished(probe));
}
