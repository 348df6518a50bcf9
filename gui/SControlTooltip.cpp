// A control's tooltip hooks. The tip window and its data are made by
// SToolTip; until that exists no control holds tooltip data, so these hooks
// have nothing to act on and the event procedure never calls them.
// TODO: fill in once SToolTip and SToolTipData exist (data ownership,
// Open/Close on the tip, and the placement beside the control).
#include "gui/SControl.h"

namespace kvor::gui {

void SControl::SetTooltip(SToolTip*, const char*, int) {}

void SControl::SetTooltip(SToolTip*, const Text&, int) {}

void SControl::SetTooltip(SToolTip*, SToolTipData*, int) {}

void SControl::ShowTooltip(const Point&) {}

void SControl::HideTooltip() {}

void SControl::CloseTip() {}

void SControl::DeleteTooltipData() { tooltipData = nullptr; }

SControl::Point SControl::TooltipPlace() { return {0, 0}; }

}  // namespace kvor::gui
