#include "gui/SEvent.h"

#include <algorithm>

namespace kvor::gui {

int SEventHandler::Add(SControl* listener)
{
    const auto found = std::find(listeners.begin(), listeners.end(), listener);
    if (found != listeners.end())
        return static_cast<int>(found - listeners.begin());
    listeners.push_back(listener);
    return static_cast<int>(listeners.size()) - 1;
}

void SEventHandler::Remove(SControl* listener)
{
    const auto found = std::find(listeners.begin(), listeners.end(), listener);
    if (found != listeners.end())
        listeners.erase(found);
}

void SendKey(int, char, bool) {}
void SendText(int, char*) {}
void SendMouse(int, int, int, int, int) {}

const char* SWindowEventType(int type)
{
    return type == 16 ? "Eventtype: CreateNotify" : "Eventtype: (unknown)";
}

}  // namespace kvor::gui
