// A host thread of its own that runs one job at a time while the caller
// goes on: the settings thread of a host whose audio thread keeps playing.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace balance {

class SecondThread {
public:
    SecondThread();
    ~SecondThread();
    SecondThread(const SecondThread&) = delete;
    SecondThread& operator=(const SecondThread&) = delete;

    // Waits for the job before to end, then hands this one over and
    // returns at once.
    void Post(std::function<void()> job);
    // Returns once no job runs or waits.
    void Wait();

private:
    void Run();

    std::mutex mutex;
    std::condition_variable changed;
    std::function<void()> job;
    bool busy = false;
    bool stopping = false;
    std::thread thread;
};

}  // namespace balance
