#include "editor/SStaticData.h"

#include "gui/SColour.h"
#include "gui/SDrawFont.h"
#include "gui/context/SDrawBrush.h"
#include "gui/context/SDrawPen.h"

using kvor::gui::context::SDrawBrush;
using kvor::gui::context::SDrawFont;
using kvor::gui::context::SDrawPen;

void SColourRing::Append(int32_t colour)
{
    if (count >= capacity)
        return;
    slots[writePosition] = colour;
    writePosition = (writePosition + 1) % capacity;
    ++count;
}

int32_t SColourRing::Get(int index) const
{
    if (count <= 0 || index < 0 || index >= count)
        return 0;
    return slots[index];
}

void SColourRing::Clear() { writePosition = readPosition = count = 0; }

SStaticData::SStaticData() = default;

SStaticData::~SStaticData() { Clear(); }

void SStaticData::AddColours()
{
    struct Triple {
        int red, green, blue;
    };
    static const Triple kTable[SColourRing::kCapacity] = {
        {255, 255, 255}, {255, 255, 0},   {255, 128, 0},   {128, 64, 0},    {255, 0, 0},
        {100, 0, 0},     {64, 0, 0},      {255, 0, 255},   {128, 0, 255},   {172, 128, 255},
        {0, 0, 255},     {0, 128, 255},   {0, 255, 255},   {0, 255, 0},     {0, 128, 0},
        {0, 64, 0},      {128, 255, 0},   {192, 255, 0},   {255, 236, 200}, {128, 128, 128},
        {0, 0, 0},       {247, 231, 168}, {236, 213, 123}, {138, 145, 150}, {77, 81, 84},
        {22, 22, 22},    {44, 44, 44},    {66, 66, 66},    {90, 90, 90},
    };
    for (const Triple& entry : kTable)
        colours.Append(kvor::gui::SCOL(entry.red, entry.green, entry.blue));
}

SDrawPen* SStaticData::FindPen(int colour)
{
    if (SDrawPen* pen = pens.Find([colour](const SDrawPen& p) { return p.colour == colour; }))
        return pen;
    SDrawPen* pen = new SDrawPen(colour, 1, false);
    pens.Add(pen);
    return pen;
}

SDrawBrush* SStaticData::FindBrush(int colour)
{
    auto paintsWith = [colour](const SDrawBrush& b) { return b.PaintColour() == colour; };
    if (SDrawBrush* brush = brushes.Find(paintsWith))
        return brush;
    SDrawBrush* brush = new SDrawBrush(colour, SDrawBrush::kPlain, nullptr);
    brushes.Add(brush);
    return brush;
}

// Matching the style as well as the size: a widget that asks for a plain
// font must not get a bold one that another widget cached first.
SDrawFont* SStaticData::FindFont(int size, bool bold, bool italic)
{
    auto same = [=](const SDrawFont& f) {
        return f.size == size && (f.bold != 0) == bold && (f.italic != 0) == italic;
    };
    if (SDrawFont* font = fonts.Find(same))
        return font;
    SDrawFont* font = new SDrawFont(size, bold, italic, false, nullptr);
    fonts.Add(font);
    return font;
}

void SStaticData::Clear()
{
    fonts.DeleteAll();
    brushes.DeleteAll();
    pens.DeleteAll();
}
