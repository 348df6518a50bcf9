#include "host/testing/JackServer.h"

#include "host/testing/ServerProcess.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace tarvenna::host {

namespace {

std::atomic<int> serversStarted{0};

// jackd listens on a socket under /dev/shm named after the server and the
// user, PipeWire on one in its runtime folder; it is there a moment before
// the server takes clients.
std::string SocketPath(JackServerKind kind, const std::string& name, const std::string& folder)
{
    return kind == JackServerKind::PipeWire
               ? folder + "/pipewire-0"
               : "/dev/shm/jack_" + name + "_" + std::to_string(getuid()) + "_0";
}

// Whether a client gets in within 10 s (PipeWire's libjack takes a server's
// name for the name of its socket, so the default one is asked there):
// jack_wait opens one and exits with
// 0 once the server took it. While a server is still setting up, jack_wait
// can also give up at once rather than wait (seen with several servers
// starting side by side), so it is asked again until the time is up or the
// server has ended (then `server` becomes -1).
}  // namespace

bool JackTakesClients(JackServerKind kind, const std::string& name,
                      const std::vector<std::pair<std::string, std::string>>& environment,
                      pid_t& server)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    do {
        if (RunToEnd(kind == JackServerKind::PipeWire
                         ? std::vector<std::string>{"jack_wait", "-w", "-t", "10"}
                         : std::vector<std::string>{"jack_wait", "-s", name, "-w", "-t", "10"},
                     environment))
            return true;
        int status = 0;
        if (waitpid(server, &status, WNOHANG) == server) {
            server = -1;
            return false;
        }
        SleepMs(50);
    } while (std::chrono::steady_clock::now() < until);
    return false;
}

JackServerKind TestJackServerKind()
{
    const char* kind = std::getenv("TARVENNA_TEST_JACK_SERVER");
    return kind != nullptr && std::strcmp(kind, "pipewire") == 0 ? JackServerKind::PipeWire
                                                                 : JackServerKind::Jackd;
}

JackServer::JackServer(int periodFrames, int sampleRate)
    : kind(TestJackServerKind()),
      name("tarvenna-" + std::to_string(getpid()) + "-" + std::to_string(serversStarted++)),
      periodFrames(periodFrames),
      sampleRate(sampleRate)
{
    if (kind == JackServerKind::PipeWire) {
        std::string folder = "/tmp/" + name + "-XXXXXX";
        if (mkdtemp(folder.data()) != nullptr)
            runtimeFolder = folder;
    }
    Start();
}

JackServer::~JackServer()
{
    Stop();
    if (!runtimeFolder.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(runtimeFolder, ignored);
    }
}

std::vector<std::string> JackServer::ServerWords() const
{
    if (kind == JackServerKind::PipeWire)
        return {"pipewire"};
    return {"jackd",
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
}

// jackd: no desktop session to ask for a sound card (the dummy driver has
// none). PipeWire: its own folder, and no session bus to look for.
std::vector<std::pair<std::string, std::string>> JackServer::ServerEnvironment() const
{
    if (kind == JackServerKind::PipeWire)
        return {{"XDG_RUNTIME_DIR", runtimeFolder}, {"DBUS_SESSION_BUS_ADDRESS", "disabled:"}};
    return {{"JACK_NO_AUDIO_RESERVATION", "1"}};
}

void JackServer::Start()
{
    if (pid > 0)
        return;
    error.clear();
    if (kind == JackServerKind::PipeWire && runtimeFolder.empty()) {
        error = "no runtime folder for PipeWire under /tmp";
        return;
    }
    pid = StartServer(ServerWords(), ServerEnvironment());
    if (pid < 0) {
        error = "fork failed";
        return;
    }
    if (!WaitUntilReady() || !SetPipeWireClock()) {
        Stop();
        if (error.empty())
            error = kind == JackServerKind::PipeWire
                        ? "pipewire did not start (are pipewire and pipewire-jack installed?)"
                        : "jackd did not start (is the jackd2 package installed?)";
    }
}

// PipeWire's graph runs at 48 kHz in periods of 1024 unless told otherwise.
bool JackServer::SetPipeWireClock()
{
    if (kind != JackServerKind::PipeWire || (periodFrames == 1024 && sampleRate == 48000))
        return true;
    const auto set = [&](const char* key, int value) {
        return RunToEnd({"pw-metadata", "-n", "settings", "0", key, std::to_string(value)},
                        ServerEnvironment());
    };
    if (set("clock.force-rate", sampleRate) && set("clock.force-quantum", periodFrames))
        return true;
    error = "pw-metadata could not set PipeWire's period and rate";
    return false;
}

bool JackServer::SetPeriod(int frames)
{
    const std::string value = std::to_string(frames);
    if (kind == JackServerKind::PipeWire)
        return RunToEnd({"pw-metadata", "-n", "settings", "0", "clock.force-quantum", value},
                        ServerEnvironment());
    std::vector<std::pair<std::string, std::string>> environment = ServerEnvironment();
    environment.emplace_back("JACK_DEFAULT_SERVER", name);
    return RunToEnd({"jack_bufsize", value}, environment);
}

void JackServer::ExportServer()
{
    server.Set(name);
    if (kind == JackServerKind::PipeWire)
        runtime.Set(runtimeFolder);
}

// PipeWire's libjack ignores the server's name: an empty runtime folder is
// where no PipeWire runs.
void JackServer::ExportAbsentServer(const std::string& absent)
{
    server.Set(absent);
    if (kind != JackServerKind::PipeWire)
        return;
    const std::string nowhere = runtimeFolder + "/" + absent;
    mkdir(nowhere.c_str(), 0700);
    runtime.Set(nowhere);
}

bool JackServer::WaitUntilReady()
{
    struct stat info;
    for (int tries = 0; tries < 500; ++tries) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            pid = -1;
            return false;
        }
        if (stat(SocketPath(kind, name, runtimeFolder).c_str(), &info) == 0) {
            // The socket comes a moment before the server takes clients (on
            // a loaded machine the module's client was once refused), and
            // that a moment before the driver runs.
            if (!JackTakesClients(kind, name, ServerEnvironment(), pid)) {
                error =
                    std::string(kind == JackServerKind::PipeWire ? "pipewire " : "jackd ") + name +
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
