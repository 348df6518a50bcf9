// The senders' ring on its own, no server: several senders and the process
// thread's side at once.
#include "bridge/OutRing.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

constexpr uint32_t kRun = 3;

// Three senders push runs of three while a reader drains the ring. A sender
// pushes only with a token, of which there are eight, and the reader gives
// one back for every run it took: the ring never holds more than eight
// runs, and every refusal is a refusal of a ring with room.
TEST(OutRing, ASenderIsNeverRefusedWhileTheRingHasRoom)
{
    static OutRing ring;
    ring.Reset();
    std::atomic<bool> stop{false};
    std::atomic<int> tokens{8};
    std::atomic<uint32_t> refused{0};
    std::atomic<uint32_t> pushed{0};

    std::thread reader([&] {
        BridgeEvent event;
        uint32_t taken = 0;
        while (!stop.load(std::memory_order_relaxed)) {
            while (ring.Peek(event)) {
                ring.Drop();
                if (++taken % kRun == 0)
                    tokens.fetch_add(1, std::memory_order_release);
            }
        }
    });
    auto sender = [&](uint8_t status) {
        const BridgeEvent run[kRun] = {
            {0, {status, 60, 100}, 3}, {0, {status, 61, 100}, 3}, {0, {status, 62, 100}, 3}};
        while (!stop.load(std::memory_order_relaxed)) {
            int available = tokens.load(std::memory_order_acquire);
            if (available <= 0 || !tokens.compare_exchange_weak(available, available - 1))
                continue;
            if (ring.Push(run, kRun, 0)) {
                pushed.fetch_add(1, std::memory_order_relaxed);
            } else {
                refused.fetch_add(1, std::memory_order_relaxed);
                tokens.fetch_add(1, std::memory_order_release);
            }
        }
    };
    std::vector<std::thread> senders;
    for (uint8_t status : {0x90, 0x91, 0x92})
        senders.emplace_back(sender, status);
    std::this_thread::sleep_for(std::chrono::seconds(2));
    stop = true;
    for (std::thread& thread : senders)
        thread.join();
    reader.join();

    EXPECT_GT(pushed.load(), 1000u);
    EXPECT_EQ(refused.load(), 0u) << "of " << pushed.load() << " runs pushed";
}

}  // namespace
