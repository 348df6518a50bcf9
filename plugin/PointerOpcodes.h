// The opcodes whose pointer arguments the effect's operations read or write.
// A host may send any of them with a null pointer; the dispatchers answer
// such a call with 0 before an operation sees it. This is the one list to
// audit when an opcode's use of ptr or value changes.
#pragma once

#include "plugin/VstOpcodes.h"

// ptr is a text, a record, a chunk, an event block or an editor argument.
inline constexpr VstInt32 kPointerOpcodes[] = {
    effSetProgramName,          // 4: text read
    effGetProgramName,          // 5: text written
    effGetParamLabel,           // 6: text written
    effGetParamDisplay,         // 7: text written
    effGetParamName,            // 8: text written
    effEditGetRect,             // 13: ERect** written
    effEditOpen,                // 14: the host's parent window
    effGetChunk,                // 23: void** written
    effSetChunk,                // 24: chunk read
    effProcessEvents,           // 25: event block read
    effString2Parameter,        // 27: text read
    effGetProgramNameIndexed,   // 29: text written
    effGetInputProperties,      // 33: pin record written
    effGetOutputProperties,     // 34: pin record written
    effOfflineNotify,           // 38: audio file records
    effOfflinePrepare,          // 39: offline task records
    effOfflineRun,              // 40: offline task records
    effProcessVarIo,            // 41: variable I/O record
    effSetSpeakerArrangement,   // 42: output arrangement read
    effGetEffectName,           // 45: text written
    effGetErrorText,            // 46: text written
    effGetVendorString,         // 47: text written
    effGetProductString,        // 48: text written
    effCanDo,                   // 51: text read
    effGetParameterProperties,  // 56: record written
    effGetMidiProgramName,      // 62: record read and written
    effGetCurrentMidiProgram,   // 63: record written
    effGetMidiProgramCategory,  // 64: record read and written
    effGetMidiKeyName,          // 66: record read and written
    effGetSpeakerArrangement,   // 69: output arrangement pointer written
    effShellGetNextPlugin,      // 70: text written
    effBeginLoadBank,           // 75: chunk info read
    effBeginLoadProgram,        // 76: chunk info read
};

// value carries a pointer too: the input arrangement (42) or its address (69).
inline constexpr VstInt32 kValuePointerOpcodes[] = {
    effSetSpeakerArrangement,
    effGetSpeakerArrangement,
};

// True when opcode needs a pointer argument that the host left null.
bool lacksPointerArgument(VstInt32 opcode, VstIntPtr value, const void* ptr);
