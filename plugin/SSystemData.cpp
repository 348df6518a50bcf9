#include "plugin/SSystemData.h"

namespace kvor::system {

SSystemData::SSystemData()
    : displays(nullptr), cpuMHz(0), reserved(0), cpuCount(0), hasSSE(0), hasSSE2(0),
      hasMMX(0), has3DNow(0), osSupported(0)
{
}

// The display object is never created yet (see getDisplayInfos), so there
// is nothing to free; deleting it needs its full type.
SSystemData::~SSystemData() = default;

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

void SSystemData::getDisplayInfos()
{
    // Monitors are filled once the toolkit's display object exists; until
    // then `displays` stays null and the report shows a 0 x 0 screen.
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
