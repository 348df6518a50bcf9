// Laying out a tip's content from a text.
#include "gui/widgets/SToolTipData.h"

#include "gui/SControl.h"
#include "gui/SDrawFont.h"
#include "gui/SDrawObject.h"
#include "gui/widgets/SToolTip.h"
#include "gui/widgets/TextMeasure.h"

#include <algorithm>
#include <cstring>

namespace kvor::gui {

SToolTipData::SToolTipData(SToolTip* owningTip, SControl* owningControl, int side)
    : tip(owningTip),
      control(owningControl),
      placement(side)
{
}

SToolTipData::~SToolTipData()
{
    if (tip != nullptr) {
        tip->Forget(this);
        tip->Unregister(control);
    }
    for (context::SDrawObject* object : objects)
        delete object;
}

// With line breaks every line is measured, an empty one as high as the
// line before it (or as "W"); the block is 4 pixels higher than its lines.
// The lines that get objects are the non-empty pieces between breaks, tabs
// and returns.
SToolTipData::Block SToolTipData::MeasureLines(const char* text)
{
    context::SDrawFont* font = tip->NormalFont();
    lines.clear();
    lineRectangles.clear();
    if (std::strchr(text, '\n') == nullptr) {
        const STextExtent extent = MeasureText(text, font);
        lines.emplace_back();
        lines.back().Append(text);
        labelWidth = extent.width + 48;
        labelHeight = extent.height + 20;
        return Block{extent.width, extent.height + 4};
    }
    int widest = 0;
    int total = 0;
    int previous = -1;
    for (const Text& line : SplitLines(text)) {
        int height;
        if (line.data[0] != 0) {
            const STextExtent extent = MeasureText(line.data, font);
            widest = std::max(widest, extent.width);
            height = extent.height;
        } else {
            height = previous >= 0 ? previous : MeasureText("W", font).height;
        }
        total += height;
        previous = height;
    }
    Text whole;
    whole.Append(text);
    whole.Tokenize(lines, "\n\t\r");
    labelWidth = widest + 48;
    labelHeight = total + 20;
    return Block{widest, total + 4};
}

void SToolTipData::AddLineObjects(int x, int y, const Block& block)
{
    const int count = static_cast<int>(lines.size());
    if (count == 0)
        return;
    const int band = block.height / count;
    const size_t first = objects.size();
    for (int i = 0; i < count; ++i) {
        const int bottom = i + 1 == count ? y + block.height : y + (i + 1) * band;
        lineRectangles.push_back(Rect{x, y + i * band, x + block.width, bottom});
        auto* object = new context::STextObjectX;
        object->rectangle = lineRectangles.back();
        object->backgroundColour = tip->GetBackgroundColour();
        object->lineColour = tip->GetForegroundColour();
        object->text.Append(lines[static_cast<size_t>(i)].data);
        object->textColour = tip->textColour;
        object->alignment = tip->alignment;
        object->font = tip->NormalFont();
        AddObject(object, 0);
    }
    if (tip->firstLineColoured)
        static_cast<context::STextObject*>(objects[first])->textColour = tip->titleColour;
    if (tip->secondLineBold && count >= 2)
        static_cast<context::STextObjectX*>(objects[first + 1])->font = tip->BoldFont();
}

void SToolTipData::AddLabel(const char* text, unsigned)
{
    if (tip == nullptr || tip->NormalFont() == nullptr)
        return;
    const Block block = MeasureLines(text != nullptr ? text : "");
    int x = (labelWidth - block.width) / 2;
    if (placement == kTipRight)
        x += 4;
    else if (placement == kTipLeft)
        x -= 4;
    const int y = (labelHeight - block.height - 4) / 2;
    AddLineObjects(x, y, block);
}

void SToolTipData::AddText(const char* text, const Rect& where, unsigned)
{
    if (tip == nullptr)
        return;
    auto* object = new context::STextObjectX;
    object->rectangle = where;
    object->backgroundColour = tip->GetBackgroundColour();
    object->lineColour = tip->GetForegroundColour();
    object->text.Append(text);
    object->textColour = tip->textColour;
    object->alignment = tip->alignment;
    object->font = tip->NormalFont();
    AddObject(object, 0);
}

void SToolTipData::AddObject(context::SDrawObject* object, unsigned)
{
    if (object == nullptr)
        return;
    objects.push_back(object);
    Calculate();
}

void SToolTipData::Calculate()
{
    const int before = contentX2 - contentX1;
    if (objects.empty()) {
        contentX1 = contentY1 = contentX2 = contentY2 = 0;
        return;
    }
    contentX1 = contentY1 = 1000000;
    contentX2 = contentY2 = -100000;
    for (const context::SDrawObject* object : objects) {
        contentX1 = std::min(contentX1, object->rectangle.x1);
        contentY1 = std::min(contentY1, object->rectangle.y1);
        contentX2 = std::max(contentX2, object->rectangle.x2);
        contentY2 = std::max(contentY2, object->rectangle.y2);
    }
    if (contentX2 - contentX1 <= before)
        return;
    for (context::SDrawObject* object : objects)
        object->rectangle.x2 = contentX2 + object->rectangle.x1 - contentX1;
}

void SToolTipData::SetOffset(const Point& offset, bool)
{
    if (tip != nullptr && tip->Flipped())
        flippedOffset = offset;
    else
        normalOffset = offset;
}

SToolTipData::Point SToolTipData::GetOffset() const
{
    return tip != nullptr && tip->Flipped() ? flippedOffset : normalOffset;
}

void SToolTipData::Close()
{
    if (tip != nullptr)
        tip->Close();
}

STipWindow* SToolTipData::Window() const { return tip; }

void SToolTipData::Open(const Point& where)
{
    if (tip != nullptr)
        tip->Open(this, where);
}

}  // namespace kvor::gui
