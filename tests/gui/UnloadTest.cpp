// Unloading a module whose timer and idle threads are still running: the
// module's static clean-up must stop them and wait until they have left its
// code, or they would run on in unmapped memory.
#include <gtest/gtest.h>

#include "tests/support/ProcessThreads.h"
#include "tests/support/WaitUntil.h"

#include <dlfcn.h>

#include <chrono>
#include <thread>

using tarvenna::test::ThreadsOfProcess;
using tarvenna::test::WaitUntil;

TEST(UnloadTest, RunningWorkersAreStoppedAndJoinedAtUnload)
{
    const int baseline = ThreadsOfProcess();
    for (int round = 0; round < 3; ++round) {
        void* module = dlopen(TARVENNA_UNLOAD_PROBE, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(module, nullptr) << dlerror();
        auto start = reinterpret_cast<void (*)()>(dlsym(module, "probe_start"));
        auto calls = reinterpret_cast<int (*)()>(dlsym(module, "probe_idle_calls"));
        auto live = reinterpret_cast<unsigned (*)()>(dlsym(module, "probe_live_threads"));
        ASSERT_NE(start, nullptr);
        ASSERT_NE(calls, nullptr);
        ASSERT_NE(live, nullptr);
        start();
        EXPECT_EQ(live(), 2u);
        ASSERT_TRUE(WaitUntil([&] { return calls() >= 3; }));
        EXPECT_EQ(ThreadsOfProcess(), baseline + 2);

        ASSERT_EQ(dlclose(module), 0);
        // The module must really be gone, or this would prove nothing.
        EXPECT_EQ(dlopen(TARVENNA_UNLOAD_PROBE, RTLD_NOW | RTLD_NOLOAD), nullptr);
        EXPECT_TRUE(WaitUntil([&] { return ThreadsOfProcess() == baseline; }));
        // A worker still running would now fault in unmapped code.
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
}
