#include "plugin/UserMessage.h"

#include "gui/widgets/SInfo.h"
#include "plugin/LoadFailure.h"

void ShowUserMessage(const char* text) { kvor::gui::SInfo(text, kProductTitle); }
