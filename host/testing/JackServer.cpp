#include "host/testing/JackServer.h"

#include "host/testing/ServerProcess.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <vector>

namespace tarvenna::host {

namespace {

std::atomic<int> serversStarted{0};

// jackd listens on a socket under /dev/shm named after the server and the
// user; it is there once the server takes clients.
std::string SocketPath(const std::string& name)
{
    return "/dev/shm/jack_" + name + "_" + std::to_string(getuid()) + "_0";
}

// Whether a client gets in within 10 s: jack_wait opens one and exits with
// 0 once the server took it. While a server is still setting up, jack_wait
// can also give up at once rather than wait (seen with several servers
// starting side by side), so it is asked again until the time is up or the
// server has ended (then `server` becomes -1).
bool TakesClients(const std::string& name, pid_t& server)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    do {
        pid_t probe = StartServer({"jack_wait", "-s", name, "-w", "-t", "10"});
        int status = 0;
        if (probe < 0 || waitpid(probe, &status, 0) != probe)
            return false;
        if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
            return true;
        if (waitpid(server, &status, WNOHANG) == server) {
            server = -1;
            return false;
        }
        SleepMs(50);
    } while (std::chrono::steady_clock::now() < until);
    return false;
}

}  // namespace

JackServer::JackServer(int periodFrames, int sampleRate)
    : name("tarvenna-" + std::to_string(getpid()) + "-" + std::to_string(serversStarted++)),
      periodFrames(periodFrames),
      sampleRate(sampleRate)
{
    Start();
}

JackServer::~JackServer() { Stop(); }

void JackServer::Start()
{
    if (pid > 0)
        return;
    error.clear();
    std::vector<std::string> words = {"jackd",
                                      "-n",
                                      name,
                                      "-t",
                                      "5000",
                                      "-d",
                                      "dummy",
                                      "-r",
                                      std::to_string(sampleRate),
                                      "-p",
                                      std::to_string(periodFrames)};
    // No desktop session to ask for a sound card: the dummy driver has none.
    pid = StartServer(words, {{"JACK_NO_AUDIO_RESERVATION", "1"}});
    if (pid < 0) {
        error = "fork failed";
        return;
    }
    if (!WaitUntilReady()) {
        Stop();
        if (error.empty())
            error = "jackd did not start (is the jackd2 package installed?)";
    }
}

void JackServer::ExportServer() { server.Set(name); }

bool JackServer::WaitUntilReady()
{
    struct stat info;
    for (int tries = 0; tries < 500; ++tries) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            pid = -1;
            return false;
        }
        if (stat(SocketPath(name).c_str(), &info) == 0) {
            // The socket comes a moment before the server takes clients (on
            // a loaded machine the module's client was once refused), and
            // that a moment before the driver runs.
            if (!TakesClients(name, pid)) {
                error =
                    "jackd " + name +
                    (pid < 0 ? " ended before it took a client" : " took no client within 10 s");
                return false;
            }
            SleepMs(100);
            return true;
        }
        SleepMs(20);
    }
    return false;
}

void JackServer::Stop() { EndServer(pid); }

}  // namespace tarvenna::host
