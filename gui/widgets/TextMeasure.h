// Measuring text for layouts. The drawing context's measurement keeps its
// results in static storage, and labels are laid out on the idle thread and
// by the info box's callers as well as on the GUI thread, so every widget
// measures through here, one measurement at a time.
#pragma once

#include "runtime/datastring.h"

#include <vector>

namespace kvor::gui {

namespace context {
class SDrawFont;
}

struct STextExtent {
    int width;
    int height;
};

// Width of the text and ascent plus descent of the font; 0 x 0 for an empty
// text or without a font.
STextExtent MeasureText(const char* text, context::SDrawFont* font);

// The pieces of the text between line breaks ("\n"), empty ones included;
// a break at the very end starts no further line. An empty text has none.
std::vector<data::datastring<32, char>> SplitLines(const char* text);

}  // namespace kvor::gui
