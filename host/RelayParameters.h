// The value the plug-in takes for a port; the parameters' indices are the
// plug-in's own (plugin/ParameterIndex.h).
#pragma once

#include "plugin/ParameterIndex.h"

namespace tarvenna::host {

constexpr int kRelayPorts = 8;

// Ports 1 to 8 spread evenly over the parameter's 0 to 1.
inline float RelayPortValue(int port) { return static_cast<float>(port - 1) / (kRelayPorts - 1); }

}  // namespace tarvenna::host
