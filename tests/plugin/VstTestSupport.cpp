#include "VstTestSupport.h"

#include <cstdarg>
#include <cstdio>

#include <gtest/gtest.h>

char bufferA[256];
char bufferB[256];

const char* pointerName(const void* p)
{
    if (!p)
        return "null";
    if (p == bufferA)
        return "A";
    if (p == bufferB)
        return "B";
    return "other";
}

tarvenna::host::InstanceOptions FixedAnswers::Options()
{
    tarvenna::host::InstanceOptions options;
    options.hook = [this](const RequestRecord& request) -> std::optional<VstIntPtr> {
        if (onCall)
            onCall(request);
        return answer;
    };
    return options;
}

RecordingEffect::RecordingEffect(audioMasterCallback host, VstInt32 programs, VstInt32 params)
    : AudioEffectX(host, programs, params)
{
}

RecordingEffect::~RecordingEffect()
{
    if (destroyed)
        *destroyed = true;
    if (lastLog)
        *lastLog = log;
}

void RecordingEffect::note(const char* format, ...)
{
    char text[160];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    log += text;
    log += ';';
}

// Copies input to output and, for the accumulating call, adds to it, so
// the two process paths can be told apart.
void RecordingEffect::process(float** inputs, float** outputs, VstInt32 frames)
{
    for (VstInt32 i = 0; i < frames; ++i)
        outputs[0][i] += inputs[0][i];
    note("process(%d)", frames);
}

void RecordingEffect::processReplacing(float** inputs, float** outputs, VstInt32 frames)
{
    for (VstInt32 i = 0; i < frames; ++i)
        outputs[0][i] = inputs[0][i];
    note("processReplacing(%d)", frames);
}

void RecordingEffect::setParameter(VstInt32 index, float value)
{
    parameters[index & 3] = value;
    note("setParameter(%d,%g)", index, value);
}

VstInt32 RecordingEffect::getChunk(void** data, bool isPreset)
{
    *data = bufferB;
    note("getChunk(%s,%d)", pointerName(data), isPreset);
    return 60;
}

RecordingEditor::~RecordingEditor()
{
    if (destroyed)
        *destroyed = true;
}

VstIntPtr dispatch(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                   float opt)
{
    return e->dispatcher(e, opcode, index, value, ptr, opt);
}

std::unique_ptr<HostInstance> makeRecord(tarvenna::host::Host& host, FixedAnswers& answers,
                                         RecordingEffect** effect, VstInt32 programs)
{
    auto instance = host.Instantiate(
        [&](audioMasterCallback callback) {
            auto* fx = new RecordingEffect(callback, programs);
            if (effect)
                *effect = fx;
            return fx->getAeffect();
        },
        answers.Options());
    EXPECT_NE(instance, nullptr) << host.LastError();
    return instance;
}
