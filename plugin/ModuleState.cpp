#include "plugin/ModuleState.h"

#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

// Definition order is construction order within this file, and the loader
// runs it before the host can call in; unload runs it backwards. So the X
// connection opens first and closes last, and the machine inquiry and the
// colour table are built after it and freed before it.

Display* dps = nullptr;
std::atomic<Display*> dp{nullptr};

const char* ModuleDisplayName()
{
    const char* name = std::getenv("DISPLAY");
    return name ? name : ":0.0";
}

namespace {

struct ModuleConnection {
    ModuleConnection()
    {
        // Hosts and our own timer threads share Xlib; it must know before
        // any other Xlib call of the process.
        XInitThreads();
        dps = XOpenDisplay(ModuleDisplayName());
        if (dps)
            XFlush(dps);
        else
            std::fputs("Error: XOpenDisplay failed.\n", stderr);
    }
    ~ModuleConnection()
    {
        if (dps)
            XCloseDisplay(dps);
        dps = nullptr;
    }
};

ModuleConnection connection;

}  // namespace

kvor::system::SSystemData sd;
SStaticData statdata;

namespace {

struct ModuleInquiry {
    ModuleInquiry()
    {
        sd.getOSInfos();
        sd.getCPUInfos();
        sd.getDisplayInfos();
        statdata.AddColours();
    }
    ~ModuleInquiry() { statdata.Clear(); }
};

ModuleInquiry inquiry;

}  // namespace
