// The X connections the toolkit draws on. The module opens its own
// connection when it is loaded; a host hands over its display the first
// time it opens an editor, and from then on every toolkit call uses that.
#pragma once

#include <atomic>

typedef struct _XDisplay Display;

// The module's own X connection; null when it could not be opened.
extern Display* dps;
// The host's display: set by the first editor opening, never reset.
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

// The X connection every toolkit call uses: the host's display once the
// host has handed one over, otherwise the module's own.
Display* DisplayInUse();

}  // namespace kvor::gui
