// The names the bridge asks JACK for, each one exactly, so that a patchbay
// that restores connections by name finds the same client at every start,
// on jackd and on PipeWire alike (left to itself, jackd numbers a second
// client and PipeWire appends a node number that changes from run to run).
#pragma once

#include <string>
#include <vector>

// In the order to try: `chosen` (the user's; "Tarvenna" when empty), then
// it with the program's name, then with the program's name and a number.
// Each is cut to what JACK takes and holds no character a patchbay or a
// port name would trip on.
std::vector<std::string> ClientNames(const std::string& chosen, const std::string& program);

// This process's program name ("ardour", "tarvenna-host"); empty when the
// system does not say.
std::string ProgramName();
