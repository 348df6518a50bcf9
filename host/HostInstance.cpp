// Driving one instance: dispatcher wrappers, parameters, process calls.
#include "host/HostInstance.h"

#include <algorithm>
#include <cstdio>
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
int ChannelsFor(VstInt32 declared) { return std::clamp<int>(declared, 2, 64); }

}  // namespace

HostInstance::HostInstance(Module* module, const HostConfig& answers, InstanceOptions options)
    : module(module),
      options(std::move(options)),
      audio(2, 2, answers.blockSize),
      config(answers),
      processEventsAnswer(answers.processEventsAnswer)
{
    if (this->options.record)
        recording.Reserve();
}

HostInstance::~HostInstance()
{
    if (!Closed())
        Close();
}

void HostInstance::Attach(AEffect* record)
{
    effect = record;
    audio = AudioBuffers(ChannelsFor(record->numInputs), ChannelsFor(record->numOutputs),
                         audio.Frames());
    registry::Add(record, this);
    if (module)
        module->InstanceOpened();
}

HostConfig HostInstance::Config() const
{
    std::lock_guard<std::mutex> guard(mutex);
    return config;
}

void HostInstance::SetConfig(const HostConfig& answers)
{
    std::lock_guard<std::mutex> guard(mutex);
    config = answers;
    processEventsAnswer.store(config.processEventsAnswer, std::memory_order_relaxed);
}

void HostInstance::UpdateConfig(const std::function<void(HostConfig&)>& change)
{
    std::lock_guard<std::mutex> guard(mutex);
    change(config);
    processEventsAnswer.store(config.processEventsAnswer, std::memory_order_relaxed);
}

VstIntPtr HostInstance::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                 float opt)
{
    if (Closed())
        return 0;
    if (opcode != effClose)
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    AEffect* record = effect;
    const VstIntPtr answer = record->dispatcher(record, effClose, index, value, ptr, opt);
    // The plug-in may still call back while closing, so the record stays
    // known until the dispatcher has returned.
    effect = nullptr;
    registry::Remove(record);
    if (module)
        module->InstanceClosed();
    return answer;
}

VstIntPtr HostInstance::Open() { return Dispatch(effOpen); }

VstIntPtr HostInstance::Close() { return Dispatch(effClose); }

void HostInstance::SetSampleRate(float rate)
{
    UpdateConfig([rate](HostConfig& c) { c.sampleRate = rate; });
    Dispatch(effSetSampleRate, 0, 0, nullptr, rate);
}

void HostInstance::SetBlockSize(VstInt32 frames)
{
    UpdateConfig([frames](HostConfig& c) { c.blockSize = frames; });
    if (frames > audio.Frames())
        audio.Resize(frames);
    Dispatch(effSetBlockSize, 0, frames);
}

void HostInstance::Resume() { Dispatch(effMainsChanged, 0, 1); }

void HostInstance::Suspend() { Dispatch(effMainsChanged, 0, 0); }

void HostInstance::SetProgram(VstInt32 program) { Dispatch(effSetProgram, 0, program); }

VstIntPtr HostInstance::Program() { return Dispatch(effGetProgram); }

void HostInstance::SetProgramName(const std::string& name)
{
    char text[kTextBuffer] = {};
    std::snprintf(text, sizeof text, "%s", name.c_str());
    Dispatch(effSetProgramName, 0, 0, text);
}

std::string HostInstance::TextRequest(VstInt32 opcode, VstInt32 index)
{
    char text[kTextBuffer] = {};
    Dispatch(opcode, index, 0, text);
    text[sizeof text - 1] = '\0';
    return text;
}

std::string HostInstance::ProgramName() { return TextRequest(effGetProgramName); }

std::string HostInstance::ParameterName(VstInt32 index)
{
    return TextRequest(effGetParamName, index);
}

std::string HostInstance::ParameterLabel(VstInt32 index)
{
    return TextRequest(effGetParamLabel, index);
}

std::string HostInstance::ParameterDisplay(VstInt32 index)
{
    return TextRequest(effGetParamDisplay, index);
}

VstIntPtr HostInstance::CanDo(const std::string& text)
{
    std::vector<char> copy(text.begin(), text.end());
    copy.push_back('\0');
    return Dispatch(effCanDo, 0, 0, copy.data());
}

