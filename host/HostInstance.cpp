// Driving one instance: dispatcher wrappers, parameters, process calls.
#include "host/HostInstance.h"

#include <algorithm>
#include <cstring>

#include "host/InstanceRegistry.h"
#include "host/Module.h"
#include "plugin/VstOpcodes.h"

namespace tarvenna::host {

namespace {

// Plug-ins are told 64 bytes at most for any text, but some write more;
// the generous buffer keeps such an overrun from corrupting the host.
constexpr std::size_t kTextBuffer = 256;

// Channels the host offers: at least stereo, never absurdly many even when
// the record says so.
int channelsFor(VstInt32 declared) { return std::clamp<int>(declared, 2, 64); }

}  // namespace

HostInstance::HostInstance(Module& module, const HostConfig& config)
    : module_(&module),
      audio_(2, 2, config.blockSize),
      config_(config)
{
    recording_.reserve();
}

HostInstance::~HostInstance()
{
    if (!closed())
        close();
}

void HostInstance::attach(AEffect* effect)
{
    effect_ = effect;
    audio_ = AudioBuffers(channelsFor(effect->numInputs), channelsFor(effect->numOutputs),
                          audio_.frames());
    registry::add(effect, this);
    module_->instanceOpened();
}

HostConfig HostInstance::config() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return config_;
}

void HostInstance::setConfig(const HostConfig& config)
{
    std::lock_guard<std::mutex> guard(mutex_);
    config_ = config;
}

void HostInstance::updateConfig(const std::function<void(HostConfig&)>& change)
{
    std::lock_guard<std::mutex> guard(mutex_);
    change(config_);
}

