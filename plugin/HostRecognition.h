// Which host the plug-in runs in, from the host's product string, and the
// one host the plug-in refuses. The editor asks at construction; the
// plug-in base names the host by the kind in its load-failure text.
#pragma once

#include "plugin/VstRecords.h"

#include <cstdint>

class AudioEffectX;

enum HostKind : int32_t {
    kHostUnknown = 0,
    kHostEnergyXT = 2,
    kHostCantabile = 5,
    kHostSaviHost = 6,
    kHostMelodyne = 7,
    kHostCubase = 8,
    kHostCubase4 = 9,
    kHostSamplitude = 10,
    kHostTracktion = 11,
    kHostPhrazor = 12,
    kHostUsine = 13,
};

// Vendor versions above this are Cubase 4 and later.
inline constexpr VstInt32 kCubase4Version = 0x2007;

// Asks the host for its vendor and product strings (the vendor's plays no
// part) and, for Cubase only, its vendor version: the kind is the first of
// a fixed list of case-sensitive substrings found in the product string;
// kHostUnknown for an empty one.
int32_t RecogniseHost(AudioEffectX& host);
// Whether the plug-in refuses to load in a host of this kind.
bool HostIsRefused(int32_t kind);
// The host's name for a kind, "(unknown)" outside the table; a constant.
const char* HostNameForKind(int32_t kind);
