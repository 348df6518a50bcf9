#include "module/ModuleState.h"

// Definition order is construction order within this file, and the loader
// runs it before the host can call in; unload runs it backwards. So the X
// connection opens first and closes last, and the machine inquiry and the
// colour table are filled after it and emptied before it. (The table
// itself, `statdata`, is the editor's and outlives all of this: see
// editor/SStaticData.cpp.)

namespace {

struct ModuleConnection {
    ModuleConnection() { kvor::gui::OpenModuleConnection(); }
    ~ModuleConnection() { kvor::gui::CloseModuleConnection(); }
};

ModuleConnection connection;

}  // namespace

kvor::system::SSystemData sd;

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
