// Process-wide GUI data shared by every instance: the table of 29 named
// colours and the pen, brush and font caches, so that X resources are made
// once per process. Built at module load, emptied at unload.
#pragma once

#include "gui/context/SDrawLists.h"

#include <cstdint>

namespace kvor::gui::context {
class SDrawPen;
class SDrawBrush;
class SDrawFont;
}  // namespace kvor::gui::context

// A fixed ring of packed colour values; appends beyond its capacity are
// ignored.
class SColourRing {
public:
    static constexpr int32_t kCapacity = 29;

    void Append(int32_t colour);
    // The colour in slot index; 0 for an empty table or a slot outside it.
    int32_t Get(int index) const;
    int32_t Count() const { return count; }
    void Clear();

private:
    int32_t writePosition = 0;
    int32_t readPosition = 0;
    int32_t capacity = kCapacity;
    int32_t count = 0;
    int32_t slots[kCapacity] = {};
};

class SStaticData {
public:
    // Slots of the colour table that other code names.
    enum Colour : int {
        kWhite = 0,
        kYellow = 1,
        kOrange = 2,
        kRed = 4,
        kMagenta = 7,
        kViolet = 8,
        kBlue = 10,
        kCyan = 12,
        kGreen = 13,
        kGrey = 19,
        kBlack = 20,
        kBlueGrey = 23,
        kDarkSlate = 24,
    };

    // Defined where pens, brushes and fonts are complete types: the owned
    // lists delete them.
    SStaticData();
    ~SStaticData();
    SStaticData(const SStaticData&) = delete;
    SStaticData& operator=(const SStaticData&) = delete;

    // Appends the 29 colours in slot order, each made by SCOL on the
    // display in use.
    void AddColours();
    // Empties the colour table, so that AddColours can fill it anew once a
    // display exists.
    void ClearColours() { colours.Clear(); }
    // Colour i of the table; 0 while the table is empty.
    int32_t Colour(int index) const { return colours.Get(index); }
    int32_t ColourCount() const { return colours.Count(); }

    // Find-or-create look-ups: the first cached entry that matches, else a
    // new one appended to its cache, where it stays until Clear.
    // A one-pixel solid pen of the colour.
    kvor::gui::context::SDrawPen* FindPen(int colour);
    // A plain brush of the colour (a bitmap brush matches by the colour it
    // paints with).
    kvor::gui::context::SDrawBrush* FindBrush(int colour);
    // A font of the size with the same bold and italic flags.
    kvor::gui::context::SDrawFont* FindFont(int size, bool bold = false, bool italic = false);

    const kvor::gui::context::SPenListOwned& Pens() const { return pens; }
    const kvor::gui::context::SBrushListOwned& Brushes() const { return brushes; }
    const kvor::gui::context::SFontListOwned& Fonts() const { return fonts; }

    // Deletes every cached font, brush and pen, in that order.
    void Clear();

private:
    [[maybe_unused]] uint8_t flag = 0;  // kept in its place; nothing reads it
    kvor::gui::context::SPenListOwned pens;
    kvor::gui::context::SBrushListOwned brushes;
    kvor::gui::context::SFontListOwned fonts;
    SColourRing colours;
};

// The one instance, defined with the module's other process-wide objects.
extern SStaticData statdata;
