// JACK's own command-line tools (Debian's jackd2), run against the server
// that JACK_DEFAULT_SERVER names: what a user's patchbay would do.
#pragma once

#include <string>

namespace tarvenna::host::test {

// Every port of the server, one a line (jack_lsp).
std::string JackPorts();
bool HasJackPort(const std::string& port);
// Waits until the port is there (generous: the i386 programs start in an
// emulator).
bool WaitForJackPort(const std::string& port);
bool JackConnect(const std::string& from, const std::string& to);
bool JackDisconnect(const std::string& from, const std::string& to);
bool JackConnected(const std::string& from, const std::string& to);

// The notes of jack_midi_dump's output, "+60" for a note-on of key 60 and
// "-60" for a note-off (or a note-on with velocity 0), in order.
std::string DumpedNotes(const std::string& dump);

}  // namespace tarvenna::host::test
