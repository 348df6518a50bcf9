#include "host/testing/Xvfb.h"

#include "host/testing/ServerProcess.h"

#include <X11/Xlib.h>

#include <cstdio>
#include <ctime>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tarvenna::host {

namespace {

bool DisplayInUse(int number)
{
    struct stat info;
    const std::string lock = "/tmp/.X" + std::to_string(number) + "-lock";
    const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
    return stat(lock.c_str(), &info) == 0 || stat(socket.c_str(), &info) == 0;
}

// Spread parallel test programs over the range so they rarely race for a
// number; Xvfb itself refuses a number that is taken, and we try the next.
int FirstCandidate()
{
    return 200 + static_cast<int>((getpid() * 7919L + std::time(nullptr)) % 600);
}

}  // namespace

Xvfb::Xvfb(std::vector<std::string> screens, std::vector<std::string> extraArguments)
{
    std::vector<std::string> arguments;
    for (std::size_t i = 0; i < screens.size(); ++i) {
        arguments.push_back("-screen");
        arguments.push_back(std::to_string(i));
        arguments.push_back(screens[i]);
    }
    arguments.insert(arguments.end(), extraArguments.begin(), extraArguments.end());
    arguments.push_back("-nolisten");
    arguments.push_back("tcp");
    // Without it the server resets when our readiness probe disconnects, and
    // refuses the test's first connection while it does.
    arguments.push_back("-noreset");
    Start(arguments);
}

Xvfb::~Xvfb() { Stop(); }

void Xvfb::ExportDisplay() { display.Set(name); }

bool Xvfb::Start(const std::vector<std::string>& arguments)
{
    const int first = FirstCandidate();
    for (int attempt = 0; attempt < 20; ++attempt) {
        const int number = first + attempt;
        if (DisplayInUse(number))
            continue;
        name = ":" + std::to_string(number);
        std::vector<std::string> words = {"Xvfb", name};
        words.insert(words.end(), arguments.begin(), arguments.end());
        pid = StartServer(words);
        if (pid < 0) {
            error = "fork failed";
            return false;
        }
        if (WaitUntilReady())
            return true;
        Stop();
    }
    error = "Xvfb did not start (is the xvfb package installed?)";
    return false;
}

// Another test program may have won the race for the same number; then the
// server answering there is theirs and goes away when they finish. Ours has
// written its own pid into the lock file.
bool Xvfb::OwnsLockFile() const
{
    const std::string lock = "/tmp/.X" + name.substr(1) + "-lock";
    std::FILE* file = std::fopen(lock.c_str(), "r");
    if (!file)
        return false;
    long owner = 0;
    const bool read = std::fscanf(file, "%ld", &owner) == 1;
    std::fclose(file);
    return read && owner == pid;
}

bool Xvfb::WaitUntilReady()
{
    for (int tries = 0; tries < 200; ++tries) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            pid = -1;  // exited: the number was taken after all
            return false;
        }
        if (!OwnsLockFile()) {
            SleepMs(20);
            continue;
        }
        if (Display* display = XOpenDisplay(name.c_str())) {
            XCloseDisplay(display);
            return true;
        }
        SleepMs(50);
    }
    return false;
}

void Xvfb::Stop() { EndServer(pid); }

}  // namespace tarvenna::host
