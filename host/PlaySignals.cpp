#include "host/PlaySignals.h"

#include <csignal>

namespace tarvenna::host {

namespace {

volatile std::sig_atomic_t startAsked = 0;
volatile std::sig_atomic_t stopAsked = 0;

void OnStart(int) { startAsked = 1; }
void OnStop(int) { stopAsked = 1; }

void Handle(int signal, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // Sleeps of the block clock go on after a signal; the loops look again.
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, nullptr);
}

}  // namespace

void WatchPlaySignals()
{
    Handle(SIGUSR1, OnStart);
    Handle(SIGINT, OnStop);
    Handle(SIGTERM, OnStop);
}

bool StartAsked() { return startAsked != 0; }
bool StopAsked() { return stopAsked != 0; }

}  // namespace tarvenna::host
