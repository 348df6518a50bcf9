// Hosts may send pointer opcodes with a null pointer: the layer answers 0
// and neither calls the operation nor writes anything.
#include <algorithm>
#include <iterator>

#include "LayerFixture.h"
#include "plugin/PointerOpcodes.h"

namespace {

bool guarded(VstInt32 opcode)
{
    return std::find(std::begin(kPointerOpcodes), std::end(kPointerOpcodes), opcode) !=
           std::end(kPointerOpcodes);
}

bool valueGuarded(VstInt32 opcode)
{
    return std::find(std::begin(kValuePointerOpcodes), std::end(kValuePointerOpcodes), opcode) !=
           std::end(kValuePointerOpcodes);
}

TEST(VstNullPointerTable, NamesEveryOpcodeThatReadsOrWritesThroughPtr)
{
    // Kept apart from the table on purpose: shrinking the table must fail here.
    const VstInt32 required[] = {4,  5,  6,  7,  8,  13, 14, 23, 24, 25, 27, 29, 33, 34, 38, 39, 40,
                                 41, 42, 45, 46, 47, 48, 51, 56, 62, 63, 64, 66, 69, 70, 75, 76};
    for (VstInt32 opcode : required)
        EXPECT_TRUE(guarded(opcode)) << opcode;
    EXPECT_TRUE(valueGuarded(effSetSpeakerArrangement));
    EXPECT_TRUE(valueGuarded(effGetSpeakerArrangement));
}

using VstNullPointers = LayerTest;

TEST_F(VstNullPointers, GuardedOpcodesWithNullPtrAnswerZeroAndCallNothing)
{
    auto* ed = new RecordingEditor(fx);
    fx->attachEditor(ed);
    fx->canDoAnswer = 1;
    VstSpeakerArrangement* untouched = reinterpret_cast<VstSpeakerArrangement*>(bufferB);
    const VstIntPtr value = reinterpret_cast<VstIntPtr>(&untouched);
    for (VstInt32 opcode : kPointerOpcodes) {
        EXPECT_EQ(dispatch(e, opcode, 1, value, nullptr, 1.0f), 0) << opcode;
        EXPECT_EQ(fx->log, "") << opcode;
        EXPECT_EQ(ed->log, "") << opcode;
        EXPECT_EQ(ed->window(), nullptr) << opcode;
    }
    EXPECT_EQ(untouched, reinterpret_cast<VstSpeakerArrangement*>(bufferB));
    EXPECT_TRUE(Calls().empty());
}

TEST_F(VstNullPointers, ValuePointerOpcodesWithNullValueAnswerZero)
{
    VstSpeakerArrangement* out = reinterpret_cast<VstSpeakerArrangement*>(bufferB);
    for (VstInt32 opcode : kValuePointerOpcodes) {
        EXPECT_EQ(dispatch(e, opcode, 0, 0, &out), 0) << opcode;
        EXPECT_EQ(fx->log, "") << opcode;
    }
    EXPECT_EQ(out, reinterpret_cast<VstSpeakerArrangement*>(bufferB));
}

// With every operation at its default, no opcode may dereference a null ptr
// or a null value, whether guarded or not (the sanitizer build checks the
// "or crash" part).
TEST(VstNullPointersEverywhere, NoOpcodeTouchesANullPointer)
{
    PlainEffect fx(nullptr);
    fx.attachEditor(new AEffEditor(&fx));
    AEffect* e = fx.getAeffect();
    for (VstInt32 opcode = effOpen; opcode <= effBeginLoadProgram + 1; ++opcode) {
        if (opcode == effClose)
            continue;  // would destroy the effect on the stack
        const VstIntPtr answer = dispatch(e, opcode, 0, 0, nullptr, 0.0f);
        if (guarded(opcode)) {
            EXPECT_EQ(answer, 0) << opcode;
        }
    }
}

TEST_F(VstNullPointers, TheSameOpcodesWorkWithAPointer)
{
    // The guard must not swallow real calls: one of each kind still arrives.
    char text[] = "x";
    fx->canDoAnswer = 1;
    EXPECT_EQ(dispatch(e, effCanDo, 0, 0, text), 1);
    EXPECT_EQ(dispatch(e, effString2Parameter, 0, 0, text), 1);
    VstSpeakerArrangement* arrangement = nullptr;
    EXPECT_EQ(
        dispatch(e, effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(bufferA), bufferB), 1);
    EXPECT_EQ(dispatch(e, effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&arrangement),
                       &arrangement),
              0);
    EXPECT_EQ(fx->log, "canDo(x);string2parameter(0,other);setSpeakerArrangement(A,B);");
}

}  // namespace
