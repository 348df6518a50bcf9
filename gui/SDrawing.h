// The drawing context of one control: its device, its colour set, the
// current font and brush, and the drawing operations widgets use. Each
// operation is a thin layer over one or two Xlib calls with the toolkit's
// rectangle convention: (x1, y1, x2, y2) covers x1..x2 - 1 and y1..y2 - 1.
//
// Alignment flags of the label operations: 0x1 left, 0x2 top, 0x4 right,
// 0x8 bottom; 0 centres both ways.
#pragma once

#include "gui/Geometry.h"
#include "runtime/SMutex.h"
#include "runtime/datastring.h"

#include <cstdint>

class SGlobals;

namespace kvor::gui {
class SControl;
}

namespace kvor::gui::context {

class SDrawBitmap;
class SDrawBitmapMask;
class SDrawBrush;
class SDrawDevice;
class SDrawFont;
class SDrawImage;
class SDrawPen;

enum SAlign : int {
    kAlignCentre = 0,
    kAlignLeft = 0x1,
    kAlignTop = 0x2,
    kAlignRight = 0x4,
    kAlignBottom = 0x8,
};

class SDrawing {
public:
    using Point = math::geom::Point<int, 2>;
    using Rect = math::geom::Rectangle<int, 2>;
    using Text = data::datastring<32, char>;

    // Draws on the control's window through a device of its own; without a
    // control (or before its window exists) there is no device until one is
    // set, and every operation does nothing.
    SDrawing(SControl* control, SGlobals* globals);
    virtual ~SDrawing();

    SDrawing(const SDrawing&) = delete;
    SDrawing& operator=(const SDrawing&) = delete;

    // --- devices ---------------------------------------------------------
    // Replaces our own device by a new one on the window the other drawing
    // draws on, for the given control.
    void InitDrawing(SControl* control, SDrawing* other);
    // Draws on the given device from now on; the caller keeps it. Our own
    // device is kept too and can be set again (GetDevice before, SetDevice
    // after, is how widgets draw off screen and return).
    void SetDevice(SDrawDevice* device);
    SDrawDevice* GetDevice() const { return device; }
    // Deletes our own device.
    void CleanDrawing();

    // --- colours -----------------------------------------------------------
    void SetColours(int background, int backgroundTrue, int parentBackground, int foreground,
                    int foregroundTrue, int text, int textTrue);
    void SetBackgroundColour(bool which);
    void SetBackgroundColour(int colour);
    void SetBackground(int colour, bool which);
    void SetBackgroundMode(bool) {}
    void SetForegroundColour(bool which);
    void SetTextColour(int colour, bool which);
    int GetBackgroundColour() const { return background; }
    int GetParentBackgroundColour() const { return parentBackground; }
    int GetForegroundColour() const { return foreground; }
    int GetTextColour(bool which) const { return which ? textTrue : textFalse; }
    int GetFrameColour(bool enabled, bool highlighted) const;
    void SetFrameColour(int enabled, int highlighted, int disabled);

    // --- pens, brushes, fonts, modes --------------------------------------
    // Pens are copied into the context, not kept; null is ignored.
    void SetPen(const SDrawPen* pen);
    // The brush becomes current (not owned); its colour is the foreground.
    void SetBrush(SDrawBrush* brush);
    SDrawBrush* GetBrush() const { return brush; }
    // The font becomes current (not owned) and, when it was loaded, the
    // context's font.
    void SetFont(SDrawFont* font);
    SDrawFont* GetFont() const { return font; }
    // 0 clear, 1 xor, 2 invert, 3 or-reverse, 4 and-reverse, 5 and, 6 or,
    // 7 and-inverted, 8 no-op, 9 nor, 10 equivalent, 11 copy-inverted,
    // 12 or-inverted, 13 nand, 14 set, anything else copy.
    void SetLogic(int code);
    int GetLogic() const { return logic; }
    // The X function SetLogic sets for a code.
    static int LogicFunction(int code);
    void SetFillStyle(int style);
    void SetFillMode(int rule);
    int GetFillMode() const { return fillRule; }
    int GetFillStyle() const { return fillStyle; }

    // --- shapes --------------------------------------------------------------
    void DrawBackground(const Rect& area, bool parent);
    void DrawPoint(int x, int y);
    void DrawPoint(const Point& point);
    void DrawLine(int x1, int y1, int x2, int y2);
    void DrawLine(const Point& from, const Point& to);
    void DrawRect(int x1, int y1, int x2, int y2);
    void DrawRect(const Point& topLeft, const Point& bottomRight);
    void DrawRect(const Rect& area);
    void DrawRoundedRect(int x1, int y1, int x2, int y2, int ew, int eh);
    void DrawRoundedRect(const Rect& area, int ew, int eh);
    void FillRect(int x1, int y1, int x2, int y2);
    void FillRect(const Point& topLeft, const Point& bottomRight);
    void FillRect(const Rect& area);
    void FillRoundedRect(int x1, int y1, int x2, int y2, int ew, int eh);
    void FillRoundedRect(const Rect& area, int ew, int eh);
    void DrawEllipse(int x1, int y1, int x2, int y2);
    void FillEllipse(int x1, int y1, int x2, int y2);
    // Angles in degrees, counter-clockwise from three o'clock.
    void DrawPie(int x1, int y1, int x2, int y2, int start, int extent);
    void DrawChord(int x1, int y1, int x2, int y2, int start, int extent);
    void FillPie(int x1, int y1, int x2, int y2, int start, int extent);
    void FillChord(int x1, int y1, int x2, int y2, int start, int extent);
    void DrawArc(int, int, int, int, int, int) {}
    void DrawBezier(const Point*, int) {}
    void PathStart() {}
    void PathStroke() {}
    void PathFill() {}
    void PathStrokeFill() {}
    void PathEnd() {}
    // An open polyline; nothing for null or fewer than two points.
    void DrawPoly(const Point* points, int count);
    void FillPoly(const Point* points, int count);

