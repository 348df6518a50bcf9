// Process-wide GUI data shared by every instance: the table of 29 named
// colours and the pen, brush and font caches of the toolkit, so that X
// resources are made once per process. Built at module load, emptied at
// unload.
#pragma once

#include "gui/SResourceCache.h"

using kvor::gui::SColourRing;

class SStaticData : public kvor::gui::SResourceCache {
public:
    // Fills the table once there is a display to allocate the colours on:
    // at load on the module's own connection, else at the first editor
    // opening on the host's display. Does nothing while the table is full
    // or no display is in use.
    void AddColoursOnce();
};

// The one instance; the module's start-up fills it and registers it with
// the toolkit as its shared resources.
extern SStaticData statdata;
