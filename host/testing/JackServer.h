// A private JACK server for a test program or a benchmark: jackd with the
// dummy driver (no sound card), under a name of its own so that other
// programs' servers on the same machine are left alone. Started and
// stopped like our Xvfb.
#pragma once

#include "host/testing/ExportedVariable.h"

#include <string>
#include <sys/types.h>

namespace tarvenna::host {

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

    // Points JACK_DEFAULT_SERVER at this server, for this process and the
    // programs it starts (the previous value is restored by the destructor).
    void ExportServer();
    // Stops the server now, as when it goes away under its clients.
    void Stop();
    // Starts it again under the same name, as a user restarts a server.
    void Start();

private:
    bool WaitUntilReady();

    pid_t pid = -1;
    std::string name;
    int periodFrames;
    int sampleRate;
    std::string error;
    ExportedVariable server{"JACK_DEFAULT_SERVER"};
};

}  // namespace tarvenna::host
