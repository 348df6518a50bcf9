// What the host answers when an instance asks about it. A Host holds the
// defaults; every instance gets its own copy at creation so that a test can
// change the answers for one instance without touching the others.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>

#include "host/Recording.h"
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
    // audioMasterCanDo: the answer listed for the exact text, 0 for any
    // text not listed.
    std::map<std::string, VstIntPtr> canDo{{"sendVstEvents", 1},
                                           {"sendVstMidiEvent", 1},
                                           {"receiveVstEvents", 1},
                                           {"receiveVstMidiEvent", 1},
                                           {"sizeWindow", 1}};
    // audioMasterGetDirectory: a pointer to this text, or null when unset.
    std::optional<std::string> directory;
    VstIntPtr sizeWindowAnswer = 1;
    // While canDo answers "sizeWindow" with 1 the plug-in leaves its window
    // to the host: audioMasterSizeWindow then resizes the window of the
    // instance's EditorHost, unless this is off.
    bool resizeEditorWindow = true;
    // Answer to audioMasterProcessEvents; plug-ins treat exactly 1 as taken.
    VstIntPtr processEventsAnswer = 1;
    float sampleRate = 44100.0f;
    VstInt32 blockSize = 512;
};

// Whether the host tells plug-ins that it sizes their windows itself.
inline bool CanSizeWindow(const HostConfig& config)
{
    const auto found = config.canDo.find("sizeWindow");
    return found != config.canDo.end() && found->second == 1;
}
inline void SetCanSizeWindow(HostConfig& config, bool can)
{
    config.canDo["sizeWindow"] = can ? 1 : 0;
}

// Sees every request of an instance before the host answers it, on the
// thread that made it and with no lock of the host held. An answer it gives
// replaces the configured one; nullopt leaves the request to HostConfig.
using RequestHook = std::function<std::optional<VstIntPtr>(const RequestRecord& request)>;

// How an instance is hosted; fixed when it is created.
struct InstanceOptions {
    RequestHook hook;
    // Off for long runs: requests are answered but nothing is kept, so the
    // recording neither grows nor costs a copy of every event.
    bool record = true;
};

}  // namespace tarvenna::host
