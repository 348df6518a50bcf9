#include "gui/SResourceCache.h"

#include "gui/Connections.h"

#include "gui/SColour.h"
#include "gui/SDrawFont.h"
#include "gui/SDrawBrush.h"
#include "gui/SDrawPen.h"

#include <atomic>

namespace kvor::gui {

using context::SDrawBrush;
using context::SDrawFont;
using context::SDrawPen;

namespace {

std::atomic<SResourceCache*> registered{nullptr};

}  // namespace

// One writer at a time (the table is filled once, under its filler's
// lock); readers see a slot only once the count covers it.
void SColourRing::Append(int32_t colour)
{
    const int32_t filled = count.load(std::memory_order_relaxed);
    if (filled >= capacity)
        return;
    slots[writePosition] = colour;
    writePosition = (writePosition + 1) % capacity;
    count.store(filled + 1, std::memory_order_release);
}

int32_t SColourRing::Get(int index) const
{
    const int32_t filled = count.load(std::memory_order_acquire);
    if (filled <= 0 || index < 0 || index >= filled)
        return 0;
    return slots[index];
}

void SColourRing::Clear()
{
    count.store(0, std::memory_order_release);
    writePosition = readPosition = 0;
}

SResourceCache::SResourceCache() = default;

void SResourceCache::AddStandardColours()
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
        AppendColour(SCOL(entry.red, entry.green, entry.blue));
}

SResourceCache::~SResourceCache()
{
    SResourceCache* self = this;
    registered.compare_exchange_strong(self, nullptr);
    Clear();
}

// The object is made outside the lock: making a font or a pen talks to the
// X server, whose display lock the event thread may hold while it waits for
// this lock. When two threads race, the first one's object is kept.
template <typename T, typename Match, typename Make>
T* SResourceCache::FindOrAdd(context::SDrawListOwned<T>& list, Match match, Make make)
{
    {
        std::lock_guard<std::mutex> guard(lock);
        if (T* found = list.Find(match))
            return found;
    }
    T* made = make();
    {
        std::lock_guard<std::mutex> guard(lock);
        if (T* found = list.Find(match)) {
            delete made;
            return found;
        }
        list.Add(made);
    }
    return made;
}

SDrawPen* SResourceCache::FindPen(int colour)
{
    return FindOrAdd(
        pens, [colour](const SDrawPen& p) { return p.colour == colour; },
        [colour] { return new SDrawPen(colour, 1, false); });
}

SDrawBrush* SResourceCache::FindBrush(int colour)
{
    return FindOrAdd(
        brushes, [colour](const SDrawBrush& b) { return b.PaintColour() == colour; },
        [colour] { return new SDrawBrush(colour, SDrawBrush::kPlain, nullptr); });
}

// Matching the style as well as the size: a widget that asks for a plain
// font must not get a bold one that another widget cached first. A font
// belongs to one connection: each display an editor opens on has its own.
// Those of closed connections stay until Clear (controls that were drawn
// with them may still hold them) and are then freed without a request.
SDrawFont* SResourceCache::FindFont(int size, bool bold, bool italic)
{
    const ConnectionRef connection = ConnectionInUse();
    auto same = [&](const SDrawFont& f) {
        return f.size == size && (f.bold != 0) == bold && (f.italic != 0) == italic &&
               f.GetConnection() == connection;
    };
    return FindOrAdd(fonts, same,
                     [&] { return new SDrawFont(size, bold, italic, false, nullptr); });
}

void SResourceCache::Clear()
{
    std::lock_guard<std::mutex> guard(lock);
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
