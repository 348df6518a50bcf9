// Answering the requests an instance makes of the host, and recording them.
#include "host/HostCallback.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "host/EditorHost.h"
#include "host/HostInstance.h"
#include "host/InstanceRegistry.h"
#include "plugin/VstOpcodes.h"

namespace tarvenna::host {

namespace {

// Process levels as hosts report them: 1 user thread, 2 real-time audio.
constexpr VstIntPtr kLevelUser = 1;
constexpr VstIntPtr kLevelRealtime = 2;

VstIntPtr CopyText(const std::string& text, void* ptr)
{
    if (!ptr)
        return 0;
    const std::size_t n = std::min(text.size(), kHostTextCapacity - 1);
    std::memcpy(ptr, text.data(), n);
    static_cast<char*>(ptr)[n] = '\0';
    return 1;
}

}  // namespace

VstIntPtr HostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                       float opt)
{
    return registry::Answer(effect, opcode, index, value, ptr, opt);
}

VstIntPtr HostInstance::AnswerRequest(AEffect* from, VstInt32 opcode, VstInt32 index,
                                      VstIntPtr value, void* ptr, float opt)
{
    RequestRecord request{from, opcode, index, value, ptr, opt, {}};
    if (opcode == audioMasterCanDo && ptr)
        request.text = static_cast<const char*>(ptr);
    // A plug-in hands its MIDI over every block from the audio thread; a
    // host that keeps nothing answers it without a lock, and with nothing
    // recorded there is nothing for a waiter to see.
    if (opcode == audioMasterProcessEvents && !options.record && !options.hook)
        return processEventsAnswer.load(std::memory_order_relaxed);
    std::optional<VstIntPtr> hooked;
    if (options.hook)
        hooked = options.hook(request);
    VstIntPtr answer = 0;
    {
        std::lock_guard<std::mutex> guard(mutex);
        if (options.record)
            RecordLocked(request);
        answer = hooked ? *hooked : AnswerLocked(request);
    }
    requestArrived.notify_all();
    return answer;
}

void HostInstance::RecordLocked(const RequestRecord& request)
{
    recording.requests.push_back(request);
    switch (request.opcode) {
    case audioMasterAutomate:
        recording.automation.push_back({request.index, request.opt});
        break;
    case audioMasterWantMidi:
        recording.wantMidi.push_back(request.value);
        break;
    case audioMasterProcessEvents:
        RecordHandout(static_cast<const VstEvents*>(request.ptr));
        break;
    case audioMasterSizeWindow:
        recording.sizeWindow.push_back({request.index, static_cast<VstInt32>(request.value)});
        break;
    case audioMasterBeginEdit:
        recording.beginEdits.push_back(request.index);
        break;
    case audioMasterEndEdit:
        recording.endEdits.push_back(request.index);
        break;
    default:
        break;
    }
}

VstIntPtr HostInstance::AnswerLocked(const RequestRecord& request)
{
    switch (request.opcode) {
    case audioMasterVersion:
        return config.version;
    case audioMasterWantMidi:
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
        return 1;
    case audioMasterProcessEvents:
        return config.processEventsAnswer;
    case audioMasterSizeWindow:
        if (config.resizeEditorWindow && CanSizeWindow(config))
            EditorHost::ResizeFor(request.effect, request.index, static_cast<int>(request.value));
        return config.sizeWindowAnswer;
    case audioMasterGetSampleRate:
        return static_cast<VstIntPtr>(config.sampleRate);
    case audioMasterGetBlockSize:
        return config.blockSize;
    case audioMasterGetCurrentProcessLevel:
        return inProcess.load(std::memory_order_relaxed) ? kLevelRealtime : kLevelUser;
    case audioMasterGetVendorString:
        return CopyText(config.vendor, request.ptr);
    case audioMasterGetProductString:
        return CopyText(config.product, request.ptr);
    case audioMasterGetVendorVersion:
        return config.vendorVersion;
    case audioMasterCanDo: {
        const auto found = request.ptr ? config.canDo.find(request.text) : config.canDo.end();
        return found != config.canDo.end() ? found->second : 0;
    }
    case audioMasterGetDirectory:
        return config.directory ? reinterpret_cast<VstIntPtr>(config.directory->c_str()) : 0;
    default:
        // Everything else (automation is only noted; time info, pins,
        // windows, files...) this host does not offer; 0 is the
        // interface's "no".
        return 0;
    }
}

void HostInstance::RecordHandout(const VstEvents* events)
{
    MidiHandout handout;
    handout.block = blocks.load(std::memory_order_relaxed);
    handout.duringProcess = inProcess.load(std::memory_order_relaxed);
    handout.first = recording.midiOut.size();
    if (events && events->numEvents > 0) {
        VstEvent* const* pointers = EventPointers(events);
        for (VstInt32 i = 0; i < events->numEvents; ++i) {
            if (!pointers[i])
                continue;
            VstMidiEvent copy;
            std::memcpy(&copy, pointers[i], sizeof copy);
            recording.midiOut.push_back(copy);
        }
    }
    handout.count = recording.midiOut.size() - handout.first;
    recording.handouts.push_back(handout);
}

}  // namespace tarvenna::host
