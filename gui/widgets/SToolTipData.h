// The tip of one control: its content as drawable objects laid out from a
// text (the first line may be coloured, the second bold), and the side of
// the control it is shown on.
#pragma once

#include "gui/Geometry.h"
#include "gui/STip.h"
#include "runtime/datastring.h"

#include <cstdint>
#include <vector>

namespace kvor::gui {

class SControl;
class SToolTip;

namespace context {
class SDrawObject;
}

class SToolTipData : public STipContent {
public:
    using Point = math::geom::Point<int, 2>;
    using Rect = math::geom::Rectangle<int, 2>;
    using Text = data::datastring<32, char>;

    SToolTipData(SToolTip* tip, SControl* control, int placement);
    // Frees the lines and the objects, and leaves the tip.
    ~SToolTipData() override;

    SToolTipData(const SToolTipData&) = delete;
    SToolTipData& operator=(const SToolTipData&) = delete;

    // Lays out a text in the tip's normal font; nothing without a tip or a
    // font. The number is not used.
    void AddLabel(const char* text, unsigned);
    void AddLabel(const Text& text, unsigned number) { AddLabel(text.data, number); }
    // One text object at the rectangle in the tip's colours and font.
    void AddText(const char* text, const Rect& where, unsigned);
    // Appends the object, which the data owns from now on.
    void AddObject(context::SDrawObject* object, unsigned);
    // The content bounds over all objects; when they grew wider, every
    // object is widened to the content's width.
    void Calculate();
    // The offset for the side the tip is on now; the flag is not used.
    void SetOffset(const Point& offset, bool);
    Point GetOffset() const;
    void Close() override;
    STipWindow* Window() const override;
    void Open(const Point& where) override;
    // Beside the control on the data's side; when the tip would leave the
    // display there, on the opposite side instead.
    Point PlaceBeside(SControl& control) override;
    // The tip went away first.
    void ForgetTip() { tip = nullptr; }

    SToolTip* Tip() const { return tip; }
    SControl* Control() const { return control; }
    int Placement() const { return placement; }
    const std::vector<context::SDrawObject*>& Objects() const { return objects; }
    Rect Bounds() const { return Rect{contentX1, contentY1, contentX2, contentY2}; }
    int ContentWidth() const { return contentX2 - contentX1; }
    int ContentHeight() const { return contentY2 - contentY1; }
    const std::vector<Text>& Lines() const { return lines; }
    const std::vector<Rect>& LineRectangles() const { return lineRectangles; }
    int LabelWidth() const { return labelWidth; }
    int LabelHeight() const { return labelHeight; }

private:
    struct Block {
        int width;
        int height;
    };
    // Measures the text and fills the lines; the size of the text block.
    Block MeasureLines(const char* text);
    void AddLineObjects(int x, int y, const Block& block);

    SToolTip* tip;
    SControl* control;
    std::vector<context::SDrawObject*> objects;
    int32_t contentX1 = 0;
    int32_t contentY1 = 0;
    int32_t contentX2 = 0;
    int32_t contentY2 = 0;
    Point normalOffset{0, 0};
    Point flippedOffset{0, 0};
    std::vector<Text> lines;
    std::vector<Rect> lineRectangles;
    int32_t placement;
    int32_t labelWidth = 16;
    int32_t labelHeight = 16;
};

}  // namespace kvor::gui
