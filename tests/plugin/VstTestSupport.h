// An effect for driving the VST 2 layer through its AEffect record, the way
// a real host does, made in-process under our host library.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/Host.h"
#include "plugin/AEffEditor.h"
#include "plugin/AudioEffectX.h"

using tarvenna::host::HostInstance;
using tarvenna::host::RequestRecord;

// The host's side in the layer tests: every request, whatever it asks, is
// answered with `answer` after `onCall` has seen it, since how the layer
// turns answers into results is what these tests look at. Both may change
// while the instance lives.
struct FixedAnswers {
    VstIntPtr answer = 0;
    std::function<void(const RequestRecord&)> onCall;  // runs inside the request

    // Options for an instance; this object must outlive it.
    tarvenna::host::InstanceOptions Options();
};

// Two buffers that the logs name, so that tests can tell which pointer
// reached an operation.
extern char bufferA[256];
extern char bufferB[256];
const char* pointerName(const void* p);

// An effect that logs the operations it is called with. Only operations
// whose arguments the dispatcher converts or reorders are overridden; the
// rest keep the layer's defaults.
class RecordingEffect : public AudioEffectX {
public:
    // A null host makes an effect with no host at all.
    RecordingEffect(audioMasterCallback host, VstInt32 programs = 1, VstInt32 params = 4);
    ~RecordingEffect() override;

    std::string log;                 // operations in call order, "name(args);"
    bool* destroyed = nullptr;       // set when the destructor runs
    std::string* lastLog = nullptr;  // receives the log when the destructor runs
    float parameters[4] = {};
    float vu = 0.0f;
    bool keys = false;
    VstInt32 canDoAnswer = 0;

    void attachEditor(AEffEditor* e) { editor = e; }
    float rate() const { return sampleRate; }

    void process(float** inputs, float** outputs, VstInt32 frames) override;
    void processReplacing(float** inputs, float** outputs, VstInt32 frames) override;
    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override { return parameters[index & 3]; }
    void open() override { note("open()"); }
    void close() override { note("close()"); }
    void suspend() override { note("suspend()"); }
    void resume() override { note("resume()"); }
    float getVu() override { return vu; }
    VstInt32 getChunk(void** data, bool isPreset) override;
    VstInt32 setChunk(void* data, VstInt32 size, bool isPreset) override
    {
        note("setChunk(%s,%d,%d)", pointerName(data), size, isPreset);
        return 1;
    }
    VstInt32 processEvents(VstEvents* events) override
    {
        note("processEvents(%d)", events->numEvents);
        return 1;
    }
    bool string2parameter(VstInt32 index, char* text) override
    {
        note("string2parameter(%d,%s)", index, pointerName(text));
        return true;
    }
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override
    {
        note("getProgramNameIndexed(%d,%d,%s)", category, index, pointerName(text));
        return true;
    }
    bool copyProgram(VstInt32 to) override
    {
        note("copyProgram(%d)", to);
        return to == 0;
    }
    void inputConnected(VstInt32 i, bool on) override { note("inputConnected(%d,%d)", i, on); }
    void outputConnected(VstInt32 i, bool on) override { note("outputConnected(%d,%d)", i, on); }
    bool offlineNotify(VstAudioFile* files, VstInt32 count, bool start) override
    {
        note("offlineNotify(%s,%d,%d)", pointerName(files), count, start);
        return true;
    }
    bool offlinePrepare(VstOfflineTask* task, VstInt32 count) override
    {
        note("offlinePrepare(%s,%d)", pointerName(task), count);
        return true;
    }
    bool offlineRun(VstOfflineTask* task, VstInt32 count) override
    {
        note("offlineRun(%s,%d)", pointerName(task), count);
        return false;
    }
    bool setSpeakerArrangement(VstSpeakerArrangement* in, VstSpeakerArrangement* out) override
    {
        note("setSpeakerArrangement(%s,%s)", pointerName(in), pointerName(out));
        return true;
    }
    bool setBypass(bool onOff) override
    {
        note("setBypass(%d)", onOff);
        return onOff;
    }
    VstIntPtr vendorSpecific(VstInt32 a, VstIntPtr b, void* p, float f) override
    {
        note("vendorSpecific(%d,%ld,%s,%g)", a, static_cast<long>(b), pointerName(p), f);
        return 77;
    }
    VstInt32 canDo(char* text) override
    {
        note("canDo(%s)", text);
        return canDoAnswer;
    }
    bool setViewPosition(VstInt32 x, VstInt32 y) override
    {
        note("setViewPosition(%d,%d)", x, y);
        return true;
    }
    bool keysRequired() override { return keys; }
    VstInt32 getMidiProgramName(VstInt32 channel, MidiProgramName* name) override
    {
        note("getMidiProgramName(%d,%s)", channel, pointerName(name));
        return 5;
    }
    bool hasMidiProgramsChanged(VstInt32 channel) override
    {
        note("hasMidiProgramsChanged(%d)", channel);
        return true;
    }
    bool setPanLaw(VstInt32 type, float value) override
    {
        note("setPanLaw(%d,%g)", type, value);
        return true;
    }
    VstInt32 getNextShellPlugin(char* name) override
    {
        note("getNextShellPlugin(%s)", pointerName(name));
        return 0x41424344;
    }

private:
    void note(const char* format, ...) __attribute__((format(printf, 2, 3)));
};

// An editor that logs what the dispatcher asks of it.
class RecordingEditor : public AEffEditor {
public:
    explicit RecordingEditor(AudioEffect* owner, bool* destroyedFlag = nullptr)
        : AEffEditor(owner),
          destroyed(destroyedFlag)
    {
    }
    ~RecordingEditor() override;

    std::string log;
    VstKeyCode lastKey{};
    bool* destroyed;

    void* window() const { return systemWindow; }
    VstInt32 flag() const { return updateFlag; }

    void close() override { log += "close;"; }
    void idle() override { log += "idle;"; }
    VstInt32 onKeyDown(VstKeyCode& key) override
    {
        lastKey = key;
        log += "keyDown;";
        return 1;
    }
    VstInt32 onKeyUp(VstKeyCode& key) override
    {
        lastKey = key;
        log += "keyUp;";
        return 0;
    }
    VstInt32 setKnobMode(int mode) override
    {
        log += "knobMode(" + std::to_string(mode) + ");";
        return 1;
    }
};

// Calls the record's dispatcher exactly as a host does. (effClose goes
// through the record's instance instead, so that it knows the record is
// gone.)
VstIntPtr dispatch(AEffect* e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                   void* ptr = nullptr, float opt = 0.0f);

// Constructs an effect under `host`, answered by `answers`; the instance
// owns the record (effClose frees it).
std::unique_ptr<HostInstance> makeRecord(tarvenna::host::Host& host, FixedAnswers& answers,
                                         RecordingEffect** effect = nullptr, VstInt32 programs = 1);

// An effect with nothing but the layer's defaults (process is required).
class PlainEffect : public AudioEffectX {
public:
    explicit PlainEffect(audioMasterCallback host, VstInt32 programs = 1, VstInt32 params = 4)
        : AudioEffectX(host, programs, params)
    {
    }
    void process(float**, float**, VstInt32) override {}
    void attachEditor(AEffEditor* e) { editor = e; }
};
