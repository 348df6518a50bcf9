// The X connections the toolkit draws on. The module opens its own
// connection when it is loaded; a host may hand over its display each time
// it opens an editor. Every toolkit object keeps the connection it was made
// on (gui/SConnection.h); these globals only say where new ones go.
#pragma once

#include "gui/SConnection.h"

#include <atomic>

typedef struct _XDisplay Display;

// The module's own X connection; null when it could not be opened.
extern Display* dps;
// The display the host handed over last; null before that and once the
// host has closed it.
extern std::atomic<Display*> dp;

namespace kvor::gui {

// The X display named by $DISPLAY, else ":0.0".
const char* ModuleDisplayName();

// Opens the module's own connection (dps), reporting on standard error when
// it cannot. Xlib's thread support is switched on first: hosts, the idle
// thread and our timer threads all call Xlib, and XInitThreads only works
// before any other Xlib call of the process, which a module's load is the
// one place we can be sure of.
void OpenModuleConnection();
// Closes it; the toolkit's own threads must be stopped first.
void CloseModuleConnection();

// Remembers the display a host passed with an editor opening (null is
// ignored) as the one new windows without a connection of their own go to.
void AdoptHostDisplay(Display* display);
// Called when a display closes: dp forgets it when it was that one.
void ForgetHostDisplay(Display* display);

// The X connection new toolkit objects are made on: the one a
// UseConnection on this thread names, else the host's display once the
// host has handed one over, else the module's own.
Display* DisplayInUse();
// The record of DisplayInUse().
ConnectionRef ConnectionInUse();

// While it lives, everything this thread makes goes to `connection` (none
// at all when it is closed or null): an editor builds its windows on the
// display of the opening, the event procedure draws and makes fonts on the
// display the event came from. Scopes nest.
class UseConnection {
public:
    explicit UseConnection(ConnectionRef connection);
    ~UseConnection();
    UseConnection(const UseConnection&) = delete;
    UseConnection& operator=(const UseConnection&) = delete;

private:
    ConnectionRef connection;
    const ConnectionRef* outer;
};

}  // namespace kvor::gui
