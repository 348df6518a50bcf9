#include "runtime/SThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <thread>

using kvor::threading::PreciseSleep;
using kvor::threading::SplitSeconds;
using kvor::threading::SThread;
using kvor::threading::ThreadSleep;

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<int> interruptions{0};

void CountInterruption(int) { ++interruptions; }

// Installs a handler without SA_RESTART, so that nanosleep really fails with
// EINTR, and puts the previous one back afterwards.
class InterruptingSignal {
public:
    InterruptingSignal()
    {
        struct sigaction action {};
        action.sa_handler = CountInterruption;
        sigemptyset(&action.sa_mask);
        sigaction(SIGUSR2, &action, &previous);
    }
    ~InterruptingSignal() { sigaction(SIGUSR2, &previous, nullptr); }

private:
    struct sigaction previous {};
};

}  // namespace

TEST(SleepSplit, SecondsAndNanosecondsAreTruncated)
{
    const timespec split = SplitSeconds(1.5);
    EXPECT_EQ(split.tv_sec, 1);
    EXPECT_EQ(split.tv_nsec, 500000000);
    EXPECT_EQ(SplitSeconds(0.25).tv_nsec, 250000000);
    EXPECT_EQ(SplitSeconds(2.0).tv_sec, 2);
    EXPECT_EQ(SplitSeconds(2.0).tv_nsec, 0);
}

TEST(SleepSplit, FractionJustBelowOneStaysAValidNanosecondCount)
{
    const timespec split = SplitSeconds(std::nextafter(3.0, 0.0));
    EXPECT_EQ(split.tv_sec, 2);
    EXPECT_LE(split.tv_nsec, 999999999);
    EXPECT_GE(split.tv_nsec, 999999000);
}

TEST(SleepDuration, MillisecondSleepsLastAtLeastTheirTime)
{
    auto start = Clock::now();
    ThreadSleep(20);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(20));
    start = Clock::now();
    SThread::Sleep(20);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(20));
}

TEST(SleepDuration, PreciseSleepResumesAfterSignals)
{
    InterruptingSignal installed;
    interruptions = 0;
    std::atomic<bool> done{false};
    int result = -1;
    Clock::duration slept{};
    std::thread sleeper([&] {
        const auto start = Clock::now();
        result = PreciseSleep(0.2);
        slept = Clock::now() - start;
        done = true;
    });
    for (int i = 0; i < 5 && !done; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (!done)
            pthread_kill(sleeper.native_handle(), SIGUSR2);
    }
    sleeper.join();
    EXPECT_GT(interruptions, 0);
    EXPECT_EQ(result, 0);
    EXPECT_GE(slept, std::chrono::milliseconds(195));
}
