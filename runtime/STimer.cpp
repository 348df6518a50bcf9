#include "runtime/STimer.h"

#include "runtime/SThread.h"

#include <sched.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <mutex>
#include <vector>

namespace kvor::threading {

struct SWorkerShared {
    std::mutex lock;
    std::condition_variable wake;
    bool stop = false;
    unsigned periodMs = 0;
    SPeriodicThread::Tick tick;
    pthread_t thread{};
    std::atomic<bool> finished{false};
};

namespace {

// Every worker whose thread has not been waited for yet. Whoever takes an
// entry out of the list is the one who joins its thread. Every worker
// object touches it when it is made, so the registry is built before, and
// destroyed after, any static object that holds a worker.
struct Registry {
    std::mutex lock;
    std::vector<std::shared_ptr<SWorkerShared>> workers;
    std::atomic<unsigned> live{0};
};

Registry& TheRegistry()
{
    static Registry registry;
    return registry;
}

void SignalStop(SWorkerShared& shared)
{
    {
        std::lock_guard<std::mutex> guard(shared.lock);
        shared.stop = true;
    }
    shared.wake.notify_all();
}

bool TakeOut(const std::shared_ptr<SWorkerShared>& shared)
{
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    const auto found = std::find(registry.workers.begin(), registry.workers.end(), shared);
    if (found == registry.workers.end())
        return false;
    registry.workers.erase(found);
    return true;
}

// Joins the workers that stopped themselves from inside their tick and have
// returned since.
void CollectFinished()
{
    std::vector<std::shared_ptr<SWorkerShared>> done;
    {
        Registry& registry = TheRegistry();
        std::lock_guard<std::mutex> guard(registry.lock);
        auto& workers = registry.workers;
        for (auto it = workers.begin(); it != workers.end();) {
            if ((*it)->finished.load()) {
                done.push_back(*it);
                it = workers.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (const auto& shared : done)
        pthread_join(shared->thread, nullptr);
}

void RunTicks(SWorkerShared& shared)
{
    std::unique_lock<std::mutex> guard(shared.lock);
    while (!shared.stop) {
        guard.unlock();
        shared.tick();
        guard.lock();
        shared.wake.wait_for(guard, std::chrono::milliseconds(shared.periodMs),
                             [&shared] { return shared.stop; });
    }
}

void* WorkerMain(void* argument)
{
    // The thread keeps its own reference: the owner may drop its handle
    // while the tick is still running.
    std::shared_ptr<SWorkerShared> shared(
        std::move(*static_cast<std::shared_ptr<SWorkerShared>*>(argument)));
    delete static_cast<std::shared_ptr<SWorkerShared>*>(argument);
    RunTicks(*shared);
    shared->tick = nullptr;
    shared->finished = true;
    TheRegistry().live.fetch_sub(1);
    return nullptr;
}

// A joinable thread at the priority SThread gives the same level; the
// thread itself runs under SCHED_OTHER, which needs no privileges.
bool Launch(int32_t level, SWorkerShared& shared, void* argument)
{
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0)
        return false;
    int policy = 0;
    bool started = false;
    if (pthread_attr_getschedpolicy(&attributes, &policy) == 0) {
        sched_param parameters{};
        parameters.sched_priority =
            SThread::PriorityFor(level, std::max(0, sched_get_priority_min(SCHED_OTHER)),
                                 std::max(0, sched_get_priority_max(SCHED_OTHER)));
        pthread_attr_setschedpolicy(&attributes, SCHED_OTHER);
        pthread_attr_setschedparam(&attributes, &parameters);
        started = pthread_create(&shared.thread, &attributes, WorkerMain, argument) == 0;
    }
    pthread_attr_destroy(&attributes);
    return started;
}

// Waits for every worker at unload. It is made when the first worker
// starts, after the module's own start-up objects (its X connection among
// them), so it is destroyed before them: no worker outlives the display it
// may be drawing on.
struct UnloadGuard {
    ~UnloadGuard() { SPeriodicThread::StopAll(); }
};

void ArmUnloadGuard()
{
    TheRegistry();  // built first, so it outlives the guard
    static UnloadGuard guard;
    (void)guard;
}

}  // namespace

SPeriodicThread::SPeriodicThread() { TheRegistry(); }

SPeriodicThread::~SPeriodicThread() { Stop(); }

bool SPeriodicThread::Start(int32_t level, unsigned periodMs, Tick tick)
{
    ArmUnloadGuard();
    Stop();
    CollectFinished();
    auto fresh = std::make_shared<SWorkerShared>();
    fresh->periodMs = periodMs;
    fresh->tick = std::move(tick);
    Registry& registry = TheRegistry();
    // Registered before the thread exists, so StopAll can never miss it.
    {
        std::lock_guard<std::mutex> guard(registry.lock);
        registry.workers.push_back(fresh);
    }
    registry.live.fetch_add(1);
    auto* argument = new std::shared_ptr<SWorkerShared>(fresh);
    // Set before the thread can run: its first tick may already stop this
    // worker, or even delete it, so nothing of ours is touched once the
    // lock below is released.
    shared = fresh;
    bool started;
    {
        // The new thread takes this lock first, so it sees its own handle.
        std::lock_guard<std::mutex> guard(fresh->lock);
        started = Launch(level, *fresh, argument);
    }
    if (!started) {
        shared = nullptr;
        delete argument;
        registry.live.fetch_sub(1);
        TakeOut(fresh);
    }
    return started;
}

bool SPeriodicThread::OnThisThread() const
{
    return shared != nullptr && pthread_equal(pthread_self(), shared->thread);
}

void SPeriodicThread::Stop()
{
    if (shared == nullptr)
        return;
    std::shared_ptr<SWorkerShared> stopping = std::move(shared);
    shared = nullptr;
    SignalStop(*stopping);
    if (pthread_equal(pthread_self(), stopping->thread))
        return;  // left in the registry; collected once it has returned
    if (TakeOut(stopping)) {
        pthread_join(stopping->thread, nullptr);
        return;
    }
    // Someone else (StopAll at unload) joins it; still, the caller must not
    // go on before the thread has left its tick.
    while (!stopping->finished.load())
        sched_yield();
}

unsigned SPeriodicThread::LiveThreads() { return TheRegistry().live.load(); }

void SPeriodicThread::StopAll()
{
    std::vector<std::shared_ptr<SWorkerShared>> all;
    {
        Registry& registry = TheRegistry();
        std::lock_guard<std::mutex> guard(registry.lock);
        all.swap(registry.workers);
    }
    for (const auto& shared : all)
        SignalStop(*shared);
    for (const auto& shared : all) {
        if (!pthread_equal(pthread_self(), shared->thread))
            pthread_join(shared->thread, nullptr);
    }
}

// --- STimerObject -----------------------------------------------------------

STimerObject::STimerObject() = default;

STimerObject::~STimerObject() { Stop(); }

void STimerObject::Start(STimerTarget* newTarget, int newIdentifier, int periodMs)
{
    Stop();
    period = periodMs;
    identifier = newIdentifier;
    target = newTarget;
    active = true;

    // The thread gets copies: a listener may stop and delete this timer
    // from inside a tick, while the thread is still running it.
    STimerTarget* ticked = target;
    const int tickIdentifier = identifier;
    worker = std::make_unique<SPeriodicThread>();
    const unsigned pause = periodMs > 0 ? static_cast<unsigned>(periodMs) : 0u;
    // Last: a listener may stop and delete this timer from the first tick.
    worker->Start(2, pause, [ticked, tickIdentifier] {
        if (ticked != nullptr)
            ticked->TimerTick(tickIdentifier);
    });
}

void STimerObject::Stop()
{
    active = false;
    if (worker != nullptr) {
        worker->Stop();
        worker.reset();
    }
    identifier = 0;
}

// --- STimer ---------------------------------------------------------------------

STimer::STimer(STimerTarget* target, unsigned identifier, unsigned unused)
    : target(target),
      unused(unused),
      identifier(identifier),
      worker(new STimerObject)
{
}

STimer::~STimer()
{
    if (running.load())
        worker->Stop();
    delete worker;
}

// The worker starts last: from its first tick on, a listener may stop and
// delete this timer.
void STimer::Start(unsigned periodMs)
{
    period = periodMs;
    running = true;
    worker->Start(target, static_cast<int>(identifier), static_cast<int>(periodMs));
}

void STimer::Stop()
{
    worker->Stop();
    running = false;
}

}  // namespace kvor::threading