std::string HostInstance::EffectName() { return TextRequest(effGetEffectName); }

std::string HostInstance::VendorString() { return TextRequest(effGetVendorString); }

std::string HostInstance::ProductString() { return TextRequest(effGetProductString); }

VstIntPtr HostInstance::VendorVersion() { return Dispatch(effGetVendorVersion); }

VstIntPtr HostInstance::PlugCategory() { return Dispatch(effGetPlugCategory); }

VstIntPtr HostInstance::VstVersion() { return Dispatch(effGetVstVersion); }

std::vector<unsigned char> HostInstance::GetChunk(bool program)
{
    void* data = nullptr;
    const VstIntPtr size = Dispatch(effGetChunk, program ? 1 : 0, 0, &data);
    if (size <= 0 || !data)
        return {};
    const auto* bytes = static_cast<const unsigned char*>(data);
    return {bytes, bytes + size};
}

VstIntPtr HostInstance::SetChunk(const std::vector<unsigned char>& data, bool program)
{
    // The dispatcher takes a non-const pointer; the plug-in gets a copy it
    // may keep until the next chunk is sent.
    chunkToSend = data;
    return Dispatch(effSetChunk, program ? 1 : 0, static_cast<VstIntPtr>(chunkToSend.size()),
                    chunkToSend.data());
}

std::optional<ERect> HostInstance::EditorRect()
{
    ERect* rect = nullptr;
    if (!Dispatch(effEditGetRect, 0, 0, &rect) || !rect)
        return std::nullopt;
    return *rect;
}

VstIntPtr HostInstance::OpenEditor(void* parentWindow, VstIntPtr display)
{
    return Dispatch(effEditOpen, 0, display, parentWindow);
}

VstIntPtr HostInstance::CloseEditor() { return Dispatch(effEditClose); }

VstIntPtr HostInstance::IdleEditor() { return Dispatch(effEditIdle); }

void HostInstance::SetParameter(VstInt32 index, float value)
{
    if (!Closed() && effect->setParameter)
        effect->setParameter(effect, index, value);
}

float HostInstance::GetParameter(VstInt32 index)
{
    if (Closed() || !effect->getParameter)
        return 0.0f;
    return effect->getParameter(effect, index);
}

bool HostInstance::Process(ProcessCall call, VstInt32 frames)
{
    if (Closed() || frames < 0)
        return false;
    AEffectProcessProc proc =
        call == ProcessCall::Replacing ? effect->processReplacing : effect->process;
    if (!proc)
        return false;
    if (frames > audio.Frames())
        audio.Resize(frames);
    // Only the thread processing the instance writes these, and it reads
    // them itself (the process level, a recorded hand-over): no fence and
    // no locked increment is needed, which a block would pay each time.
    blocks.store(blocks.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
    inProcess.store(true, std::memory_order_relaxed);
    proc(effect, audio.Inputs(), audio.Outputs(), frames);
    inProcess.store(false, std::memory_order_relaxed);
    return true;
}

VstIntPtr HostInstance::SendMidi(const std::vector<MidiMessage>& messages)
{
    midi.Assign(messages);
    return SendEvents(midi);
}

VstIntPtr HostInstance::SendEvents(MidiBlock& block)
{
    return Dispatch(effProcessEvents, 0, 0, block.Events());
}

bool HostInstance::RunBlock(const std::vector<MidiMessage>& messages, VstInt32 frames,
                            ProcessCall call)
{
    if (!messages.empty())
        SendMidi(messages);
    return Process(call, frames);
}

bool HostInstance::RunBlock(MidiBlock* block, VstInt32 frames, ProcessCall call)
{
    if (block && block->Size() > 0)
        SendEvents(*block);
    return Process(call, frames);
}

Recording HostInstance::Recorded() const
{
    std::lock_guard<std::mutex> guard(mutex);
    return recording;
}

void HostInstance::ClearRecorded()
{
    std::lock_guard<std::mutex> guard(mutex);
    recording.Clear();
}

bool HostInstance::WaitFor(const std::function<bool(const Recording&)>& condition,
                           std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> guard(mutex);
    return requestArrived.wait_for(guard, timeout, [&] { return condition(recording); });
}

}  // namespace tarvenna::host
