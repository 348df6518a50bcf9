#include "plugin/SSystemData.h"

#include "gui/Connections.h"
#include "gui/SDisplay.h"

namespace kvor::system {

SSystemData::SSystemData()
    : displays(nullptr),
      cpuMHz(0),
      reserved(0),
      cpuCount(0),
      hasSSE(0),
      hasSSE2(0),
      hasMMX(0),
      has3DNow(0),
      osSupported(0)
{
}

SSystemData::~SSystemData()
{
    if (kvor::gui::SDisplay::ProcessMonitors() == displays)
        kvor::gui::SDisplay::SetProcessMonitors(nullptr);
    delete displays;
    displays = nullptr;
}

void SSystemData::getOSInfos(const SProcFiles& files)
{
    osData.Query(files);
    osText.Clear(false);
    osText.Append(osData.text);
    osSupported = osData.releaseAccepted;
}

void SSystemData::getCPUInfos(const SProcFiles& files)
{
    cpuData.Query(files.cpuinfo);
    cpuCount = cpuData.count;
    cpuMHz = cpuData.mhz;
    cpuText.Clear(false);
    cpuText.Append("CPU Type: ").Append(cpuData.vendor);
    cpuText.Append("\nCPU Model: ").Append(cpuData.model);
    cpuText.Append("\nCPU Count: ").Append(16, "%i", cpuCount);
    hasMMX = (cpuData.features & SCpuData::kMMX) != 0;
    hasSSE = (cpuData.features & SCpuData::kSSE) != 0;
    hasSSE2 = (cpuData.features & SCpuData::kSSE2) != 0;
    has3DNow = (cpuData.features & SCpuData::k3DNow) != 0;
}

// Read once: the monitors do not change for the life of the module. Without
// an X connection there is nothing to read, and `displays` stays null so
// that a later call, once a connection exists, can still fill it.
void SSystemData::getDisplayInfos()
{
    if (displays != nullptr || kvor::gui::DisplayInUse() == nullptr)
        return;
    displays = new kvor::gui::SDisplay();
    displays->AllMonitorRects();
    kvor::gui::SDisplay::SetProcessMonitors(displays);
}

bool SSystemData::Qualifies(bool withSSE, bool withSSE2) const
{
    const bool base = osSupported && hasMMX;
    if (withSSE2)
        return base && hasSSE && hasSSE2;
    if (withSSE)
        return base && hasSSE;
    return base;
}

}  // namespace kvor::system
