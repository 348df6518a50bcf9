// The extended opcodes (25 to 76), grouped by what they are about; the
// basic ones go on to AudioEffect. bool answers reach the host as 1 or 0.
#include "plugin/AEffEditor.h"
#include "plugin/AudioEffectX.h"
#include "plugin/PointerOpcodes.h"

namespace {

template <typename T> T pointerIn(VstIntPtr value) { return reinterpret_cast<T>(value); }

// Opcodes 25 to 44: processing, programs, pins and offline work.
VstIntPtr dispatchProcessing(AudioEffectX& fx, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                             void* ptr, float opt)
{
    switch (opcode) {
    case effProcessEvents:
        return fx.processEvents(static_cast<VstEvents*>(ptr));
    case effCanBeAutomated:
        return fx.canParameterBeAutomated(index);
    case effString2Parameter:
        return fx.string2parameter(index, static_cast<char*>(ptr));
    case effGetNumProgramCategories:
        return fx.getNumCategories();
    case effGetProgramNameIndexed:
        return fx.getProgramNameIndexed(static_cast<VstInt32>(value), index,
                                        static_cast<char*>(ptr));
    case effCopyProgram:
        return fx.copyProgram(index);
    case effConnectInput:
        fx.inputConnected(index, value != 0);
        return 1;
    case effConnectOutput:
        fx.outputConnected(index, value != 0);
        return 1;
    case effGetInputProperties:
        return fx.getInputProperties(index, static_cast<VstPinProperties*>(ptr));
    case effGetOutputProperties:
        return fx.getOutputProperties(index, static_cast<VstPinProperties*>(ptr));
    case effGetPlugCategory:
        return fx.getPlugCategory();
    case effGetCurrentPosition:
        return fx.reportCurrentPosition();
    case effGetDestinationBuffer:
        return reinterpret_cast<VstIntPtr>(fx.reportDestinationBuffer());
    case effOfflineNotify:
        return fx.offlineNotify(static_cast<VstAudioFile*>(ptr), static_cast<VstInt32>(value),
                                index != 0);
    case effOfflinePrepare:
        return fx.offlinePrepare(static_cast<VstOfflineTask*>(ptr), static_cast<VstInt32>(value));
    case effOfflineRun:
        return fx.offlineRun(static_cast<VstOfflineTask*>(ptr), static_cast<VstInt32>(value));
    case effProcessVarIo:
        return fx.processVariableIo(static_cast<VstVariableIo*>(ptr));
    case effSetSpeakerArrangement:
        return fx.setSpeakerArrangement(pointerIn<VstSpeakerArrangement*>(value),
                                        static_cast<VstSpeakerArrangement*>(ptr));
    case effSetBlockSizeAndSampleRate:
        fx.setBlockSizeAndSampleRate(static_cast<VstInt32>(value), opt);
        return 1;
    case effSetBypass:
        return fx.setBypass(value != 0);
    default:
        return 0;
    }
}

// Opcodes 45 to 58: names, capabilities and versions.
VstIntPtr dispatchInfo(AudioEffectX& fx, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                       void* ptr, float opt)
{
    char* text = static_cast<char*>(ptr);
    switch (opcode) {
    case effGetEffectName:
        return fx.getEffectName(text);
    case effGetErrorText:
        return fx.getErrorText(text);
    case effGetVendorString:
        return fx.getVendorString(text);
    case effGetProductString:
        return fx.getProductString(text);
    case effGetVendorVersion:
        return fx.getVendorVersion();
    case effVendorSpecific:
        return fx.vendorSpecific(index, value, ptr, opt);
    case effCanDo:
        return fx.canDo(text);
    case effGetTailSize:
        return fx.getGetTailSize();
    case effIdle:
        return fx.fxIdle();
    case effGetIcon:
        return reinterpret_cast<VstIntPtr>(fx.getIcon());
    case effSetViewPosition:
        return fx.setViewPosition(index, static_cast<VstInt32>(value));
    case effGetParameterProperties:
        return fx.getParameterProperties(index, static_cast<VstParameterProperties*>(ptr));
    // The interface asks whether keys are NOT required.
    case effKeysRequired:
        return fx.keysRequired() ? 0 : 1;
    case effGetVstVersion:
        return fx.getVstVersion();
    default:
        return 0;
    }
}

// Opcodes 62 to 76: MIDI programs, speaker arrangements, shells and loading.
VstIntPtr dispatchMidiAndLoading(AudioEffectX& fx, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                 void* ptr, float opt)
{
    switch (opcode) {
    case effGetMidiProgramName:
        return fx.getMidiProgramName(index, static_cast<MidiProgramName*>(ptr));
    case effGetCurrentMidiProgram:
        return fx.getCurrentMidiProgram(index, static_cast<MidiProgramName*>(ptr));
    case effGetMidiProgramCategory:
        return fx.getMidiProgramCategory(index, static_cast<MidiProgramCategory*>(ptr));
    case effHasMidiProgramsChanged:
        return fx.hasMidiProgramsChanged(index);
    case effGetMidiKeyName:
        return fx.getMidiKeyName(index, static_cast<MidiKeyName*>(ptr));
    case effBeginSetProgram:
        return fx.beginSetProgram();
    case effEndSetProgram:
        return fx.endSetProgram();
    case effGetSpeakerArrangement:
        return fx.getSpeakerArrangement(pointerIn<VstSpeakerArrangement**>(value),
                                        static_cast<VstSpeakerArrangement**>(ptr));
    case effShellGetNextPlugin:
        return fx.getNextShellPlugin(static_cast<char*>(ptr));
    case effStartProcess:
        return fx.startProcess();
    case effStopProcess:
        return fx.stopProcess();
    case effSetTotalSampleToProcess:
        return fx.setTotalSampleToProcess(static_cast<VstInt32>(value));
    case effSetPanLaw:
        return fx.setPanLaw(static_cast<VstInt32>(value), opt);
    case effBeginLoadBank:
        return fx.beginLoadBank(static_cast<VstPatchChunkInfo*>(ptr));
    case effBeginLoadProgram:
        return fx.beginLoadProgram(static_cast<VstPatchChunkInfo*>(ptr));
    default:
        return 0;
    }
}

// The host passes the modifier mask as a float; out-of-range values would
// make the conversion undefined, and no real mask is that large.
unsigned char modifierOf(float opt)
{
    if (!(opt > -2147483648.0f && opt < 2147483648.0f))
        return 0;
    return static_cast<unsigned char>(static_cast<VstInt32>(opt));
}

}  // namespace

