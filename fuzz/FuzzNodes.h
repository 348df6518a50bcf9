// What the fuzz targets share: nodes made through the entry point, kept for
// the whole run (joining costs the 20 ms claim handshake), and the checks
// that make a finding of more than a crash.
#pragma once

#include "tests/stress/StressHost.h"

#include <cstddef>
#include <cstdint>

namespace fuzz {

// A node made through the module's entry point and switched on.
AEffect* MakeNode(stress::OutputStream* stream);

// Stops the run with the text when a check fails: libFuzzer keeps the input.
[[noreturn]] void Fail(const char* what, const char* detail = "");

// The tables are consistent, every node's saved settings are in range and
// every parameter reads within 0 to 1.
void CheckNode(AEffect* effect);
void CheckTables();

}  // namespace fuzz
