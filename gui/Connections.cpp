#include "gui/Connections.h"

#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

Display* dps = nullptr;
std::atomic<Display*> dp{nullptr};

namespace kvor::gui {

const char* ModuleDisplayName()
{
    const char* name = std::getenv("DISPLAY");
    return name ? name : ":0.0";
}

void OpenModuleConnection()
{
    XInitThreads();
    dps = XOpenDisplay(ModuleDisplayName());
    if (dps)
        XFlush(dps);
    else
        std::fputs("Error: XOpenDisplay failed.\n", stderr);
}

void CloseModuleConnection()
{
    if (dps)
        XCloseDisplay(dps);
    dps = nullptr;
}

Display* DisplayInUse()
{
    Display* host = dp.load();
    return host != nullptr ? host : dps;
}

}  // namespace kvor::gui
