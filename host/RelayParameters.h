// The relay's four parameters as our host addresses them, and the value
// the plug-in takes for a port.
#pragma once

#include "plugin/VstRecords.h"

namespace tarvenna::host {

constexpr VstInt32 kRelayMode = 0;
constexpr VstInt32 kRelayPort = 1;
constexpr VstInt32 kRelayThru = 2;
constexpr VstInt32 kRelayPanic = 3;
constexpr int kRelayPorts = 8;

// Ports 1 to 8 spread evenly over the parameter's 0 to 1.
inline float RelayPortValue(int port) { return static_cast<float>(port - 1) / (kRelayPorts - 1); }

}  // namespace tarvenna::host
