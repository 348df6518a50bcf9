#include "gui/SConnectionPump.h"

#include "gui/SControl.h"
#include "runtime/STimer.h"

#include <X11/Xlib.h>

#include <algorithm>

namespace kvor::gui {

namespace {

// How many batches of event handling the calling thread is inside: a
// thread that is must not wait for the pump, which may be waiting for it.
thread_local int handlingDepth = 0;

// Events handled per look, so that a flood cannot keep Stop waiting long.
constexpr int kBatch = 256;

}  // namespace

SConnectionPump::SConnectionPump() = default;

SConnectionPump::~SConnectionPump() { Shutdown(); }

SConnectionPump& SConnectionPump::ModuleConnection()
{
    static SConnectionPump pump;
    return pump;
}

SConnectionPump::Hold::Hold(SConnectionPump& owner) : pump(owner)
{
    pump.dispatching.lock();
    ++handlingDepth;
}

SConnectionPump::Hold::~Hold()
{
    --handlingDepth;
    pump.dispatching.unlock();
}

// A thread that found no users at its last look has stopped itself and
// only finishes its tick: it may still count as running, but it will not
// look again. A new user then gets a new thread, never that one.
bool SConnectionPump::Start(const void* user, Display* connection)
{
    if (connection == nullptr)
        return false;
    std::unique_ptr<threading::SPeriodicThread> ending;
    {
        std::lock_guard<std::mutex> guard(lock);
        if (std::find(users.begin(), users.end(), user) == users.end())
            users.push_back(user);
        if (worker != nullptr && worker->IsRunning() && !endingItself)
            return true;
        ending = std::move(worker);
    }
    // Waited for outside the lock, which its last tick may still take;
    // from inside event handling (the pump's own thread) it cannot be.
    if (ending != nullptr && handlingDepth == 0)
        ending->Stop();
    std::lock_guard<std::mutex> guard(lock);
    if (worker != nullptr && worker->IsRunning() && !endingItself)
        return true;
    display = connection;
    endingItself = false;
    worker = std::make_unique<threading::SPeriodicThread>();
    if (worker->Start(0, kPeriodMs, [this] { Tick(); }))
        return true;
    users.erase(std::remove(users.begin(), users.end(), user), users.end());
    return false;
}

std::unique_ptr<threading::SPeriodicThread> SConnectionPump::TakeWorker()
{
    std::lock_guard<std::mutex> guard(lock);
    return std::move(worker);
}

void SConnectionPump::Stop(const void* user)
{
    {
        std::lock_guard<std::mutex> guard(lock);
        users.erase(std::remove(users.begin(), users.end(), user), users.end());
        // Inside event handling the thread sees no users at its next look
        // and ends itself.
        if (!users.empty() || handlingDepth > 0)
            return;
    }
    std::unique_ptr<threading::SPeriodicThread> ending = TakeWorker();
    if (ending != nullptr)
        ending->Stop();
}

void SConnectionPump::Shutdown()
{
    {
        std::lock_guard<std::mutex> guard(lock);
        users.clear();
    }
    std::unique_ptr<threading::SPeriodicThread> ending = TakeWorker();
    if (ending != nullptr)
        ending->Stop();
}

bool SConnectionPump::IsRunning() const
{
    std::lock_guard<std::mutex> guard(lock);
    return worker != nullptr && worker->IsRunning();
}

bool SConnectionPump::IsUser(const void* user) const
{
    std::lock_guard<std::mutex> guard(lock);
    return std::find(users.begin(), users.end(), user) != users.end();
}

void SConnectionPump::Tick()
{
    Hold hold(*this);
    {
        std::lock_guard<std::mutex> guard(lock);
        if (users.empty()) {
            // Stopping from its own thread only asks it to end after this
            // tick.
            if (worker != nullptr && worker->OnThisThread()) {
                worker->Stop();
                endingItself = true;
            }
            return;
        }
    }
    Dispatch(display.load());
}

void SConnectionPump::Dispatch(Display* connection)
{
    if (connection == nullptr)
        return;
    for (int handled = 0; handled < kBatch && XPending(connection) > 0; ++handled) {
        XEvent event;
        XNextEvent(connection, &event);
        SControl::eventProc(&event);
    }
}

}  // namespace kvor::gui
