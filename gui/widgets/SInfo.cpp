#include "gui/widgets/SInfo.h"

#include <cstdio>

namespace kvor::gui {

// Until the message dialog exists the box is a text on standard error, so a
// refused load is never silent.
void SInfo(const char* text, const char* title)
{
    std::fprintf(stderr, "[%s] %s\n", title ? title : "", text ? text : "");
    std::fflush(stderr);
}

}  // namespace kvor::gui
