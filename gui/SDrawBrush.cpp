#include "gui/SDrawBrush.h"

#include "gui/SDrawBitmap.h"

namespace kvor::gui::context {

SDrawBrush::SDrawBrush(int colour, int kind, SDrawBitmap* bitmap)
    : bitmap(bitmap),
      kind(kind),
      colour(colour),
      secondColour(0)
{
}

SDrawBrush::~SDrawBrush() { delete bitmap; }

}  // namespace kvor::gui::context
