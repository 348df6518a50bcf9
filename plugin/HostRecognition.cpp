#include "plugin/HostRecognition.h"

#include "plugin/AudioEffectX.h"

#include <cstring>

namespace {

struct HostPattern {
    const char* text;
    int32_t kind;
};

// Searched in this order after "Cubase"; the first hit wins.
constexpr HostPattern kHostPatterns[] = {
    {"Samplitude", kHostSamplitude}, {"SAVIHost", kHostSaviHost},   {"Melodyne", kHostMelodyne},
    {"Tracktion", kHostTracktion},   {"Cantabile", kHostCantabile}, {"Phrazor", kHostPhrazor},
    {"Usine", kHostUsine},           {"energyXT", kHostEnergyXT},
};

// Indexed by host kind.
constexpr const char* kHostNames[] = {
    "(unknown)",  "Sonar",     "Energy XT", "Project 5",     "FL Studio",
    "Cantabile",  "SaviHost",  "Melodyne",  "Cubase/Nuendo", "Cubase4/Nuendo4",
    "Samplitude", "Tracktion", "Phrazor",   "Usine",
};
constexpr int32_t kHostNameCount = sizeof(kHostNames) / sizeof(kHostNames[0]);

constexpr int kHostTextSize = 128;

}  // namespace

int32_t RecogniseHost(AudioEffectX& host)
{
    char vendor[kHostTextSize] = {};
    char product[kHostTextSize] = {};
    host.getHostVendorString(vendor);
    host.getHostProductString(product);
    product[kHostTextSize - 1] = 0;

    if (product[0] == 0)
        return kHostUnknown;
    if (std::strstr(product, "Cubase") != nullptr)
        return host.getHostVendorVersion() > kCubase4Version ? kHostCubase4 : kHostCubase;
    for (const HostPattern& pattern : kHostPatterns)
        if (std::strstr(product, pattern.text) != nullptr)
            return pattern.kind;
    return kHostUnknown;
}

bool HostIsRefused(int32_t kind) { return kind == kHostUsine; }

const char* HostNameForKind(int32_t kind)
{
    if (kind < 0 || kind >= kHostNameCount)
        return kHostNames[0];
    return kHostNames[kind];
}
