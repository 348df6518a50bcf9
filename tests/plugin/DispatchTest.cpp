// What each opcode reaches and what the host gets back, driven through the
// record's dispatcher.
#include <cstring>

#include "LayerFixture.h"

namespace {

using VstDispatch = LayerTest;

TEST_F(VstDispatch, IdentifyAnswersNvEfWhateverTheArguments)
{
    EXPECT_EQ(dispatch(e, effIdentify), 0x4e764566);
    EXPECT_EQ(dispatch(e, effIdentify, 9, -3, bufferA, 2.5f), 0x4e764566);
}

TEST_F(VstDispatch, VersionKeysAndVuDefaults)
{
    EXPECT_EQ(dispatch(e, effGetVstVersion), 2300);
    EXPECT_EQ(dispatch(e, effKeysRequired), 1);  // inverted: keys not required
    fx->keys = true;
    EXPECT_EQ(dispatch(e, effKeysRequired), 0);
    EXPECT_EQ(dispatch(e, effGetVu), 0);
}

TEST_F(VstDispatch, VuIsScaledTo32767AndTruncatedTowardZero)
{
    fx->vu = 0.5f;
    EXPECT_EQ(dispatch(e, effGetVu), 16383);
    fx->vu = -0.5f;
    EXPECT_EQ(dispatch(e, effGetVu), -16383);
    fx->vu = 1.0f;
    EXPECT_EQ(dispatch(e, effGetVu), 32767);
}

TEST_F(VstDispatch, SetProgramIgnoresNumbersNotBelowTheProgramCount)
{
    EXPECT_EQ(dispatch(e, effSetProgram, 0, 1), 0);
    EXPECT_EQ(dispatch(e, effGetProgram), 0);

    FixedAnswers other;
    RecordingEffect* three = nullptr;
    const std::unique_ptr<HostInstance> instanceOfThree = makeRecord(host, other, &three, 3);
    AEffect* r = instanceOfThree->Effect();
    dispatch(r, effSetProgram, 0, 2);
    EXPECT_EQ(dispatch(r, effGetProgram), 2);
    dispatch(r, effSetProgram, 0, 3);
    EXPECT_EQ(dispatch(r, effGetProgram), 2);
    EXPECT_EQ(instanceOfThree->Close(), 1);
}

TEST_F(VstDispatch, OpcodesOutsideTheInterfaceAnswerZeroAndDoNothing)
{
    for (VstInt32 opcode : {77, -1, 1000, INT32_MIN})
        EXPECT_EQ(dispatch(e, opcode, 1, 1, bufferA, 1.0f), 0) << opcode;
    // Opcodes with no operation of their own.
    for (VstInt32 opcode : {effEditDraw, effEditMouse, effEditKey, effEditTop, effEditSleep})
        EXPECT_EQ(dispatch(e, opcode, 1, 1, bufferA, 1.0f), 0) << opcode;
    EXPECT_EQ(fx->log, "");
    EXPECT_TRUE(Calls().empty());
}

TEST_F(VstDispatch, LifecycleOpcodesReachTheirOperations)
{
    EXPECT_EQ(dispatch(e, effOpen), 0);
    EXPECT_EQ(dispatch(e, effMainsChanged, 0, 1), 0);
    EXPECT_EQ(dispatch(e, effMainsChanged, 0, 0), 0);
    EXPECT_EQ(fx->log, "open();resume();suspend();");
    EXPECT_EQ(dispatch(e, effSetSampleRate, 0, 0, nullptr, 48000.0f), 0);
    EXPECT_EQ(dispatch(e, effSetBlockSize, 0, 256), 0);
    EXPECT_EQ(fx->getSampleRate(), 48000.0f);
    EXPECT_EQ(fx->getBlockSize(), 256);
    EXPECT_EQ(dispatch(e, effSetBlockSizeAndSampleRate, 0, 64, nullptr, 96000.0f), 1);
    EXPECT_EQ(fx->getBlockSize(), 64);
    EXPECT_EQ(fx->getSampleRate(), 96000.0f);
}

TEST_F(VstDispatch, DefaultTextOperationsWriteAnEmptyString)
{
    for (VstInt32 opcode : {effSetProgramName, effGetProgramName, effGetParamLabel,
                            effGetParamDisplay, effGetParamName}) {
        std::memset(bufferA, 'x', 16);
        EXPECT_EQ(dispatch(e, opcode, 1, 0, bufferA), 0) << opcode;
        EXPECT_EQ(bufferA[0], 0) << opcode;
        EXPECT_EQ(bufferA[1], 'x') << opcode;
    }
}

TEST_F(VstDispatch, ChunkOpcodesPassThePresetFlagAndReturnTheResult)
{
    void* chunk = nullptr;
    EXPECT_EQ(dispatch(e, effGetChunk, 1, 0, &chunk), 60);
    EXPECT_EQ(chunk, bufferB);
    EXPECT_EQ(dispatch(e, effSetChunk, 0, 61, bufferA), 1);
    EXPECT_EQ(fx->log, "getChunk(other,1);setChunk(A,61,0);");
}

TEST_F(VstDispatch, ProcessEventsPassesTheHostsBlock)
{
    VstMidiEvent note{};
    VstEventBlock<1> block{};
    block.numEvents = 1;
    block.events[0] = reinterpret_cast<VstEvent*>(&note);
    EXPECT_EQ(dispatch(e, effProcessEvents, 0, 0, block.asVstEvents()), 1);
    EXPECT_EQ(fx->log, "processEvents(1);");
}

// One opcode, its arguments, the operation call it must become and the
// answer that must reach the host.
struct Mapping {
    VstInt32 opcode, index;
    VstIntPtr value;
    void* ptr;
    float opt;
    const char* call;
    VstIntPtr answer;
};

TEST_F(VstDispatch, ExtendedOpcodesMapArgumentsAndAnswers)
{
    const Mapping cases[] = {
        {effString2Parameter, 3, 0, bufferA, 0, "string2parameter(3,A)", 1},
        {effGetProgramNameIndexed, 4, 9, bufferA, 0, "getProgramNameIndexed(9,4,A)", 1},
        {effCopyProgram, 0, 0, nullptr, 0, "copyProgram(0)", 1},
        {effCopyProgram, 2, 0, nullptr, 0, "copyProgram(2)", 0},
        {effConnectInput, 1, 5, nullptr, 0, "inputConnected(1,1)", 1},
        {effConnectOutput, 2, 0, nullptr, 0, "outputConnected(2,0)", 1},
        {effOfflineNotify, 1, 3, bufferA, 0, "offlineNotify(A,3,1)", 1},
        {effOfflinePrepare, 0, 2, bufferA, 0, "offlinePrepare(A,2)", 1},
        {effOfflineRun, 0, 4, bufferB, 0, "offlineRun(B,4)", 0},
        {effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(bufferA), bufferB, 0,
         "setSpeakerArrangement(A,B)", 1},
        {effSetBypass, 0, 7, nullptr, 0, "setBypass(1)", 1},
        {effSetBypass, 0, 0, nullptr, 0, "setBypass(0)", 0},
        {effVendorSpecific, 6, -2, bufferB, 0.5f, "vendorSpecific(6,-2,B,0.5)", 77},
        {effSetViewPosition, 10, 20, nullptr, 0, "setViewPosition(10,20)", 1},
        {effGetMidiProgramName, 9, 0, bufferA, 0, "getMidiProgramName(9,A)", 5},
        {effHasMidiProgramsChanged, 15, 0, nullptr, 0, "hasMidiProgramsChanged(15)", 1},
        {effSetPanLaw, 0, 1, nullptr, 0.75f, "setPanLaw(1,0.75)", 1},
        {effShellGetNextPlugin, 0, 0, bufferA, 0, "getNextShellPlugin(A)", 0x41424344},
    };
    for (const Mapping& c : cases) {
        fx->log.clear();
        EXPECT_EQ(dispatch(e, c.opcode, c.index, c.value, c.ptr, c.opt), c.answer) << c.call;
        EXPECT_EQ(fx->log, std::string(c.call) + ";");
    }
}

TEST_F(VstDispatch, ExtendedDefaultsReachTheHost)
{
    EXPECT_EQ(dispatch(e, effCanBeAutomated, 2), 1);
    EXPECT_EQ(dispatch(e, effGetNumProgramCategories), 1);
    EXPECT_EQ(dispatch(e, effGetPlugCategory), 0);
    fx->isSynth();
    EXPECT_EQ(dispatch(e, effGetPlugCategory), 2);
    EXPECT_EQ(dispatch(e, effGetCurrentMidiProgram, 0, 0, bufferA), -1);
    EXPECT_EQ(dispatch(e, effSetTotalSampleToProcess, 0, 4096), 4096);
    EXPECT_EQ(dispatch(e, effGetInputProperties, 0, 0, bufferA), 0);
    EXPECT_EQ(dispatch(e, effGetEffectName, 0, 0, bufferA), 0);
    EXPECT_EQ(dispatch(e, effGetDestinationBuffer), 0);
    EXPECT_EQ(dispatch(e, effGetIcon), 0);
}

TEST_F(VstDispatch, GetSpeakerArrangementDefaultClearsBothPointers)
{
    VstSpeakerArrangement* in = reinterpret_cast<VstSpeakerArrangement*>(bufferA);
    VstSpeakerArrangement* out = in;
    EXPECT_EQ(dispatch(e, effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 0);
    EXPECT_EQ(in, nullptr);
    EXPECT_EQ(out, nullptr);
}

TEST_F(VstDispatch, CanDoPassesTheEffectsAnswerThrough)
{
    char text[] = "receiveVstEvents";
    for (VstInt32 answer : {1, 0, -1}) {
        fx->canDoAnswer = answer;
        EXPECT_EQ(dispatch(e, effCanDo, 0, 0, text), answer);
    }
    EXPECT_EQ(fx->log, "canDo(receiveVstEvents);canDo(receiveVstEvents);canDo(receiveVstEvents);");
}

TEST_F(VstDispatch, EditorOpcodesWithoutEditorAnswerZero)
{
    ERect* rect = nullptr;
    EXPECT_EQ(dispatch(e, effEditGetRect, 0, 0, &rect), 0);
    EXPECT_EQ(dispatch(e, effEditOpen, 0, 0, bufferA), 0);
    for (VstInt32 opcode :
         {effEditClose, effEditIdle, effEditKeyDown, effEditKeyUp, effSetEditKnobMode})
        EXPECT_EQ(dispatch(e, opcode, 'a', 1, nullptr, 1.0f), 0) << opcode;
}

TEST_F(VstDispatch, EditorOpcodesReachTheEditor)
{
    auto* ed = new RecordingEditor(fx);
    fx->attachEditor(ed);
    ERect* rect = reinterpret_cast<ERect*>(bufferB);
    EXPECT_EQ(dispatch(e, effEditGetRect, 0, 0, &rect), 0);
    EXPECT_EQ(rect, nullptr);  // the default has no rectangle to offer
    EXPECT_EQ(dispatch(e, effEditOpen, 0, 0, bufferA), 0);
    EXPECT_EQ(ed->window(), bufferA);
    EXPECT_EQ(dispatch(e, effEditClose), 0);
    EXPECT_EQ(dispatch(e, effEditIdle), 0);
    EXPECT_EQ(dispatch(e, effSetEditKnobMode, 0, 2), 1);
    EXPECT_EQ(ed->log, "close;idle;knobMode(2);");
}

TEST_F(VstDispatch, EditorKeysCarryCharacterVirtualKeyAndTruncatedModifier)
{
    auto* ed = new RecordingEditor(fx);
    fx->attachEditor(ed);
    EXPECT_EQ(dispatch(e, effEditKeyDown, 'q', 0x10B, nullptr, 2.9f), 1);
    EXPECT_EQ(ed->lastKey.character, 'q');
    EXPECT_EQ(ed->lastKey.virt, 0x0B);  // low byte of value
    EXPECT_EQ(ed->lastKey.modifier, 2);
    EXPECT_EQ(dispatch(e, effEditKeyUp, 'r', 3, nullptr, 0.5f), 0);
    EXPECT_EQ(ed->lastKey.character, 'r');
    EXPECT_EQ(ed->lastKey.virt, 3);
    EXPECT_EQ(ed->lastKey.modifier, 0);
    EXPECT_EQ(ed->log, "keyDown;keyUp;");
}

TEST(VstEditorDefaults, KeysAreDeclinedAndPostUpdateRaisesTheFlag)
{
    RecordingEditor probe(nullptr);
    AEffEditor& ed = probe;
    VstKeyCode key{};
    EXPECT_EQ(ed.AEffEditor::onKeyDown(key), -1);
    EXPECT_EQ(ed.AEffEditor::onKeyUp(key), -1);
    EXPECT_EQ(ed.AEffEditor::setKnobMode(1), 0);
    EXPECT_FALSE(ed.onWheel(1.0f));
    EXPECT_EQ(probe.flag(), 0);
    ed.postUpdate();
    EXPECT_EQ(probe.flag(), 1);
    ed.AEffEditor::idle();  // the base idle leaves the flag to a derived editor
    EXPECT_EQ(probe.flag(), 1);
}

TEST(VstEditorDefaults, TheEffectDestructorDeletesItsEditor)
{
    bool gone = false;
    {
        PlainEffect fx(nullptr);
        fx.attachEditor(new RecordingEditor(&fx, &gone));
        EXPECT_FALSE(gone);
    }
    EXPECT_TRUE(gone);
}

}  // namespace
