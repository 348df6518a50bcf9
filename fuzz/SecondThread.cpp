#include "fuzz/SecondThread.h"

namespace balance {

SecondThread::SecondThread() : thread([this] { Run(); }) {}

SecondThread::~SecondThread()
{
    {
        std::lock_guard<std::mutex> guard(mutex);
        stopping = true;
    }
    changed.notify_all();
    thread.join();
}

void SecondThread::Post(std::function<void()> next)
{
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return !busy; });
    job = std::move(next);
    busy = true;
    lock.unlock();
    changed.notify_all();
}

void SecondThread::Wait()
{
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return !busy; });
}

void SecondThread::Run()
{
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        changed.wait(lock, [this] { return busy || stopping; });
        if (!busy)
            return;
        std::function<void()> current = std::move(job);
        lock.unlock();
        current();
        lock.lock();
        busy = false;
        changed.notify_all();
    }
}

}  // namespace balance
