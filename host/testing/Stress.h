// Driving instances the way parallel Linux hosts do, for a bounded time:
// jobs on their own threads until the time is up, each with its own cheap
// random numbers. Pair with MidiOutputCheck for what the instances hand out.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

namespace tarvenna::host {

// How long a stress run lasts: TARVENNA_STRESS_SECONDS scales every run's
// default (1.0 keeps it; 60 makes a run last a minute or more).
double StressSeconds(double defaultSeconds);

// A small, fast generator (xorshift64*); every thread has its own.
class StressRandom {
public:
    explicit StressRandom(std::uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ull + 1) {}
    std::uint32_t Next();
    // 0 to n - 1.
    std::uint32_t Below(std::uint32_t n) { return n == 0 ? 0 : Next() % n; }
    bool OneIn(std::uint32_t n) { return Below(n) == 0; }
    float Unit() { return static_cast<float>(Next() >> 8) / static_cast<float>(1u << 24); }

private:
    std::uint64_t state;
};

// A job runs until the flag it is given turns true.
using StressJob = std::function<void(const std::atomic<bool>& stop)>;

// Starts every job on a thread of its own, raises the flag after `seconds`
// and returns once all have ended.
void RunFor(double seconds, const std::vector<StressJob>& jobs);

// The same for as long as the caller needs, while it drives something of
// its own (an editor, say): the jobs start at once and are stopped by
// Stop() or the destructor, which return once all have ended.
class StressThreads {
public:
    explicit StressThreads(std::vector<StressJob> jobs);
    ~StressThreads();

    StressThreads(const StressThreads&) = delete;
    StressThreads& operator=(const StressThreads&) = delete;

    void Stop();

private:
    std::vector<StressJob> jobs;
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
};

}  // namespace tarvenna::host
