// What the host answers when an instance asks about it. A Host holds the
// defaults; every instance gets its own copy at creation so that a test can
// change the answers for one instance without touching the others.
#pragma once

#include <optional>
#include <set>
#include <string>

#include "plugin/VstRecords.h"

namespace tarvenna::host {

// Text answers are copied into the plug-in's buffer; VST 2 plug-ins size
// those buffers for 64 bytes, so longer texts are cut to fit.
constexpr std::size_t kHostTextCapacity = 64;

struct HostConfig {
    // Answer to audioMasterVersion. 0 tells a plug-in there is no real host.
    VstIntPtr version = 2400;
    std::string vendor = "Tarvenna";
    std::string product = "tarvenna-host";
    VstIntPtr vendorVersion = 1000;
    // audioMasterCanDo answers 1 for these exact texts, 0 for anything else.
    std::set<std::string> canDo{"sendVstEvents", "sendVstMidiEvent", "receiveVstEvents",
                                "receiveVstMidiEvent", "sizeWindow"};
    // audioMasterGetDirectory: a pointer to this text, or null when unset.
    std::optional<std::string> directory;
    VstIntPtr sizeWindowAnswer = 1;
    // Answer to audioMasterProcessEvents; plug-ins treat exactly 1 as taken.
    VstIntPtr processEventsAnswer = 1;
    float sampleRate = 44100.0f;
    VstInt32 blockSize = 512;
};

}  // namespace tarvenna::host
