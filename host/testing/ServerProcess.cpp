#include "host/testing/ServerProcess.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tarvenna::host {

pid_t StartServer(std::vector<std::string> words,
                  const std::vector<std::pair<std::string, std::string>>& environment)
{
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    // A test program that crashes must not leave its server behind.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    // Keep the server's chatter out of the test's output.
    const int devnull = open("/dev/null", O_WRONLY);
    dup2(devnull, 1);
    dup2(devnull, 2);
    for (const auto& [name, value] : environment)
        setenv(name.c_str(), value.c_str(), 1);
    execvp(argv[0], argv.data());
    _exit(127);
}

namespace {

void Reap(pid_t pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace

// A test must not hang on a server that does not quit: a test program
// once sat at its end, with nothing left to do but end its Xvfb, until its
// two minutes ran out.
void EndServer(pid_t& pid, std::chrono::milliseconds grace)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    const auto giveUp = std::chrono::steady_clock::now() + grace;
    int status = 0;
    pid_t ended = 0;
    while ((ended = waitpid(pid, &status, WNOHANG)) == 0 &&
           std::chrono::steady_clock::now() < giveUp)
        SleepMs(5);
    if (ended == 0) {
        std::fprintf(stderr, "server process %d did not end within %lld ms of SIGTERM: killed\n",
                     static_cast<int>(pid), static_cast<long long>(grace.count()));
        kill(pid, SIGKILL);
        Reap(pid);
    }
    pid = -1;
}

bool RunToEnd(std::vector<std::string> words,
              const std::vector<std::pair<std::string, std::string>>& environment)
{
    const pid_t tool = StartServer(std::move(words), environment);
    int status = 0;
    if (tool < 0)
        return false;
    while (waitpid(tool, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void SleepMs(long ms)
{
    timespec pause{ms / 1000, (ms % 1000) * 1000000L};
    nanosleep(&pause, nullptr);
}

}  // namespace tarvenna::host
