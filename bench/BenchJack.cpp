#include "bench/BenchJack.h"

#include "bench/BenchPool.h"

#include <ctime>
#include <dirent.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace bench {

namespace {

// The server runs under a name of its own, which its command line carries.
pid_t FindServer(const std::string& name)
{
    DIR* proc = opendir("/proc");
    if (proc == nullptr)
        return -1;
    pid_t found = -1;
    while (const dirent* entry = readdir(proc)) {
        const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
        if (pid <= 0)
            continue;
        std::ifstream file("/proc/" + std::string(entry->d_name) + "/cmdline");
        const std::string line{std::istreambuf_iterator<char>(file), {}};
        if (line.rfind("jackd", 0) == 0 && line.find(name) != std::string::npos) {
            found = pid;
            break;
        }
    }
    closedir(proc);
    return found;
}

}  // namespace

tarvenna::host::JackServer& BenchJackServer()
{
    static tarvenna::host::JackServer server(kBlockFrames);
    static const bool exported = (server.ExportServer(), true);
    (void)exported;
    return server;
}

std::optional<double> ServerCpuSeconds()
{
    static const pid_t pid = FindServer(BenchJackServer().Name());
    clockid_t clock;
    timespec now{};
    if (pid <= 0 || clock_getcpuclockid(pid, &clock) != 0 || clock_gettime(clock, &now) != 0)
        return std::nullopt;
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

}  // namespace bench
