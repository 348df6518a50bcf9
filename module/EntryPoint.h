// What the exported entry point does for each instance the host inserts.
#pragma once

#include "plugin/VstRecords.h"

// Checks the host and the machine and builds one node; on failure tells the
// user why and returns null.
AEffect* CreateInstance(audioMasterCallback hostCallback);
