// The basic opcodes (0 to 24): the host's flat calls become virtual
// operations. Anything beyond them is answered with 0.
#include "plugin/AEffEditor.h"
#include "plugin/AudioEffect.h"
#include "plugin/PointerOpcodes.h"

namespace {

// The editor opcodes that only reach an existing editor.
VstIntPtr dispatchEditor(AEffEditor* editor, VstInt32 opcode, void* ptr)
{
    if (!editor)
        return 0;
    switch (opcode) {
    case effEditGetRect:
        return editor->getRect(static_cast<ERect**>(ptr));
    case effEditOpen:
        return editor->open(ptr);
    case effEditClose:
        editor->close();
        return 0;
    case effEditIdle:
        editor->idle();
        return 0;
    default:
        return 0;
    }
}

}  // namespace

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                  float opt)
{
    if (lacksPointerArgument(opcode, value, ptr))
        return 0;
    char* text = static_cast<char*>(ptr);
    switch (opcode) {
    case effOpen:
        open();
        return 0;
    case effClose:
        close();
        return 0;
    case effSetProgram:
        if (value < programCount)
            setProgram(static_cast<VstInt32>(value));
        return 0;
    case effGetProgram:
        return getProgram();
    case effSetProgramName:
        setProgramName(text);
        return 0;
    case effGetProgramName:
        getProgramName(text);
        return 0;
    case effGetParamLabel:
        getParameterLabel(index, text);
        return 0;
    case effGetParamDisplay:
        getParameterDisplay(index, text);
        return 0;
    case effGetParamName:
        getParameterName(index, text);
        return 0;
    case effGetVu:
        return static_cast<VstIntPtr>(getVu() * 32767.0);
    case effSetSampleRate:
        setSampleRate(opt);
        return 0;
    case effSetBlockSize:
        setBlockSize(static_cast<VstInt32>(value));
        return 0;
    case effMainsChanged:
        if (value)
            resume();
        else
            suspend();
        return 0;
    case effEditGetRect:
    case effEditOpen:
    case effEditClose:
    case effEditIdle:
        return dispatchEditor(editor, opcode, ptr);
    case effIdentify:
        return kEffectIdentify;
    case effGetChunk:
        return getChunk(static_cast<void**>(ptr), index != 0);
    case effSetChunk:
        return setChunk(ptr, static_cast<VstInt32>(value), index != 0);
    default:
        return 0;  // 16-18, 20, 21 and every unknown opcode
    }
}
