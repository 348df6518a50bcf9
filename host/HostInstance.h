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
    // loaded; Module::unload refuses while an instance is open.
    ~HostInstance();

    HostInstance(const HostInstance&) = delete;
    HostInstance& operator=(const HostInstance&) = delete;

    // Null once closed: the record went with the plug-in's object.
    AEffect* effect() const { return effect_; }
    bool closed() const { return effect_ == nullptr; }

    // ---- answers -----------------------------------------------------------
    HostConfig config() const;
    void setConfig(const HostConfig& config);
    void updateConfig(const std::function<void(HostConfig&)>& change);

    // ---- dispatcher --------------------------------------------------------
    // Returns 0 without calling anything once the instance is closed.
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);

    VstIntPtr open();
    // effClose: the plug-in destroys its object; returns the dispatcher's
    // answer and leaves the instance closed.
    VstIntPtr close();
    // These two also become the host's answers to the matching requests.
    void setSampleRate(float rate);
    void setBlockSize(VstInt32 frames);
    void resume();
    void suspend();
    void setProgram(VstInt32 program);
    VstIntPtr program();
    void setProgramName(const std::string& name);
    std::string programName();
    std::string parameterName(VstInt32 index);
    std::string parameterLabel(VstInt32 index);
    std::string parameterDisplay(VstInt32 index);
    VstIntPtr canDo(const std::string& text);
    std::string effectName();
    std::string vendorString();
    std::string productString();
    VstIntPtr vendorVersion();
    VstIntPtr plugCategory();
    VstIntPtr vstVersion();
    // Chunks: program when `program` is true (index 1), bank otherwise.
    std::vector<unsigned char> getChunk(bool program);
    VstIntPtr setChunk(const std::vector<unsigned char>& data, bool program);
    // Editor: nullopt when the plug-in gives no rectangle.
    std::optional<ERect> editorRect();
    VstIntPtr openEditor(void* parentWindow, VstIntPtr display = 0);
    VstIntPtr closeEditor();
    VstIntPtr idleEditor();

    // ---- parameters (through the record's functions) -------------------------
    void setParameter(VstInt32 index, float value);
    float getParameter(VstInt32 index);

    // ---- audio and MIDI ----------------------------------------------------
    AudioBuffers& audio() { return audio_; }
    // One process call over `frames` frames of audio(); grows the buffers
    // first when they are shorter. False when closed or the record has no
    // such function. The buffers are handed over as they are.
    bool process(ProcessCall call, VstInt32 frames);
    bool processReplacing(VstInt32 frames) { return process(ProcessCall::Replacing, frames); }
    bool processAccumulating(VstInt32 frames) { return process(ProcessCall::Accumulating, frames); }
    // effProcessEvents with a block built from `messages` (kept alive here
    // until the next block is sent, as hosts do).
    VstIntPtr sendMidi(const std::vector<MidiMessage>& messages);
    VstIntPtr sendEvents(MidiBlock& block);
    // sendMidi (skipped when `messages` is empty, as hosts do) then one
    // process call.
    bool runBlock(const std::vector<MidiMessage>& messages, VstInt32 frames,
                  ProcessCall call = ProcessCall::Replacing);
    // Process calls started so far: the block number of the current one.
    std::uint64_t blocksStarted() const { return blocks_.load(); }

    // ---- what the instance asked -------------------------------------------
    Recording recorded() const;
    void clearRecorded();
    // Waits until `condition` holds for the recording (checked at every
    // request), for requests that come from the plug-in's own threads.
    bool waitFor(const std::function<bool(const Recording&)>& condition,
                 std::chrono::milliseconds timeout);

    // The callback's side: answers one request from this instance.
    VstIntPtr answerRequest(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

private:
    friend class Host;
    HostInstance(Module& module, const HostConfig& config);
    // Takes the record the entry returned; from now on requests carrying
    // it reach this instance.
    void attach(AEffect* effect);

    std::string textRequest(VstInt32 opcode, VstInt32 index = 0);
    void recordHandout(const VstEvents* events);
    VstIntPtr answerLocked(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

    Module* module_;
    AEffect* effect_ = nullptr;
    AudioBuffers audio_;
    MidiBlock midi_;
    std::vector<unsigned char> chunkToSend_;
    std::atomic<std::uint64_t> blocks_{0};
    std::atomic<bool> inProcess_{false};

    mutable std::mutex mutex_;  // guards config_ and recording_
    std::condition_variable requestArrived_;
    HostConfig config_;
    Recording recording_;
};

}  // namespace tarvenna::host
