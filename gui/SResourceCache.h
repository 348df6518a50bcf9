// A colour table and the pen, brush and font caches, so that X resources
// are made once and shared by every control of the process. The toolkit
// draws through the one registered with SetSharedResources; what fills the
// colour table is up to whoever uses the toolkit.
#pragma once

#include "gui/SDrawLists.h"

#include <atomic>
#include <cstdint>
#include <mutex>

namespace kvor::gui::context {
class SDrawPen;
class SDrawBrush;
class SDrawFont;
}  // namespace kvor::gui::context

namespace kvor::gui {

// A fixed ring of packed colour values; appends beyond its capacity are
// ignored.
class SColourRing {
public:
    static constexpr int32_t kCapacity = 29;

    void Append(int32_t colour);
    // The colour in slot index; 0 for an empty table or a slot outside it.
    int32_t Get(int index) const;
    int32_t Count() const { return count.load(std::memory_order_acquire); }
    void Clear();

private:
    int32_t writePosition = 0;
    int32_t readPosition = 0;
    int32_t capacity = kCapacity;
    // Published after its slot is written: the table may be filled at an
    // editor's first opening while other editors' idle passes read it.
    std::atomic<int32_t> count{0};
    int32_t slots[kCapacity] = {};
};

class SResourceCache {
public:
    // Slots of the colour table that code names.
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
    SResourceCache();
    virtual ~SResourceCache();
    SResourceCache(const SResourceCache&) = delete;
    SResourceCache& operator=(const SResourceCache&) = delete;

    void AppendColour(int32_t colour) { colours.Append(colour); }
    // Appends the 29 colours of the standard table in slot order (the slots
    // named above among them), each made by SCOL on the display in use.
    void AddStandardColours();
    // Empties the colour table, so that it can be filled anew once a
    // display exists.
    void ClearColours() { colours.Clear(); }
    // Colour i of the table; 0 while the table is empty.
    int32_t Colour(int index) const { return colours.Get(index); }
    int32_t ColourCount() const { return colours.Count(); }

    // Find-or-create look-ups: the first cached entry that matches, else a
    // new one appended to its cache, where it stays until Clear. Any thread
    // may call them (the idle thread draws while the host's GUI thread
    // does); the cache's lock is a leaf, never held across an X call.
    // A one-pixel solid pen of the colour.
    context::SDrawPen* FindPen(int colour);
    // A plain brush of the colour (a bitmap brush matches by the colour it
    // paints with).
    context::SDrawBrush* FindBrush(int colour);
    // A font of the size with the same bold and italic flags.
    context::SDrawFont* FindFont(int size, bool bold = false, bool italic = false);

    const context::SPenListOwned& Pens() const { return pens; }
    const context::SBrushListOwned& Brushes() const { return brushes; }
    const context::SFontListOwned& Fonts() const { return fonts; }

    // Deletes every cached font, brush and pen, in that order. Only when no
    // other thread draws (at unload).
    void Clear();

private:
    template <typename T, typename Match, typename Make>
    T* FindOrAdd(context::SDrawListOwned<T>& list, Match match, Make make);

    [[maybe_unused]] uint8_t flag = 0;  // kept in its place; nothing reads it
    std::mutex lock;
    context::SPenListOwned pens;
    context::SBrushListOwned brushes;
    context::SFontListOwned fonts;
    SColourRing colours;
};

// Makes resources the cache every control draws with; null withdraws it.
// The registered cache must outlive every control.
void SetSharedResources(SResourceCache* resources);
// The registered cache, or, when none is, one of the toolkit's own with an
// empty colour table.
SResourceCache& SharedResources();
// The colour in `slot` of the shared table.
inline int SharedColour(int slot) { return SharedResources().Colour(slot); }

}  // namespace kvor::gui
