// One plug-in instance as the host sees it: the AEffect record the entry
// returned, the answers this host gives it, what it asked for, and the
// buffers the host processes it with.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "host/AudioBuffers.h"
#include "host/HostConfig.h"
#include "host/MidiBlock.h"
#include "host/Recording.h"
#include "plugin/VstRecords.h"

namespace tarvenna::host {

class Module;

enum class ProcessCall { Replacing, Accumulating };

class HostInstance {
public:
    // Closes the instance when it is still open. The module must still be
    // loaded; Module::Unload refuses while an instance is open.
    ~HostInstance();

    HostInstance(const HostInstance&) = delete;
    HostInstance& operator=(const HostInstance&) = delete;

    // Null once closed: the record went with the plug-in's object.
    AEffect* Effect() const { return effect; }
    bool Closed() const { return effect == nullptr; }

    // ---- answers -----------------------------------------------------------
    HostConfig Config() const;
    void SetConfig(const HostConfig& config);
    void UpdateConfig(const std::function<void(HostConfig&)>& change);

    // ---- dispatcher --------------------------------------------------------
    // Returns 0 without calling anything once the instance is closed.
    // effClose, with whatever arguments, closes the instance as Close does.
    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);

    VstIntPtr Open();
    // effClose: the plug-in destroys its object; returns the dispatcher's
    // answer and leaves the instance closed.
    VstIntPtr Close();
    // These two also become the host's answers to the matching requests.
    void SetSampleRate(float rate);
    void SetBlockSize(VstInt32 frames);
    void Resume();
    void Suspend();
    void SetProgram(VstInt32 program);
    VstIntPtr Program();
    void SetProgramName(const std::string& name);
    std::string ProgramName();
    std::string ParameterName(VstInt32 index);
    std::string ParameterLabel(VstInt32 index);
    std::string ParameterDisplay(VstInt32 index);
    VstIntPtr CanDo(const std::string& text);
    std::string EffectName();
    std::string VendorString();
    std::string ProductString();
    VstIntPtr VendorVersion();
    VstIntPtr PlugCategory();
    VstIntPtr VstVersion();
    // Chunks: program when `program` is true (index 1), bank otherwise.
    std::vector<unsigned char> GetChunk(bool program);
    VstIntPtr SetChunk(const std::vector<unsigned char>& data, bool program);
    // Editor: nullopt when the plug-in gives no rectangle.
    std::optional<ERect> EditorRect();
    VstIntPtr OpenEditor(void* parentWindow, VstIntPtr display = 0);
    VstIntPtr CloseEditor();
    VstIntPtr IdleEditor();

    // ---- parameters (through the record's functions) -------------------------
    void SetParameter(VstInt32 index, float value);
    float GetParameter(VstInt32 index);

    // ---- audio and MIDI ----------------------------------------------------
    AudioBuffers& Audio() { return audio; }
    // One process call over `frames` frames of Audio(); grows the buffers
    // first when they are shorter. False when closed or the record has no
    // such function. The buffers are handed over as they are.
    bool Process(ProcessCall call, VstInt32 frames);
    bool ProcessReplacing(VstInt32 frames) { return Process(ProcessCall::Replacing, frames); }
    bool ProcessAccumulating(VstInt32 frames) { return Process(ProcessCall::Accumulating, frames); }
    // effProcessEvents with a block built from `messages` (kept alive here
    // until the next block is sent, as hosts do).
    VstIntPtr SendMidi(const std::vector<MidiMessage>& messages);
    VstIntPtr SendEvents(MidiBlock& block);
    // SendMidi (skipped when `messages` is empty, as hosts do) then one
    // process call.
    bool RunBlock(const std::vector<MidiMessage>& messages, VstInt32 frames,
                  ProcessCall call = ProcessCall::Replacing);
    // The same with a block the caller keeps (null or empty: no MIDI); this
    // one allocates nothing once the buffers are long enough.
    bool RunBlock(MidiBlock* block, VstInt32 frames, ProcessCall call = ProcessCall::Replacing);
    // Process calls started so far: the block number of the current one.
    std::uint64_t BlocksStarted() const { return blocks.load(); }

    // ---- what the instance asked -------------------------------------------
    Recording Recorded() const;
    void ClearRecorded();
    // Waits until `condition` holds for the recording (checked at every
    // request), for requests that come from the plug-in's own threads.
    bool WaitFor(const std::function<bool(const Recording&)>& condition,
                 std::chrono::milliseconds timeout);

    // The callback's side: answers one request from this instance.
    VstIntPtr AnswerRequest(AEffect* from, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                            void* ptr, float opt);

private:
    friend class Host;
    // `module` is null for an instance made in this process.
    HostInstance(Module* module, const HostConfig& config, InstanceOptions options);
    // Takes the record the entry returned; from now on requests carrying
    // it reach this instance.
    void Attach(AEffect* record);

    std::string TextRequest(VstInt32 opcode, VstInt32 index = 0);
    void RecordLocked(const RequestRecord& request);
    void RecordHandout(const VstEvents* events);
    VstIntPtr AnswerLocked(const RequestRecord& request);

    Module* module;
    const InstanceOptions options;
    AEffect* effect = nullptr;
    AudioBuffers audio;
    MidiBlock midi;
    std::vector<unsigned char> chunkToSend;
    std::atomic<std::uint64_t> blocks{0};
    std::atomic<bool> inProcess{false};

    mutable std::mutex mutex;  // guards config and recording
    std::condition_variable requestArrived;
    HostConfig config;
    // config's answer to a hand-over of MIDI, read without the lock.
    std::atomic<VstIntPtr> processEventsAnswer;
    Recording recording;
};

}  // namespace tarvenna::host
