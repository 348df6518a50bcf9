// A private JACK server for a test program or a benchmark, started and
// stopped like our Xvfb, leaving other programs' servers on the machine
// alone: jackd with the dummy driver (no sound card) under a name of its
// own, or, when TARVENNA_TEST_JACK_SERVER is "pipewire", a PipeWire daemon
// (its default graph runs on a dummy driver) with a runtime folder of its
// own. A PipeWire test program runs with PipeWire's libjack first on
// LD_LIBRARY_PATH, as `pw-jack` sets it, and so does every program it
// starts.
#pragma once

#include "host/testing/ExportedVariable.h"

#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace tarvenna::host {

enum class JackServerKind { Jackd, PipeWire };

// The kind TARVENNA_TEST_JACK_SERVER asks for; jackd when it is not set.
JackServerKind TestJackServerKind();

// Whether the server `name` (PipeWire: the one in XDG_RUNTIME_DIR) takes a
// client within 10 s, asked with jack_wait under `environment`; `server`
// (its pid) becomes -1 when it ended meanwhile.
bool JackTakesClients(JackServerKind kind, const std::string& name,
                      const std::vector<std::pair<std::string, std::string>>& environment,
                      pid_t& server);

class JackServer {
public:
    // A period of `periodFrames` at `sampleRate`.
    explicit JackServer(int periodFrames = 1024, int sampleRate = 48000);
    ~JackServer();

    JackServer(const JackServer&) = delete;
    JackServer& operator=(const JackServer&) = delete;

    // True once the server accepts clients; Error() says why not.
    bool Running() const { return pid > 0; }
    const std::string& Error() const { return error; }
    pid_t Pid() const { return pid; }
    // The server's name, as jackd's -n and JACK_DEFAULT_SERVER take it.
    const std::string& Name() const { return name; }
    JackServerKind Kind() const { return kind; }

    // Points JACK clients at this server (JACK_DEFAULT_SERVER, and
    // XDG_RUNTIME_DIR for PipeWire), for this process and the programs it
    // starts (the previous values are restored by the destructor).
    void ExportServer();
    // Points them instead at a server of this name that does not run.
    void ExportAbsentServer(const std::string& absent);
    // Stops the server now, as when it goes away under its clients.
    void Stop();
    // Starts it again under the same name, as a user restarts a server.
    void Start();
    // Changes the period while clients run (jack_bufsize; PipeWire's forced
    // quantum); false when the server refused.
    bool SetPeriod(int frames);

private:
    std::vector<std::string> ServerWords() const;
    std::vector<std::pair<std::string, std::string>> ServerEnvironment() const;
    bool WaitUntilReady();
    bool SetPipeWireClock();

    JackServerKind kind;
    pid_t pid = -1;
    std::string name;
    int periodFrames;
    int sampleRate;
    std::string runtimeFolder;  // PipeWire's: its socket and lock
    std::string error;
    ExportedVariable server{"JACK_DEFAULT_SERVER"};
    ExportedVariable runtime{"XDG_RUNTIME_DIR"};
};

}  // namespace tarvenna::host
