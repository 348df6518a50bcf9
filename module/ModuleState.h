// Process-wide objects of the module, shared by every instance. They are
// built by the loader before any host call and torn down at unload.
#pragma once

#include "editor/SStaticData.h"
#include "gui/Connections.h"
#include "plugin/SSystemData.h"

extern kvor::system::SSystemData sd;
extern SStaticData statdata;

using kvor::gui::ModuleDisplayName;
