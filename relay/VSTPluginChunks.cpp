// The host stores a node's settings as the raw program record: a program
// chunk of 60 bytes or a bank chunk of 61.
#include "relay/VSTPlugin.h"

#include <cstring>

// The host reads the block after we return, while other threads may go on
// changing the settings and saving them; each caller gets a copy that no
// later call rewrites while the settings stay as they are, taken from the
// settings snapshot (the node's lock is the audio thread's). Both chunk
// kinds start at the copy's first byte.
VstInt32 VSTPlugin::getChunk(void** data, bool isPreset)
{
    if (data == nullptr)
        return 0;
    const NodeSettings now = settings.Read();
    chunkCopyLock.Lock();
    if (std::memcmp(&chunkCopies[latestChunkCopy], &now.bank, sizeof now.bank) != 0) {
        latestChunkCopy = (latestChunkCopy + 1) % kChunkCopies;
        chunkCopies[latestChunkCopy] = now.bank;
    }
    VSTPluginProgramBank* copy = &chunkCopies[latestChunkCopy];
    chunkCopyLock.Unlock();
    if (isPreset) {
        *data = &copy->programs[0];
        return kProgramChunkSize;
    }
    *data = copy;
    return kBankChunkSize;
}

// A block that is taken is applied through setProgram, which knows whether
// this is the node's first load and moves it in the registry accordingly.
//
// Loads of one node are taken one at a time: two at once could leave the
// program saying what one of them stored and the registry what the other
// applied. The block is read into a copy outside releaseLock: the reader
// may show the newer-version message, which must not hold up the audio
// thread. A load that switches Thru off starts the flush that switching it
// off by hand starts, so that the notes that went through to the host are
// ended.
VstInt32 VSTPlugin::setChunk(void* data, VstInt32 byteSize, bool isPreset)
{
    loadLock.Lock();
    loadingChunk = 1;
    VSTPluginProgramBank loaded = settings.Read().bank;
    const int taken = isPreset ? loaded.readProgram(data, byteSize, currentProgram)
                               : loaded.readBank(data, byteSize);
    if (taken == 1) {
        LockForChange();
        const bool thruWasOn = ThruIsOn();
        bank.programs[0] = loaded.programs[0];
        PublishSettings();
        if (thruWasOn && !ThruIsOn())
            StartThruFlush();
        releaseLock.Unlock();
        setProgram(currentProgram);
    }
    loadingChunk = 0;
    loadLock.Unlock();
    return taken;
}
