// The operating system as the kernel describes itself, and whether its
// release is one the plug-in runs on.
#pragma once

#include "plugin/SProcFiles.h"

#include <cstdint>

namespace kvor::system {

class SOperatingSystemData {
public:
    static constexpr unsigned kTextSize = 256;

    // Kernel type, release and version one after the other, as the files
    // give them (newlines included), cut at kTextSize - 1 characters.
    char text[kTextSize];
    uint8_t releaseAccepted;
    uint8_t queried;

    SOperatingSystemData();

    void Query(const SProcFiles& files);

private:
    void AppendText(const char* contents);
};

// True when a release text reads as a number below 2.4 (held in single
// precision, so a release of exactly "2.4" is refused as well).
bool ReleaseTooOld(const char* release);

}  // namespace kvor::system
