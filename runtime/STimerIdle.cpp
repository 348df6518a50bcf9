#include "runtime/STimerIdle.h"

#include "runtime/STimer.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace kvor::threading {

namespace {

struct IdleEntry {
    void* argument;
    STimerIdle::Function* function;

    bool operator==(const IdleEntry& other) const
    {
        return argument == other.argument && function == other.function;
    }
};

// The process-wide idle state. `control` orders starting and stopping the
// thread and is never taken by the idle thread, so a stop may wait for the
// thread while holding it; `list` guards the entries and the call marker.
struct IdleState {
    std::mutex control;
    std::mutex list;
    std::condition_variable callEnded;
    std::vector<IdleEntry> entries;
    bool inCall = false;
    IdleEntry calling{nullptr, nullptr};
    SPeriodicThread thread;

    // At unload: the thread must be gone before the list it walks.
    ~IdleState() { thread.Stop(); }
};

IdleState& State()
{
    static IdleState state;
    return state;
}

// One pass over the list, by index from the first; the bounds are read
// again after each call, since a call may add or remove entries.
void IdlePass()
{
    IdleState& state = State();
    std::unique_lock<std::mutex> guard(state.list);
    for (size_t i = 0; i < state.entries.size(); ++i) {
        const IdleEntry entry = state.entries[i];
        if (entry.function == nullptr || *entry.function == nullptr)
            continue;
        state.inCall = true;
        state.calling = entry;
        guard.unlock();
        (*entry.function)(entry.argument);
        guard.lock();
        state.inCall = false;
        state.callEnded.notify_all();
    }
}

// Called with state.control held.
void EnsureRunning(IdleState& state, int periodMs)
{
    if (state.thread.IsRunning())
        return;
    state.thread.Start(2, periodMs > 0 ? static_cast<unsigned>(periodMs) : 0u, IdlePass);
}

// Called with state.control held and state.list not held: the idle thread
// needs the list lock to finish its pass.
void StopIfEmpty(IdleState& state)
{
    bool empty;
    {
        std::lock_guard<std::mutex> guard(state.list);
        empty = state.entries.empty();
    }
    if (empty)
        state.thread.Stop();
}

void Remove(IdleState& state, const IdleEntry& entry)
{
    std::unique_lock<std::mutex> guard(state.list);
    const auto found = std::find(state.entries.begin(), state.entries.end(), entry);
    if (found != state.entries.end())
        state.entries.erase(found);
    // The idle thread itself may remove the entry it is running; it must
    // not wait for its own call.
    if (!state.thread.OnThisThread())
        state.callEnded.wait(guard, [&] { return !(state.inCall && state.calling == entry); });
}

}  // namespace

STimerIdle::STimerIdle(STimerTarget* target, int identifier, int periodMs, bool flag)
    : target(target),
      identifier(identifier),
      periodMs(periodMs),
      flag(flag)
{
    IdleState& state = State();
    std::lock_guard<std::mutex> guard(state.control);
    EnsureRunning(state, periodMs);
}

STimerIdle::~STimerIdle()
{
    IdleState& state = State();
    std::lock_guard<std::mutex> guard(state.control);
    Remove(state, IdleEntry{argument, function});
    StopIfEmpty(state);
}

void STimerIdle::SetFunction(Function* newFunction, void* newArgument)
{
    function = newFunction;
    argument = newArgument;
}

void STimerIdle::AddEntry()
{
    IdleState& state = State();
    std::lock_guard<std::mutex> guard(state.control);
    {
        std::lock_guard<std::mutex> listGuard(state.list);
        const IdleEntry entry{argument, function};
        if (std::find(state.entries.begin(), state.entries.end(), entry) == state.entries.end())
            state.entries.push_back(entry);
    }
    EnsureRunning(state, periodMs);
}

void STimerIdle::RemoveEntry()
{
    IdleState& state = State();
    std::lock_guard<std::mutex> guard(state.control);
    Remove(state, IdleEntry{argument, function});
    StopIfEmpty(state);
}

bool STimerIdle::IdleThreadRunning()
{
    IdleState& state = State();
    std::lock_guard<std::mutex> guard(state.control);
    return state.thread.IsRunning();
}

size_t STimerIdle::EntryCount()
{
    IdleState& state = State();
    std::lock_guard<std::mutex> guard(state.list);
    return state.entries.size();
}

bool STimerIdle::OnIdleThread()
{
    IdleState& state = State();
    std::lock_guard<std::mutex> guard(state.control);
    return state.thread.OnThisThread();
}

}  // namespace kvor::threading
