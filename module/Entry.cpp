// The module's exported entry point, under both names hosts look for.

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
