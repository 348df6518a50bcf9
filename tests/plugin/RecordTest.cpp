// The AEffect record after construction, the flag and field setters, and the
// record functions that lead from the record back to the object.
#include <cstring>

#include "LayerFixture.h"
#include "host/HostCallback.h"
#include "plugin/RecordFunctions.h"

namespace {

TEST(VstRecord, ConstructorFillsRecordForTheHost)
{
    RecordingEffect fx(tarvenna::host::HostCallback, 3, 7);
    const AEffect& r = *fx.getAeffect();
    EXPECT_EQ(r.magic, 0x56737450);
    EXPECT_EQ(r.dispatcher, &dispatchEffectClass);
    EXPECT_EQ(r.process, &processClass);
    EXPECT_EQ(r.processReplacing, &processClassReplacing);
    EXPECT_EQ(r.setParameter, &setParameterClass);
    EXPECT_EQ(r.getParameter, &getParameterClass);
    EXPECT_EQ(r.numPrograms, 3);
    EXPECT_EQ(r.numParams, 7);
    EXPECT_EQ(r.numInputs, 1);
    EXPECT_EQ(r.numOutputs, 2);
    EXPECT_EQ(r.flags, 0);
    EXPECT_EQ(r.reserved1, 0);
    EXPECT_EQ(r.reserved2, 0);
    EXPECT_EQ(r.initialDelay, 0);
    EXPECT_EQ(r.realQualities, 0);
    EXPECT_EQ(r.offQualities, 0);
    EXPECT_EQ(r.ioRatio, 1.0f);
    EXPECT_EQ(r.object, static_cast<AudioEffect*>(&fx));
    EXPECT_EQ(r.uniqueID, 0x4e6f4566);  // "NoEf"
    EXPECT_EQ(r.version, 1);
    for (char c : r.future)
        EXPECT_EQ(c, 0);
}

TEST(VstRecord, MembersStartWithTheirDefaults)
{
    PlainEffect fx(nullptr);
    EXPECT_EQ(fx.getAeffect()->user, nullptr);
    EXPECT_EQ(fx.getSampleRate(), 44100.0f);
    EXPECT_EQ(fx.getBlockSize(), 1024);
    EXPECT_EQ(fx.getProgram(), 0);
    EXPECT_EQ(fx.getEditor(), nullptr);
}

TEST(VstRecord, FlagSettersSetAndClearOnlyTheirBit)
{
    PlainEffect fx(nullptr);
    struct Setter {
        void (*set)(PlainEffect&, bool);
        VstInt32 bit;
    } setters[] = {
        {[](PlainEffect& f, bool s) { f.hasClip(s); }, 0x2},
        {[](PlainEffect& f, bool s) { f.hasVu(s); }, 0x4},
        {[](PlainEffect& f, bool s) { f.canMono(s); }, 0x8},
        {[](PlainEffect& f, bool s) { f.canProcessReplacing(s); }, 0x10},
        {[](PlainEffect& f, bool s) { f.programsAreChunks(s); }, 0x20},
        {[](PlainEffect& f, bool s) { f.isSynth(s); }, 0x100},
        {[](PlainEffect& f, bool s) { f.noTail(s); }, 0x200},
        {[](PlainEffect& f, bool s) { f.wantAsyncOperation(s); }, 0x400},
        {[](PlainEffect& f, bool s) { f.hasExternalBuffer(s); }, 0x800},
    };
    VstInt32& flags = fx.getAeffect()->flags;
    for (const Setter& s : setters) {
        flags = 0x1;
        s.set(fx, true);
        EXPECT_EQ(flags, 0x1 | s.bit) << "bit " << s.bit;
        s.set(fx, false);
        EXPECT_EQ(flags, 0x1) << "bit " << s.bit;
    }
    // The plug-in's own combination, built the way its base class builds it.
    flags = 0;
    fx.isSynth();
    fx.canProcessReplacing();
    fx.hasVu(false);
    fx.hasClip(false);
    fx.programsAreChunks();
    fx.canMono();
    flags |= effFlagsHasEditor;
    EXPECT_EQ(flags, 0x139);
}

TEST(VstRecord, FieldSettersWriteTheRecord)
{
    PlainEffect fx(nullptr);
    fx.setUniqueID(0x51524E65);
    fx.setNumInputs(2);
    fx.setNumOutputs(6);
    fx.setInitialDelay(128);
    fx.setRealtimeQualities(3);
    fx.setOfflineQualities(4);
    const AEffect& r = *fx.getAeffect();
    EXPECT_EQ(r.uniqueID, 0x51524E65);
    EXPECT_EQ(r.numInputs, 2);
    EXPECT_EQ(r.numOutputs, 6);
    EXPECT_EQ(r.initialDelay, 128);
    EXPECT_EQ(r.realQualities, 3);
    EXPECT_EQ(r.offQualities, 4);
}

using VstRecordFunctions = LayerTest;

TEST_F(VstRecordFunctions, ProcessCallsReachTheirOperations)
{
    float in[3] = {1, 2, 3}, out[3] = {10, 10, 10};
    float* ins[] = {in, in};
    float* outs[] = {out, out};
    e->processReplacing(e, ins, outs, 3);
    EXPECT_EQ(out[2], 3.0f);
    e->process(e, ins, outs, 3);
    EXPECT_EQ(out[2], 6.0f);
    EXPECT_EQ(fx->log, "processReplacing(3);process(3);");
}

TEST_F(VstRecordFunctions, ParameterCallsReachTheirOperations)
{
    e->setParameter(e, 2, 0.75f);
    EXPECT_EQ(fx->parameters[2], 0.75f);
    EXPECT_EQ(e->getParameter(e, 2), 0.75f);
    EXPECT_EQ(e->getParameter(e, 1), 0.0f);
}

TEST_F(VstRecordFunctions, CloseRunsCloseThenDestroysAndAnswersOne)
{
    bool effectGone = false, editorGone = false;
    std::string logAtDestruction;
    fx->destroyed = &effectGone;
    fx->lastLog = &logAtDestruction;
    fx->attachEditor(new RecordingEditor(fx, &editorGone));
    EXPECT_EQ(instance->Dispatch(effClose, 0, 0, bufferA, 0.0f), 1);
    EXPECT_TRUE(instance->Closed());  // the record went with the object
    e = nullptr;
    EXPECT_TRUE(effectGone);
    EXPECT_TRUE(editorGone);
    EXPECT_EQ(logAtDestruction, "close();");
}

TEST(VstRecordFunctionsWithoutObject, AnswerZeroForARecordWithoutObject)
{
    AEffect empty{};
    EXPECT_EQ(dispatchEffectClass(&empty, effIdentify, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(dispatchEffectClass(nullptr, effClose, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(getParameterClass(&empty, 0), 0.0f);
    setParameterClass(&empty, 0, 1.0f);
    processClass(&empty, nullptr, nullptr, 16);
    processClassReplacing(&empty, nullptr, nullptr, 16);
}

}  // namespace
