// The private JACK server the JACK benchmarks share (dummy backend, a
// 64-frame period at 48 kHz), and the CPU time it has used.
#pragma once

#include "host/testing/JackServer.h"

#include <optional>

namespace bench {

// Started on first use; JACK_DEFAULT_SERVER points at it from then on.
tarvenna::host::JackServer& BenchJackServer();

// CPU seconds the server process has used so far; nullopt when its clock
// cannot be read.
std::optional<double> ServerCpuSeconds();

}  // namespace bench
