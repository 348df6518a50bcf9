// The colour table and caches the toolkit's tests register as its shared
// resources, as a plug-in registers its own.
#pragma once

#include "gui/SResourceCache.h"

namespace tarvenna::test {

inline kvor::gui::SResourceCache& ToolkitResources()
{
    static kvor::gui::SResourceCache resources;
    return resources;
}

}  // namespace tarvenna::test
