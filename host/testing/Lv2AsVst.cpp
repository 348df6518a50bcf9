#include "host/testing/Lv2AsVst.h"

#include "host/MidiBlock.h"
#include "host/testing/Lv2Instance.h"
#include "lv2/Lv2Node.h"
#include "plugin/ParameterIndex.h"
#include "plugin/VstOpcodes.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace tarvenna::host {

namespace {

// The length of a message the instance is handed; 0 for what an atom
// sequence of MIDI does not carry here.
uint32_t MessageLength(uint8_t status)
{
    if (status < 0x80 || status >= 0xF0)
        return 0;
    return (status & 0xE0) == 0xC0 ? 2 : 3;
}

class Lv2AsVst {
public:
    Lv2AsVst(const LV2_Descriptor* descriptor, audioMasterCallback host)
        : host(host),
          lv2(descriptor, urids, 0.0f, 1.0f)
    {
        effect.magic = kEffectMagic;
        effect.dispatcher = &Lv2AsVst::Dispatcher;
        effect.setParameter = &Lv2AsVst::SetParameter;
        effect.getParameter = &Lv2AsVst::GetParameter;
        effect.processReplacing = &Lv2AsVst::ProcessReplacing;
        effect.numPrograms = 1;
        effect.numParams = kParameterCount;
        effect.numInputs = 2;
        effect.numOutputs = 2;
        effect.flags = effFlagsCanReplacing | effFlagsIsSynth;
        effect.object = this;
        for (int p = 0; p < kParameterCount; ++p)
            controls[p].store(lv2.Control(lv2face::kPortMode + p));
    }

    bool Made() const { return lv2.Made(); }
    AEffect* Effect() { return &effect; }

private:
    static Lv2AsVst& Of(AEffect* effect) { return *static_cast<Lv2AsVst*>(effect->object); }

    static VstIntPtr Dispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                void* ptr, float)
    {
        Lv2AsVst& self = Of(effect);
        switch (opcode) {
        case effClose:
            delete &self;
            return 1;
        case effMainsChanged:
            self.Switch(value != 0);
            return 0;
        case effProcessEvents:
            self.Keep(static_cast<const VstEvents*>(ptr));
            return 1;
        case effGetChunk:
            return index == 0 ? self.Save(static_cast<void**>(ptr)) : 0;
        case effSetChunk:
            return index == 0 && self.Restore(ptr, static_cast<std::size_t>(value)) ? 1 : 0;
        case effGetParamDisplay:
            std::strcpy(static_cast<char*>(ptr), self.Display(index).c_str());
            return 0;
        default:
            return 0;
        }
    }

    // The parameters' VST 2 values as the control ports' natural ones.
    static void SetParameter(AEffect* effect, VstInt32 index, float value)
    {
        Lv2AsVst& self = Of(effect);
        if (index == kParameterPanic) {
            if (value >= 0.5f)
                self.panicAsked.store(true);
        } else if (index == kParameterPort) {
            self.controls[index].store(1.0f + std::round(std::clamp(value, 0.0f, 1.0f) * 7.0f));
        } else if (index >= 0 && index < kParameterCount) {
            self.controls[index].store(value);
        }
    }

    // A control's value as the node reads it: a host may hand the ports any
    // float (infinities too). NaN, which the node ignores, reads as 0 here.
    static float GetParameter(AEffect* effect, VstInt32 index)
    {
        Lv2AsVst& self = Of(effect);
        if (index < 0 || index >= kParameterPanic)
            return 0.0f;
        const float control = self.controls[index].load();
        if (index != kParameterPort)
            return control >= 0.5f ? 1.0f : 0.0f;
        return (PortNumber(control) - 1.0f) / 7.0f;
    }

    // The port the node takes a port control's value for.
    static float PortNumber(float control)
    {
        return std::fmin(std::fmax(std::round(control), 1.0f), 8.0f);
    }

    static void ProcessReplacing(AEffect* effect, float**, float**, VstInt32 frames)
    {
        const auto most = static_cast<VstInt32>(Lv2Instance::kMostFrames);
        Of(effect).Run(static_cast<uint32_t>(std::clamp(frames, 0, most)));
    }

    void Switch(bool on)
    {
        std::lock_guard<std::mutex> guard(instanceMutex);
        if (on) {
            lv2.Activate();
            return;
        }
        lv2.Deactivate();
        pending.clear();
    }

