// Waiting for something another thread (or the X server) brings about, the
// one way every test program does it: poll the condition, with an optional
// step between looks (a GUI test delivers its X events there).
#pragma once

#include <chrono>
#include <thread>

namespace tarvenna::test {

// Generous, because the 32-bit tests run under an emulator.
constexpr std::chrono::milliseconds kWaitLimit = std::chrono::seconds(10);

// True as soon as the condition holds; false once `limit` has passed
// without it. `step` runs before every look but the first.
template <typename Condition, typename Step>
bool WaitUntil(Condition condition, std::chrono::milliseconds limit, Step step)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        step();
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds limit = kWaitLimit)
{
    return WaitUntil(condition, limit, [] {});
}

}  // namespace tarvenna::test
