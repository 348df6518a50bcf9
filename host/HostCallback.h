// The audioMasterCallback every instance of this host is created with.
// Tests that construct a plug-in class themselves hand it this callback
// (through Host::Instantiate with a factory, so that its requests reach an
// instance); a record the host does not know gets 0 for everything.
#pragma once

#include "plugin/VstRecords.h"

namespace tarvenna::host {

VstIntPtr HostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                       float opt);

}  // namespace tarvenna::host