    // --- copying ---------------------------------------------------------------
    void DrawBitmap(SDrawBitmap*, int, int, int, int, bool, SDrawBitmapMask*) {}
    void DrawBitmap(SDrawBitmap*, const Rect&, bool, SDrawBitmapMask*) {}
    // Copies (sx1, sy1, sx2, sy2) of the source device to (dx, dy).
    void DrawMemory(SDrawDevice* source, int dx, int dy, int sx1, int sy1, int sx2, int sy2);
    void DrawMemory(SDrawDevice* source, int dx, int dy, int sx1, int sy1, int sx2, int sy2, bool);
    void DrawMemory(SDrawDevice* source, int dx, int dy, int sx1, int sy1, int sx2, int sy2, int,
                    SDrawBitmapMask*);
    void DrawMemory(SDrawDevice* source, const Point& to, const Rect& from);
    void DrawMemory(SDrawDevice* source, const Point& to, const Rect& from, bool);
    void DrawMemory(SDrawDevice* source, const Point& to, const Rect& from, int, SDrawBitmapMask*);
    // Puts the area src of the image at the top-left corner of dst.
    void DrawImage(SDrawImage* image, const Rect& src, const Rect& dst);

    // --- text --------------------------------------------------------------------
    // (x, y) is the top-left corner of the text.
    void DrawText(const char* text, int x, int y);
    void DrawText(const char* text, const Point& at);
    void DrawText(const Text& text, int x, int y);
    void DrawText(const Text& text, const Point& at);
    void DrawLabel(const char* text, Rect area, int align, const Point& offset);
    void DrawLabel(const Text& text, const Rect& area, int align, const Point& offset);
    // Fills the area in the colour, then draws the centred label in it too.
    void DrawLabelRect(const char* text, const Rect& area, int colour, const Point& offset);
    void DrawLabelRect(const Text& text, const Rect& area, int colour, const Point& offset);
    // The text turned a quarter counter-clockwise (it reads upwards).
    void DrawVerticalLabel(const char* text, Rect area, int, int align, const Point& offset, bool,
                           bool, const char*);
    void DrawVerticalLabel(const Text& text, const Rect& area, int, int align, const Point& offset,
                           bool, bool, const char*);
    // The text turned by angle degrees counter-clockwise, in the text colour
    // for false.
    void DrawRotatedText(const char* text, Rect area, int angle, int align, const Point& offset);
    void DrawRotatedText(const Text& text, const Rect& area, int angle, int align,
                         const Point& offset);
    // Width of the text and ascent plus descent of the font; 0 x 0 for no
    // text or no font. Keeps its metrics in static storage: one thread at a
    // time.
    static void GetTextDimensions(const char* text, int* width, int* height, SDrawFont* font);

    // --- digits ---------------------------------------------------------------------
    // A seven-segment digit 0-9 in the current pen, in the box from (x, y);
    // other values draw nothing.
    void DrawPixelNumber(int x, int y, int digit);
    void DrawPixelNumber(const Point& at, int digit);
    void DrawVerticalPixelNumber(int, int, int) {}
    void DrawPixelLabel(int, int, const char*) {}
    void DrawVerticalPixelLabel(int, int, const char*) {}

    // Where a block of w x h goes in area by the alignment flags, as the
    // label operations place their text: the left edge and the baseline of
    // text with the given ascent and descent.
    static Point PlaceText(const Rect& area, int align, int width, int ascent, int descent);

private:
    bool CanDraw() const;
    bool CanDrawText(const char* text) const;
    void SetContextForeground(int colour);
    void Arc(int x1, int y1, int x2, int y2, int start, int extent, bool chord, bool fill);
    void RenderTurned(const char* text, const Rect& area, int align, bool vertical, double angle);

    SDrawDevice* device;
    SControl* control;
    SGlobals* globals;
    SDrawFont* font;
    SDrawBrush* brush;
    threading::SMutexID lock;
    int32_t reserved[10];

    int32_t background;
    int32_t parentBackground;
    int32_t backgroundTrue;
    int32_t backgroundFalse;
    int32_t foreground;
    int32_t foregroundTrue;
    int32_t foregroundFalse;
    int32_t textFalse;
    int32_t textTrue;
    int32_t frameEnabled;
    int32_t frameDisabled;
    int32_t frameHighlighted;

    int32_t reserved2;
    int32_t fillRule;
    int32_t previousFillRule;
    int32_t fillStyle;
    int32_t reserved3;
    int32_t logic;

    // The device this drawing made and deletes; `device` may be another
    // one, set by a widget for a while.
    SDrawDevice* ownDevice;
};

// A drawing for an anti-aliasing back end that this system never creates.
class SDrawingAGG : public SDrawing {
public:
    using SDrawing::SDrawing;
    ~SDrawingAGG() override = default;

    int32_t aggWords[2] = {0, 0};
};

}  // namespace kvor::gui::context
