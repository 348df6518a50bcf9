// What the fuzz targets share: nodes made through the plug-in's entry point
// under our host library, kept for the whole run (joining costs the 20 ms
// claim handshake), and the checks that make a finding of more than a crash.
#pragma once

#include "host/Host.h"
#include "host/MidiBlock.h"
#include "host/testing/MidiOutputCheck.h"

#include <cstddef>
#include <cstdint>

namespace fuzz {

using tarvenna::host::HostInstance;
using tarvenna::host::MidiOutputCheck;

// A node switched on, whose MIDI goes to `check` (which must outlive it).
// Kept until the process ends: the host library's tables are gone by the
// time static objects are destroyed, so the node is never closed.
HostInstance* MakeNode(MidiOutputCheck& check);

// Stops the run with the text when a check fails: libFuzzer keeps the input.
[[noreturn]] void Fail(const char* what, const char* detail = "");

// The tables are consistent, every node's saved settings are in range and
// every parameter reads within 0 to 1.
void CheckNode(HostInstance& node);
void CheckTables();

}  // namespace fuzz
