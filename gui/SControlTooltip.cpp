// A control's tooltip hooks: the content it owns, opening and closing its
// tip, and where the tip goes when the pointer enters.
#include "gui/SControl.h"

#include "gui/STip.h"

namespace kvor::gui {

// Without a tip window there is nothing to lay the text out in: the
// control has no tip then.
void SControl::SetTooltip(STipWindow* tip, const char* text, int placement)
{
    DeleteTooltipData();
    if (tip == nullptr)
        return;
    tooltipData = tip->MakeContent(this, text, placement);
    tip->Register(this);
}

void SControl::SetTooltip(STipWindow* tip, const Text& text, int placement)
{
    SetTooltip(tip, text.data, placement);
}

void SControl::SetTooltip(STipWindow* tip, STipContent* data, int)
{
    if (data != tooltipData)
        DeleteTooltipData();
    tooltipData = data;
    STipWindow* owner = tip != nullptr ? tip : (data != nullptr ? data->Window() : nullptr);
    if (owner != nullptr)
        owner->Register(this);
}

void SControl::ShowTooltip(const Point& where)
{
    if (tooltipData != nullptr && tooltipData->Window() != nullptr)
        tooltipData->Open(where);
}

void SControl::HideTooltip()
{
    if (tooltipData != nullptr)
        tooltipData->Close();
}

void SControl::CloseTip() { HideTooltip(); }

void SControl::DeleteTooltipData()
{
    STipContent* doomed = tooltipData;
    tooltipData = nullptr;
    delete doomed;
}

SControl::Point SControl::TooltipPlace()
{
    if (tooltipData == nullptr || tooltipData->Window() == nullptr)
        return Point{0, 0};
    return tooltipData->PlaceBeside(*this);
}

}  // namespace kvor::gui
