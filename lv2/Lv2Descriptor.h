// The LV2 entry: the plug-in's descriptor, whose functions make and drive
// an Lv2Node from the module's entry point.
#pragma once

#include "lv2/Lv2Node.h"

namespace lv2face {

// The descriptor at `index` (only 0 exists), its nodes made by `maker`.
const LV2_Descriptor* Descriptor(uint32_t index, NodeMaker maker);

}  // namespace lv2face
