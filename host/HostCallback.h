// The audioMasterCallback every instance of this host is created with.
#pragma once

#include "plugin/VstRecords.h"

namespace tarvenna::host {

VstIntPtr hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                       float opt);

}  // namespace tarvenna::host
