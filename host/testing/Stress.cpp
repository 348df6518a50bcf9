#include "host/testing/Stress.h"

#include <chrono>
#include <cstdlib>
#include <thread>
#include <utility>

namespace tarvenna::host {

double StressSeconds(double defaultSeconds)
{
    const char* text = std::getenv("TARVENNA_STRESS_SECONDS");
    if (text == nullptr || *text == 0)
        return defaultSeconds;
    const double scale = std::atof(text);
    return scale > 0.0 ? defaultSeconds * scale : defaultSeconds;
}

std::uint32_t StressRandom::Next()
{
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return static_cast<std::uint32_t>((state * 0x2545F4914F6CDD1Dull) >> 32);
}

void RunFor(double seconds, const std::vector<StressJob>& jobs)
{
    StressThreads running(jobs);
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

StressThreads::StressThreads(std::vector<StressJob> jobs) : jobs(std::move(jobs))
{
    for (const StressJob& job : this->jobs)
        threads.emplace_back([this, &job] { job(stop); });
}

StressThreads::~StressThreads() { Stop(); }

void StressThreads::Stop()
{
    stop = true;
    for (std::thread& thread : threads)
        if (thread.joinable())
            thread.join();
    threads.clear();
}

}  // namespace tarvenna::host
