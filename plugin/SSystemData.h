// What the machine offers, gathered once at module load, and whether the
// plug-in can run on it.
#pragma once

#include "plugin/SCpuData.h"
#include "plugin/SOperatingSystemData.h"
#include "plugin/SProcFiles.h"
#include "runtime/datastring.h"

#include <cstdint>

namespace kvor::gui {
class SDisplay;
}

namespace kvor::system {

class SSystemData {
public:
    using Text = kvor::data::datastring<32, char>;

    kvor::gui::SDisplay* displays;  // owned
    int32_t cpuMHz;
    int32_t reserved;
    int32_t cpuCount;
    uint8_t hasSSE;
    uint8_t hasSSE2;
    uint8_t hasMMX;
    uint8_t has3DNow;
    uint8_t osSupported;
    Text cpuText;
    Text osText;
    SOperatingSystemData osData;
    SCpuData cpuData;

    SSystemData();
    ~SSystemData();
    // Owns the display object; one inquiry per process, never copied.
    SSystemData(const SSystemData&) = delete;
    SSystemData& operator=(const SSystemData&) = delete;

    void getOSInfos(const SProcFiles& files = SProcFiles());
    void getCPUInfos(const SProcFiles& files = SProcFiles());
    void getDisplayInfos();

    bool Qualifies(bool withSSE, bool withSSE2) const;
    // What is missing for the plug-in to run, as a framed text.
    Text ErrorMessage(bool withSSE, bool withSSE2) const;
    // The whole machine, as a framed text.
    Text FeatureMessage() const;

private:
    void AppendScreen(Text& body) const;
};

}  // namespace kvor::system
