#include "host/scene/PlaySignals.h"

#include <csignal>
#include <ctime>
#include <pthread.h>

namespace tarvenna::host {

namespace {

bool watching = false;
bool startAsked = false;
bool stopAsked = false;

sigset_t PlaySignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGUSR1);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

// Takes what came since the last look, without waiting.
void Look()
{
    if (!watching)
        return;
    const sigset_t set = PlaySignals();
    const timespec now = {0, 0};
    for (int signal; (signal = sigtimedwait(&set, nullptr, &now)) > 0;) {
        if (signal == SIGUSR1)
            startAsked = true;
        else
            stopAsked = true;
    }
}

}  // namespace

// The signals are blocked rather than handled: threads started afterwards
// (a plug-in's, a JACK client's) inherit the mask, so no handler ever runs
// on a thread in the middle of a system call of its own, and the signals
// wait for the player's thread to look.
void WatchPlaySignals()
{
    const sigset_t set = PlaySignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    watching = true;
}

bool StartAsked()
{
    Look();
    return startAsked;
}

bool StopAsked()
{
    Look();
    return stopAsked;
}

}  // namespace tarvenna::host
