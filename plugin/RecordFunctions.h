// The plain functions whose addresses stand in the AEffect record. Each one
// finds the effect object through the record's object field and calls the
// matching virtual operation.
#pragma once

#include "plugin/VstRecords.h"

VstIntPtr dispatchEffectClass(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                              void* ptr, float opt);
void processClass(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames);
void processClassReplacing(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames);
void setParameterClass(AEffect* e, VstInt32 index, float value);
float getParameterClass(AEffect* e, VstInt32 index);
