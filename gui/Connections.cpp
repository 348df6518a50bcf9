#include "gui/Connections.h"

#include "gui/XErrorTrap.h"

#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

Display* dps = nullptr;
std::atomic<Display*> dp{nullptr};

namespace kvor::gui {

namespace {

// The innermost UseConnection of this thread. A plain pointer: a
// thread_local with a destructor would keep the module loaded as long as
// any host thread that called us lives.
thread_local const ConnectionRef* scoped = nullptr;

}  // namespace

const char* ModuleDisplayName()
{
    const char* name = std::getenv("DISPLAY");
    return name ? name : ":0.0";
}

void OpenModuleConnection()
{
    XInitThreads();
    dps = XOpenDisplay(ModuleDisplayName());
    if (dps) {
        // No one but us makes requests here: a window of ours that went
        // with its host's window must not end the host through its handler.
        ClaimEveryError(dps);
        XFlush(dps);
    } else
        std::fputs("Error: XOpenDisplay failed.\n", stderr);
}

void CloseModuleConnection()
{
    if (dps)
        XCloseDisplay(dps);
    dps = nullptr;
}

void AdoptHostDisplay(Display* display)
{
    if (display != nullptr)
        dp.store(display);
}

void ForgetHostDisplay(Display* display)
{
    Display* expected = display;
    dp.compare_exchange_strong(expected, nullptr);
}

Display* DisplayInUse()
{
    if (scoped != nullptr)
        return *scoped != nullptr ? (*scoped)->Get() : nullptr;
    Display* host = dp.load();
    return host != nullptr ? host : dps;
}

ConnectionRef ConnectionInUse()
{
    if (scoped != nullptr)
        return *scoped;
    return TrackConnection(DisplayInUse());
}

UseConnection::UseConnection(ConnectionRef made) : connection(std::move(made)), outer(scoped)
{
    scoped = &connection;
}

UseConnection::~UseConnection() { scoped = outer; }

}  // namespace kvor::gui
