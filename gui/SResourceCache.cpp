#include "gui/SResourceCache.h"

#include "gui/SDrawFont.h"
#include "gui/context/SDrawBrush.h"
#include "gui/context/SDrawPen.h"

#include <atomic>

namespace kvor::gui {

using context::SDrawBrush;
using context::SDrawFont;
using context::SDrawPen;

namespace {

std::atomic<SResourceCache*> registered{nullptr};

}  // namespace

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

SResourceCache::SResourceCache() = default;

SResourceCache::~SResourceCache()
{
    SResourceCache* self = this;
    registered.compare_exchange_strong(self, nullptr);
    Clear();
}

SDrawPen* SResourceCache::FindPen(int colour)
{
    if (SDrawPen* pen = pens.Find([colour](const SDrawPen& p) { return p.colour == colour; }))
        return pen;
    SDrawPen* pen = new SDrawPen(colour, 1, false);
    pens.Add(pen);
    return pen;
}

SDrawBrush* SResourceCache::FindBrush(int colour)
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
SDrawFont* SResourceCache::FindFont(int size, bool bold, bool italic)
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

void SResourceCache::Clear()
{
    fonts.DeleteAll();
    brushes.DeleteAll();
    pens.DeleteAll();
}

void SetSharedResources(SResourceCache* resources) { registered.store(resources); }

SResourceCache& SharedResources()
{
    if (SResourceCache* resources = registered.load())
        return *resources;
    static SResourceCache own;
    return own;
}

}  // namespace kvor::gui
