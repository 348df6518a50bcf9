// Reads the events of an X connection that nobody else reads and hands
// them to the toolkit's event procedure, from a thread of ours.
//
// The module's own connection is such a connection: a window made on it
// (the info box before any editor has been opened, an editor whose host
// gave no display) would never paint and never answer clicks, because the
// host dispatches only the events of its own display. Each user of the
// pump says when it needs it (Start) and when it no longer does (Stop);
// the thread runs while at least one user needs it.
//
// Code that changes windows the pump dispatches for takes a Hold, so that
// it never runs while one of their events is being handled.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

typedef struct _XDisplay Display;

namespace kvor::threading {
class SPeriodicThread;
}

namespace kvor::gui {

class SConnectionPump {
public:
    // How often the thread looks for events.
    static constexpr unsigned kPeriodMs = 10;

    SConnectionPump();
    // Stops the thread and waits for it.
    ~SConnectionPump();

    SConnectionPump(const SConnectionPump&) = delete;
    SConnectionPump& operator=(const SConnectionPump&) = delete;

    // The pump of the module's own connection (dps), shared by every window
    // made on it. It lives until the module is unloaded.
    static SConnectionPump& ModuleConnection();

    // Registers a user (any address that names it; a user counts once) and
    // starts the thread on the display if it is not running. False when
    // there is no display or the thread could not start.
    bool Start(const void* user, Display* display);
    // Unregisters the user; after the last one the thread ends. Called
    // outside event handling it waits until the thread has left (so not
    // while holding the display lock, which the thread may be waiting
    // for); from inside (an OK button that closes its box) the thread ends
    // by itself once the event is handled.
    void Stop(const void* user);
    // Ends the thread whatever the users, and waits for it.
    void Shutdown();

    bool IsRunning() const;
    bool IsUser(const void* user) const;
    Display* GetDisplay() const { return display.load(); }

    // Keeps the pump from handling events while it lives; may be taken
    // again on a thread that already holds it, also inside event handling.
    class Hold {
    public:
        explicit Hold(SConnectionPump& pump);
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        SConnectionPump& pump;
    };

private:
    void Tick();
    void Dispatch(Display* connection);
    // Takes the worker out under the lock for the caller to stop outside it.
    std::unique_ptr<threading::SPeriodicThread> TakeWorker();

    mutable std::mutex lock;  // users, worker
    std::vector<const void*> users;
    std::unique_ptr<threading::SPeriodicThread> worker;
    std::atomic<Display*> display{nullptr};
    // Set under `lock` when the thread has stopped itself for want of users.
    bool endingItself = false;
    // Held around every batch of events the thread hands on, and by Hold.
    std::recursive_mutex dispatching;
};

}  // namespace kvor::gui
