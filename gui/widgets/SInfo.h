// The toolkit's info box: shows a message under a title and returns at once.
#pragma once

namespace kvor::gui {

void SInfo(const char* text, const char* title);

}  // namespace kvor::gui
