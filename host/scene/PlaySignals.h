// Signals that start and end a scene from outside, for runs that wait for
// something else to get ready (another program's JACK ports to be
// connected, say): SIGUSR1 starts a scene that waits for it, SIGINT and
// SIGTERM end one that plays on. Without WatchPlaySignals the signals keep
// their usual effect and neither question ever says yes. Call it before any
// other thread starts, and ask from the thread that called it.
#pragma once

namespace tarvenna::host {

void WatchPlaySignals();
bool StartAsked();
bool StopAsked();

}  // namespace tarvenna::host
