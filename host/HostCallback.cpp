// Answering the requests an instance makes of the host, and recording them.
#include "host/HostCallback.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "host/HostInstance.h"
#include "host/InstanceRegistry.h"
#include "plugin/VstOpcodes.h"

namespace tarvenna::host {

namespace {

// Process levels as hosts report them: 1 user thread, 2 real-time audio.
constexpr VstIntPtr kLevelUser = 1;
constexpr VstIntPtr kLevelRealtime = 2;

VstIntPtr copyText(const std::string& text, void* ptr)
{
    if (!ptr)
        return 0;
    const std::size_t n = std::min(text.size(), kHostTextCapacity - 1);
    std::memcpy(ptr, text.data(), n);
    static_cast<char*>(ptr)[n] = '\0';
    return 1;
}

// The event pointers as the plug-in wrote them, past the two entries the
// declaration shows.
VstEvent* const* eventPointers(const VstEvents* events)
{
    auto* base = reinterpret_cast<const unsigned char*>(events);
    return reinterpret_cast<VstEvent* const*>(base + offsetof(VstEvents, events));
}

}  // namespace

VstIntPtr hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                       float opt)
{
    return registry::answer(effect, opcode, index, value, ptr, opt);
}

VstIntPtr HostInstance::answerRequest(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                      float opt)
{
    VstIntPtr answer = 0;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        recording_.requests.push_back({opcode, index, value, opt, ptr != nullptr});
        answer = answerLocked(opcode, index, value, ptr, opt);
    }
    requestArrived_.notify_all();
    return answer;
}

VstIntPtr HostInstance::answerLocked(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                     float opt)
{
    switch (opcode) {
    case audioMasterAutomate:
        recording_.automation.push_back({index, opt});
        return 0;
    case audioMasterVersion:
        return config_.version;
    case audioMasterWantMidi:
        recording_.wantMidi.push_back(value);
        return 1;
    case audioMasterProcessEvents:
        recordHandout(static_cast<const VstEvents*>(ptr));
        return config_.processEventsAnswer;
    case audioMasterSizeWindow:
        recording_.sizeWindow.push_back({index, static_cast<VstInt32>(value)});
        return config_.sizeWindowAnswer;
    case audioMasterGetSampleRate:
        return static_cast<VstIntPtr>(config_.sampleRate);
    case audioMasterGetBlockSize:
        return config_.blockSize;
    case audioMasterGetCurrentProcessLevel:
        return inProcess_ ? kLevelRealtime : kLevelUser;
    case audioMasterGetVendorString:
        return copyText(config_.vendor, ptr);
    case audioMasterGetProductString:
        return copyText(config_.product, ptr);
    case audioMasterGetVendorVersion:
        return config_.vendorVersion;
    case audioMasterCanDo:
        return ptr && config_.canDo.count(static_cast<const char*>(ptr)) ? 1 : 0;
    case audioMasterGetDirectory:
        return config_.directory ? reinterpret_cast<VstIntPtr>(config_.directory->c_str()) : 0;
    case audioMasterBeginEdit:
        recording_.beginEdits.push_back(index);
        return 1;
    case audioMasterEndEdit:
        recording_.endEdits.push_back(index);
        return 1;
    default:
        // Everything else (time info, pins, windows, files...) this host
        // does not offer; 0 is the interface's "no".
        return 0;
    }
}

void HostInstance::recordHandout(const VstEvents* events)
{
    MidiHandout handout;
    handout.block = blocks_.load();
    handout.duringProcess = inProcess_.load();
    handout.first = recording_.midiOut.size();
    if (events && events->numEvents > 0) {
        VstEvent* const* pointers = eventPointers(events);
        for (VstInt32 i = 0; i < events->numEvents; ++i) {
            if (!pointers[i])
                continue;
            VstMidiEvent copy;
            std::memcpy(&copy, pointers[i], sizeof copy);
            recording_.midiOut.push_back(copy);
        }
    }
    handout.count = recording_.midiOut.size() - handout.first;
    recording_.handouts.push_back(handout);
}

}  // namespace tarvenna::host
