#include "editor/SStaticData.h"

#include "gui/Connections.h"
#include "gui/SColour.h"

#include <mutex>

// Made before, and destroyed after, every ordinary static object of the
// module: the module's start-up fills it once its X connection is open and
// empties it before that closes, in whatever order the linker placed the
// two files, so the table's own destruction has no X resource left to free.
__attribute__((init_priority(1000))) SStaticData statdata;

void SStaticData::AddColours()
{
    struct Triple {
        int red, green, blue;
    };
    static const Triple kTable[kvor::gui::SColourRing::kCapacity] = {
        {255, 255, 255}, {255, 255, 0},   {255, 128, 0},   {128, 64, 0},    {255, 0, 0},
        {100, 0, 0},     {64, 0, 0},      {255, 0, 255},   {128, 0, 255},   {172, 128, 255},
        {0, 0, 255},     {0, 128, 255},   {0, 255, 255},   {0, 255, 0},     {0, 128, 0},
        {0, 64, 0},      {128, 255, 0},   {192, 255, 0},   {255, 236, 200}, {128, 128, 128},
        {0, 0, 0},       {247, 231, 168}, {236, 213, 123}, {138, 145, 150}, {77, 81, 84},
        {22, 22, 22},    {44, 44, 44},    {66, 66, 66},    {90, 90, 90},
    };
    for (const Triple& entry : kTable)
        AppendColour(kvor::gui::SCOL(entry.red, entry.green, entry.blue));
}

// Colours allocated without a display would all be 0: a black panel.
void SStaticData::AddColoursOnce()
{
    static std::mutex filling;
    if (ColourCount() > 0 || kvor::gui::DisplayInUse() == nullptr)
        return;
    std::lock_guard<std::mutex> guard(filling);
    if (ColourCount() == 0)
        AddColours();
}
