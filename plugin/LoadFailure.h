// The texts that tell the user why the host got no plug-in.
#pragma once

#include "runtime/datastring.h"

// Load result codes set by the constructors that can refuse an instance.
enum LoadResult : int {
    kLoadUsable = 0,
    kLoadMachineRefused = 2,
    kLoadHostRefused = 3,
    kLoadInstanceLimit = 4,
};

extern const char* const kProductTitle;
extern const char* const kSupportAddress;

// Appends the failure text for a load result code; hostName is used only for
// a refused host.
void ComposeLoadFailure(kvor::data::datastring<32, char>& text, int code, const char* hostName);
