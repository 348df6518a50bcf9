// The display geometry as the system report writes it: the bounding size of
// all monitors, whether the sizes are only estimated, and each monitor.
#pragma once

#include "runtime/datastring.h"

#include <cstdint>
#include <vector>

namespace kvor::system {

struct SScreenSummary {
    struct Monitor {
        int32_t left;
        int32_t top;
        int32_t width;
        int32_t height;
    };
    int32_t width = 0;
    int32_t height = 0;
    bool estimated = false;
    std::vector<Monitor> monitors;
};

// "Screensize: W x H", the estimation note when the sizes are guessed, and
// one "Display N: ..." line per monitor, numbered from 1.
void AppendScreenReport(kvor::data::datastring<32, char>& text, const SScreenSummary& screen);

}  // namespace kvor::system