VstIntPtr HostInstance::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                 float opt)
{
    if (closed())
        return 0;
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

VstIntPtr HostInstance::open() { return dispatch(effOpen); }

VstIntPtr HostInstance::close()
{
    if (closed())
        return 0;
    AEffect* effect = effect_;
    const VstIntPtr answer = dispatch(effClose);
    // The plug-in may still call back while closing, so the record stays
    // known until the dispatcher has returned.
    effect_ = nullptr;
    registry::remove(effect);
    module_->instanceClosed();
    return answer;
}

void HostInstance::setSampleRate(float rate)
{
    updateConfig([rate](HostConfig& c) { c.sampleRate = rate; });
    dispatch(effSetSampleRate, 0, 0, nullptr, rate);
}

void HostInstance::setBlockSize(VstInt32 frames)
{
    updateConfig([frames](HostConfig& c) { c.blockSize = frames; });
    if (frames > audio_.frames())
        audio_.resize(frames);
    dispatch(effSetBlockSize, 0, frames);
}

void HostInstance::resume() { dispatch(effMainsChanged, 0, 1); }

void HostInstance::suspend() { dispatch(effMainsChanged, 0, 0); }

void HostInstance::setProgram(VstInt32 program) { dispatch(effSetProgram, 0, program); }

VstIntPtr HostInstance::program() { return dispatch(effGetProgram); }

void HostInstance::setProgramName(const std::string& name)
{
    char text[kTextBuffer] = {};
    std::strncpy(text, name.c_str(), sizeof text - 1);
    dispatch(effSetProgramName, 0, 0, text);
}

std::string HostInstance::textRequest(VstInt32 opcode, VstInt32 index)
{
    char text[kTextBuffer] = {};
    dispatch(opcode, index, 0, text);
    text[sizeof text - 1] = '\0';
    return text;
}

std::string HostInstance::programName() { return textRequest(effGetProgramName); }

std::string HostInstance::parameterName(VstInt32 index)
{
    return textRequest(effGetParamName, index);
}

std::string HostInstance::parameterLabel(VstInt32 index)
{
    return textRequest(effGetParamLabel, index);
}

std::string HostInstance::parameterDisplay(VstInt32 index)
{
    return textRequest(effGetParamDisplay, index);
}

VstIntPtr HostInstance::canDo(const std::string& text)
{
    std::vector<char> copy(text.begin(), text.end());
    copy.push_back('\0');
    return dispatch(effCanDo, 0, 0, copy.data());
}

std::string HostInstance::effectName() { return textRequest(effGetEffectName); }

std::string HostInstance::vendorString() { return textRequest(effGetVendorString); }

std::string HostInstance::productString() { return textRequest(effGetProductString); }

VstIntPtr HostInstance::vendorVersion() { return dispatch(effGetVendorVersion); }

VstIntPtr HostInstance::plugCategory() { return dispatch(effGetPlugCategory); }

VstIntPtr HostInstance::vstVersion() { return dispatch(effGetVstVersion); }

std::vector<unsigned char> HostInstance::getChunk(bool program)
{
    void* data = nullptr;
    const VstIntPtr size = dispatch(effGetChunk, program ? 1 : 0, 0, &data);
    if (size <= 0 || !data)
        return {};
    const auto* bytes = static_cast<const unsigned char*>(data);
    return {bytes, bytes + size};
}

VstIntPtr HostInstance::setChunk(const std::vector<unsigned char>& data, bool program)
{
    // The dispatcher takes a non-const pointer; the plug-in gets a copy it
    // may keep until the next chunk is sent.
    chunkToSend_ = data;
    return dispatch(effSetChunk, program ? 1 : 0, static_cast<VstIntPtr>(chunkToSend_.size()),
                    chunkToSend_.data());
}

std::optional<ERect> HostInstance::editorRect()
{
    ERect* rect = nullptr;
    if (!dispatch(effEditGetRect, 0, 0, &rect) || !rect)
        return std::nullopt;
    return *rect;
}

VstIntPtr HostInstance::openEditor(void* parentWindow, VstIntPtr display)
{
    return dispatch(effEditOpen, 0, display, parentWindow);
}

VstIntPtr HostInstance::closeEditor() { return dispatch(effEditClose); }

VstIntPtr HostInstance::idleEditor() { return dispatch(effEditIdle); }

void HostInstance::setParameter(VstInt32 index, float value)
{
    if (!closed() && effect_->setParameter)
        effect_->setParameter(effect_, index, value);
}

float HostInstance::getParameter(VstInt32 index)
{
    if (closed() || !effect_->getParameter)
        return 0.0f;
    return effect_->getParameter(effect_, index);
}

bool HostInstance::process(ProcessCall call, VstInt32 frames)
{
    if (closed() || frames < 0)
        return false;
    AEffectProcessProc proc =
        call == ProcessCall::Replacing ? effect_->processReplacing : effect_->process;
    if (!proc)
        return false;
    if (frames > audio_.frames())
        audio_.resize(frames);
    ++blocks_;
    inProcess_ = true;
    proc(effect_, audio_.inputs(), audio_.outputs(), frames);
    inProcess_ = false;
    return true;
}

VstIntPtr HostInstance::sendMidi(const std::vector<MidiMessage>& messages)
{
    midi_.assign(messages);
    return sendEvents(midi_);
}

VstIntPtr HostInstance::sendEvents(MidiBlock& block)
{
    return dispatch(effProcessEvents, 0, 0, block.events());
}

bool HostInstance::runBlock(const std::vector<MidiMessage>& messages, VstInt32 frames,
                            ProcessCall call)
{
    if (!messages.empty())
        sendMidi(messages);
    return process(call, frames);
}

Recording HostInstance::recorded() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return recording_;
}

void HostInstance::clearRecorded()
{
    std::lock_guard<std::mutex> guard(mutex_);
    recording_.clear();
}

bool HostInstance::waitFor(const std::function<bool(const Recording&)>& condition,
                           std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> guard(mutex_);
    return requestArrived_.wait_for(guard, timeout, [&] { return condition(recording_); });
}

}  // namespace tarvenna::host
