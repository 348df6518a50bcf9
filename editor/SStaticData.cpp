#include "editor/SStaticData.h"

#include "gui/Connections.h"

#include <mutex>

// Made before, and destroyed after, every ordinary static object of the
// module: the module's start-up fills it once its X connection is open and
// empties it before that closes, in whatever order the linker placed the
// two files, so the table's own destruction has no X resource left to free.
__attribute__((init_priority(1000))) SStaticData statdata;

// Colours allocated without a display would all be 0: a black panel.
void SStaticData::AddColoursOnce()
{
    static std::mutex filling;
    if (ColourCount() > 0 || kvor::gui::DisplayInUse() == nullptr)
        return;
    std::lock_guard<std::mutex> guard(filling);
    if (ColourCount() == 0)
        AddStandardColours();
}
