#include "runtime/SMutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using kvor::threading::SMutexBase;
using kvor::threading::SMutexID;
using kvor::threading::SMutexOS;

namespace {

// Locks `lock` from another thread while this one holds it, and checks that
// the other thread gets in only after `release` ran.
template <typename Release>
void ExpectExcluded(SMutexBase& lock, Release release, bool unlockInOther)
{
    std::atomic<bool> acquired{false};
    std::thread other([&] {
        lock.Lock();
        acquired = true;
        if (unlockInOther)
            lock.Unlock();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(acquired);
    release();
    other.join();
    EXPECT_TRUE(acquired);
}

}  // namespace

TEST(MutexOS, SecondLockerWaitsForTheHolder)
{
    SMutexOS mutex;
    EXPECT_TRUE(mutex.IsValid());
    EXPECT_EQ(mutex.Lock(), 0);
    EXPECT_TRUE(mutex.IsLocked());
    ExpectExcluded(
        mutex, [&] { EXPECT_EQ(mutex.Unlock(), 0); }, true);
    EXPECT_FALSE(mutex.IsLocked());
}

TEST(MutexID, ContenderSpinsUntilAnyThreadUnlocks)
{
    SMutexID lock;
    lock.Lock();
    EXPECT_EQ(lock.Counter(), 1);
    EXPECT_TRUE(lock.IsLocked());
    ExpectExcluded(
        lock, [&] { lock.Unlock(); }, false);
    EXPECT_EQ(lock.Counter(), 1);
    // No owner: this thread releases the hold the other thread took.
    lock.Unlock();
    EXPECT_EQ(lock.Counter(), 0);
    EXPECT_FALSE(lock.IsLocked());
}

TEST(MutexID, StrayUnlockDoesNotOpenTheLockTwice)
{
    SMutexID lock;
    lock.Unlock();
    EXPECT_EQ(lock.Counter(), 0);
    lock.Lock();
    ExpectExcluded(
        lock, [&] { lock.Unlock(); }, true);
    EXPECT_EQ(lock.Counter(), 0);
}

TEST(MutexID, KeepsCriticalSectionsApart)
{
    SMutexID lock;
    int shared = 0;  // deliberately not atomic: only the lock protects it
    constexpr int kRounds = 2000;
    auto work = [&] {
        for (int i = 0; i < kRounds; ++i) {
            lock.Lock();
            const int seen = shared;
            std::this_thread::yield();
            shared = seen + 1;
            lock.Unlock();
        }
    };
    std::thread first(work);
    std::thread second(work);
    first.join();
    second.join();
    EXPECT_EQ(shared, 2 * kRounds);
    EXPECT_EQ(lock.Counter(), 0);
}
