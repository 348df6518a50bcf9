// The host stores a node's settings as the raw program record: a program
// chunk of 60 bytes or a bank chunk of 61.
#include "relay/VSTPlugin.h"

// The host reads the block after we return, while other threads may go on
// changing the settings; it gets a copy that only getChunk writes, taken
// under the node's lock, rather than the live record.
VstInt32 VSTPlugin::getChunk(void** data, bool isPreset)
{
    if (data == nullptr)
        return 0;
    releaseLock.Lock();
    chunkCopy = bank;
    releaseLock.Unlock();
    if (isPreset) {
        *data = &chunkCopy.programs[0];
        return kProgramChunkSize;
    }
    *data = &chunkCopy;
    return kBankChunkSize;
}

// A block that is taken is applied through setProgram, which knows whether
// this is the node's first load and moves it in the registry accordingly.
//
// The block is read into a copy outside the lock: the reader may show the
// newer-version message, which must not hold up the audio thread. A load
// that switches Thru off starts the flush that switching it off by hand
// starts, so that the notes that went through to the host are ended.
VstInt32 VSTPlugin::setChunk(void* data, VstInt32 byteSize, bool isPreset)
{
    loadingChunk = 1;
    releaseLock.Lock();
    VSTPluginProgramBank loaded = bank;
    releaseLock.Unlock();
    const int taken = isPreset ? loaded.readProgram(data, byteSize, currentProgram)
                               : loaded.readBank(data, byteSize);
    if (taken == 1) {
        releaseLock.Lock();
        const bool thruWasOn = ThruIsOn();
        bank.programs[0] = loaded.programs[0];
        if (thruWasOn && !ThruIsOn())
            flushPending = 1;
        releaseLock.Unlock();
        setProgram(currentProgram);
    }
    loadingChunk = 0;
    return taken;
}
