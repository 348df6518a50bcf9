#include "plugin/AudioEffect.h"

#include "plugin/AEffEditor.h"
#include "plugin/RecordFunctions.h"

namespace {

// "NoEf", first character in the most significant byte: the placeholder ID
// until a plug-in sets its own.
constexpr VstInt32 kDefaultUniqueID = 0x4e6f4566;

}  // namespace

AudioEffect::AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams)
    : sampleRate(44100.0f),
      editor(nullptr),
      hostCallback(audioMaster),
      programCount(numPrograms),
      parameterCount(numParams),
      currentProgram(0),
      blockSize(1024),
      effectRecord{}
{
    effectRecord.magic = kEffectMagic;
    effectRecord.dispatcher = dispatchEffectClass;
    effectRecord.process = processClass;
    effectRecord.setParameter = setParameterClass;
    effectRecord.getParameter = getParameterClass;
    effectRecord.numPrograms = numPrograms;
    effectRecord.numParams = numParams;
    effectRecord.numInputs = 1;
    effectRecord.numOutputs = 2;
    effectRecord.ioRatio = 1.0f;
    effectRecord.object = this;
    effectRecord.uniqueID = kDefaultUniqueID;
    effectRecord.version = 1;
    effectRecord.processReplacing = processClassReplacing;
}

AudioEffect::~AudioEffect() { delete editor; }

void AudioEffect::setFlag(VstInt32 flag, bool state)
{
    if (state)
        effectRecord.flags |= flag;
    else
        effectRecord.flags &= ~flag;
}

void AudioEffect::setParameter(VstInt32, float) {}
float AudioEffect::getParameter(VstInt32) { return 0.0f; }
void AudioEffect::processReplacing(float**, float**, VstInt32) {}
void AudioEffect::open() {}
void AudioEffect::close() {}

VstInt32 AudioEffect::getProgram() { return currentProgram; }
void AudioEffect::setProgram(VstInt32 program) { currentProgram = program; }

// The text operations answer an empty string so that a host never shows
// whatever happened to be in its buffer.
void AudioEffect::setProgramName(char* name) { *name = 0; }
void AudioEffect::getProgramName(char* name) { *name = 0; }
void AudioEffect::getParameterLabel(VstInt32, char* label) { *label = 0; }
void AudioEffect::getParameterDisplay(VstInt32, char* text) { *text = 0; }
void AudioEffect::getParameterName(VstInt32, char* text) { *text = 0; }

float AudioEffect::getVu() { return 0.0f; }
VstInt32 AudioEffect::getChunk(void**, bool) { return 0; }
VstInt32 AudioEffect::setChunk(void*, VstInt32, bool) { return 0; }

void AudioEffect::setSampleRate(float rate) { sampleRate = rate; }
void AudioEffect::setBlockSize(VstInt32 size) { blockSize = size; }
void AudioEffect::suspend() {}
void AudioEffect::resume() {}

void AudioEffect::setUniqueID(VstInt32 id) { effectRecord.uniqueID = id; }
void AudioEffect::setNumInputs(VstInt32 inputs) { effectRecord.numInputs = inputs; }
void AudioEffect::setNumOutputs(VstInt32 outputs) { effectRecord.numOutputs = outputs; }

void AudioEffect::hasVu(bool state) { setFlag(effFlagsHasVu, state); }
void AudioEffect::hasClip(bool state) { setFlag(effFlagsHasClip, state); }
void AudioEffect::canMono(bool state) { setFlag(effFlagsCanMono, state); }
void AudioEffect::canProcessReplacing(bool state) { setFlag(effFlagsCanReplacing, state); }
void AudioEffect::programsAreChunks(bool state) { setFlag(effFlagsProgramChunks, state); }

void AudioEffect::setRealtimeQualities(VstInt32 qualities)
{
    effectRecord.realQualities = qualities;
}
void AudioEffect::setOfflineQualities(VstInt32 qualities) { effectRecord.offQualities = qualities; }
void AudioEffect::setInitialDelay(VstInt32 delay) { effectRecord.initialDelay = delay; }

float AudioEffect::getSampleRate() { return sampleRate; }
VstInt32 AudioEffect::getBlockSize() { return blockSize; }