    // Events handed over while the instance is off are for blocks it never
    // runs, and are dropped, as a VST 2 node that is off drops them.
    void Keep(const VstEvents* events)
    {
        std::lock_guard<std::mutex> guard(instanceMutex);
        if (!lv2.Active())
            return;
        for (VstInt32 i = 0; events != nullptr && i < events->numEvents; ++i) {
            const VstEvent* event = EventPointers(events)[i];
            if (event == nullptr || event->type != kVstMidiType)
                continue;
            const auto& midi = *reinterpret_cast<const VstMidiEvent*>(event);
            const auto* bytes = reinterpret_cast<const uint8_t*>(midi.midiData);
            const uint32_t length = MessageLength(bytes[0]);
            if (length == 0)
                continue;
            const uint32_t floor = pending.empty() ? 0 : pending.back().first;
            const uint32_t frame = static_cast<uint32_t>(std::max(midi.deltaFrames, 0));
            pending.push_back({std::max(frame, floor), {bytes, bytes + length}});
        }
    }

    // The bank chunk from LV2's state, kept until the next save as a VST 2
    // node keeps the chunk it hands out.
    VstIntPtr Save(void** data)
    {
        std::lock_guard<std::mutex> guard(instanceMutex);
        if (data == nullptr || lv2.Save(saved) != LV2_STATE_SUCCESS)
            return 0;
        *data = saved.data();
        return static_cast<VstIntPtr>(saved.size());
    }

    // The controls then follow what the chunk set, as an LV2 host's ports
    // do when it restores them with the state (learnt here as an open UI
    // learns them).
    bool Restore(const void* chunk, std::size_t size)
    {
        if (chunk == nullptr)
            return false;
        const auto* bytes = static_cast<const unsigned char*>(chunk);
        std::lock_guard<std::mutex> guard(instanceMutex);
        if (lv2.Restore({bytes, bytes + size}) != LV2_STATE_SUCCESS)
            return false;
        static_cast<const lv2face::Lv2Node*>(lv2.Handle())
            ->TakePanelChanges(written, [this](uint32_t port, float value) {
                controls[port - lv2face::kPortMode].store(value);
            });
        return true;
    }

    void Run(uint32_t frames)
    {
        std::lock_guard<std::mutex> guard(instanceMutex);
        if (!lv2.Active())
            return;
        for (int p = 0; p < kParameterPanic; ++p)
            lv2.Control(lv2face::kPortMode + p) = controls[p].load();
        lv2.Control(lv2face::kPortPanic) = panicAsked.exchange(false) ? 1.0f : 0.0f;
        lv2.Fill(pending);
        pending.clear();
        lv2.RunOnly(frames);
        HandOut();
    }

    void HandOut()
    {
        out.Clear();
        lv2.ForEachOutput([this](uint32_t frame, const uint8_t* bytes, uint32_t size) {
            out.Add(MakeMidiEvent(bytes[0], size > 1 ? bytes[1] : 0, size > 2 ? bytes[2] : 0,
                                  static_cast<VstInt32>(frame)));
        });
        if (out.Size() > 0)
            host(&effect, audioMasterProcessEvents, 0, 0, out.Events(), 0.0f);
    }

    std::string Display(VstInt32 index)
    {
        const float control = controls[std::clamp(index, 0, kParameterCount - 1)].load();
        if (index == kParameterMode)
            return control >= 0.5f ? "LV2 Receive" : "LV2 Send";
        if (index == kParameterPort)
            return std::to_string(static_cast<int>(PortNumber(control)));
        return control >= 0.5f ? "On" : "Off";
    }

    AEffect effect = {};
    audioMasterCallback host;
    UridMap urids;
    Lv2Instance lv2;
    // Set on any thread, copied into the ports by the run.
    std::atomic<float> controls[kParameterCount] = {};
    std::atomic<bool> panicAsked{false};
    // Run, switch, restore and hand-over never overlap, as in an LV2 host.
    std::mutex instanceMutex;
    Lv2Instance::Events pending;
    lv2face::Lv2Node::PanelChanges written;
    std::vector<unsigned char> saved;
    MidiBlock out{512};
};

}  // namespace

AEffect* MakeLv2AsVst(const LV2_Descriptor* descriptor, audioMasterCallback host)
{
    auto* instance = new Lv2AsVst(descriptor, host);
    if (instance->Made())
        return instance->Effect();
    delete instance;
    return nullptr;
}

}  // namespace tarvenna::host
