// Process-wide objects of the module, shared by every instance. They are
// built by the loader before any host call and torn down at unload.
#pragma once

#include "editor/SStaticData.h"
#include "plugin/SSystemData.h"

#include <atomic>

typedef struct _XDisplay Display;

// The module's own X connection; null when it could not be opened.
extern Display* dps;
// The display the editor uses: set by the first editor opening, never reset.
extern std::atomic<Display*> dp;
extern kvor::system::SSystemData sd;
extern SStaticData statdata;

// The X display the module connects to at load: $DISPLAY, else ":0.0".
const char* ModuleDisplayName();
