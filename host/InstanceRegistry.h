// Finds the HostInstance behind a request. Internal to the host library.
#pragma once

#include "plugin/VstRecords.h"

namespace tarvenna::host {

class HostInstance;

namespace registry {

void Add(AEffect* effect, HostInstance* instance);
// Waits for requests of the instance that are being answered.
void Remove(AEffect* effect);

// Answers a request for whichever instance it belongs to: the registered
// owner of `effect`, else the instance this thread is creating. The lookup
// is held (shared, so requests of parallel audio threads do not wait for
// each other) while answering, so a closing instance cannot vanish midway.
VstIntPtr Answer(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                 float opt);

std::size_t StrayCount();

// Marks the instance whose entry call runs on this thread, for the requests
// made before its record is known.
class CreationScope {
public:
    explicit CreationScope(HostInstance* instance);
    ~CreationScope();
    CreationScope(const CreationScope&) = delete;
    CreationScope& operator=(const CreationScope&) = delete;

private:
    HostInstance* previous;
};

}  // namespace registry
}  // namespace tarvenna::host
