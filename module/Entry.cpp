// The module's exported entry points: the VST 2 one under both names hosts
// look for, and the LV2 descriptor, whose instances are made by the same
// entry point (one module, one relay for both faces).

#include "lv2/Lv2Descriptor.h"
#include "lv2/Lv2Ui.h"
#include "module/EntryPoint.h"

#define TARVENNA_EXPORT extern "C" __attribute__((visibility("default")))

TARVENNA_EXPORT AEffect* VSTPluginMain(audioMasterCallback hostCallback)
{
    return CreateInstance(hostCallback);
}

// C++ reserves the name main for the program's own entry, so the symbol gets
// its name from the assembler label instead.
TARVENNA_EXPORT AEffect* VSTPluginMainLegacy(audioMasterCallback hostCallback) __asm__("main");
AEffect* VSTPluginMainLegacy(audioMasterCallback hostCallback)
{
    return CreateInstance(hostCallback);
}

TARVENNA_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index)
{
    return lv2face::Descriptor(index, CreateInstance);
}

TARVENNA_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index)
{
    return lv2face::UiDescriptor(index);
}
