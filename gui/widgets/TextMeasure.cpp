#include "gui/widgets/TextMeasure.h"

#include "gui/SDrawing.h"

#include <mutex>

namespace kvor::gui {

STextExtent MeasureText(const char* text, context::SDrawFont* font)
{
    static std::mutex measuring;
    STextExtent extent{0, 0};
    std::lock_guard<std::mutex> guard(measuring);
    context::SDrawing::GetTextDimensions(text, &extent.width, &extent.height, font);
    return extent;
}

std::vector<data::datastring<32, char>> SplitLines(const char* text)
{
    std::vector<data::datastring<32, char>> lines;
    if (text == nullptr || *text == 0)
        return lines;
    lines.emplace_back();
    for (const char* at = text; *at != 0; ++at) {
        if (*at != '\n') {
            lines.back().Append(*at);
            continue;
        }
        if (at[1] != 0)
            lines.emplace_back();
    }
    return lines;
}

}  // namespace kvor::gui
