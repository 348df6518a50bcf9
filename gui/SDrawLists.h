// Growable lists of pens, brushes and fonts. A plain list only borrows its
// elements; an owned list deletes them, first to last, when it is destroyed
// or emptied. The process-wide caches are owned lists.
#pragma once

#include <cstddef>
#include <vector>

namespace kvor::gui::context {

class SDrawPen;
class SDrawBrush;
class SDrawFont;

template <typename T> class SDrawList {
public:
    SDrawList() = default;
    virtual ~SDrawList() = default;
    SDrawList(const SDrawList&) = delete;
    SDrawList& operator=(const SDrawList&) = delete;

    void Add(T* element) { elements.push_back(element); }
    std::size_t Count() const { return elements.size(); }
    T* Get(std::size_t index) const { return index < elements.size() ? elements[index] : nullptr; }
    // The first element for which match(element) is true, else null.
    template <typename Match> T* Find(Match match) const
    {
        for (T* element : elements)
            if (element != nullptr && match(*element))
                return element;
        return nullptr;
    }

protected:
    std::vector<T*> elements;
};

template <typename T> class SDrawListOwned : public SDrawList<T> {
public:
    ~SDrawListOwned() override { DeleteAll(); }

    // Deletes every element, first to last, and leaves the list empty.
    void DeleteAll()
    {
        for (T* element : this->elements)
            delete element;
        this->elements.clear();
    }
};

using SPenList = SDrawList<SDrawPen>;
using SBrushList = SDrawList<SDrawBrush>;
using SFontList = SDrawList<SDrawFont>;
using SPenListOwned = SDrawListOwned<SDrawPen>;
using SBrushListOwned = SDrawListOwned<SDrawBrush>;
using SFontListOwned = SDrawListOwned<SDrawFont>;

}  // namespace kvor::gui::context
