// The host stores a node's settings as the raw program record: a program
// chunk of 60 bytes or a bank chunk of 61, read in place by the host.
#include "relay/VSTPlugin.h"

VstInt32 VSTPlugin::getChunk(void** data, bool isPreset)
{
    if (data == nullptr)
        return 0;
    if (isPreset) {
        *data = &Program();
        return kProgramChunkSize;
    }
    *data = &bank;
    return kBankChunkSize;
}

// A block that is taken is applied through setProgram, which knows whether
// this is the node's first load and moves it in the registry accordingly.
VstInt32 VSTPlugin::setChunk(void* data, VstInt32 byteSize, bool isPreset)
{
    loadingChunk = 1;
    const int taken = isPreset ? bank.readProgram(data, byteSize, currentProgram)
                               : bank.readBank(data, byteSize);
    if (taken == 1)
        setProgram(currentProgram);
    loadingChunk = 0;
    return taken;
}