// Opcodes 59 to 61: keys and knob mode, for an existing editor only.
VstIntPtr AudioEffectX::dispatchEditorKeys(VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                           float opt)
{
    if (!editor)
        return 0;
    if (opcode == effSetEditKnobMode)
        return editor->setKnobMode(static_cast<int>(value));
    VstKeyCode key{};
    key.character = index;
    key.virt = static_cast<unsigned char>(value);
    key.modifier = modifierOf(opt);
    return opcode == effEditKeyDown ? editor->onKeyDown(key) : editor->onKeyUp(key);
}

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt)
{
    if (lacksPointerArgument(opcode, value, ptr))
        return 0;
    if (opcode >= effProcessEvents && opcode <= effSetBypass)
        return dispatchProcessing(*this, opcode, index, value, ptr, opt);
    if (opcode >= effGetEffectName && opcode <= effGetVstVersion)
        return dispatchInfo(*this, opcode, index, value, ptr, opt);
    if (opcode >= effEditKeyDown && opcode <= effSetEditKnobMode)
        return dispatchEditorKeys(opcode, index, value, opt);
    if (opcode >= effGetMidiProgramName && opcode <= effBeginLoadProgram)
        return dispatchMidiAndLoading(*this, opcode, index, value, ptr, opt);
    return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
}
