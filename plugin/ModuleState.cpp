#include "plugin/ModuleState.h"

// Definition order is construction order within this file, and the loader
// runs it before the host can call in; unload runs it backwards. So the X
// connection opens first and closes last, and the machine inquiry and the
// colour table are built after it and freed before it.

namespace {

struct ModuleConnection {
    ModuleConnection() { kvor::gui::OpenModuleConnection(); }
    ~ModuleConnection() { kvor::gui::CloseModuleConnection(); }
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
        statdata.AddColoursOnce();
        kvor::gui::SetSharedResources(&statdata);
    }
    ~ModuleInquiry()
    {
        kvor::gui::SetSharedResources(nullptr);
        statdata.Clear();
    }
};

ModuleInquiry inquiry;

}  // namespace
