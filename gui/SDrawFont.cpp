#include "gui/SDrawFont.h"

#include "gui/SControl.h"

namespace kvor::gui::context {

namespace {

const char kTail[] = "-*-*-*-*-*-iso8859-1";
const char kLastResort[] = "-adobe-helvetica-bold-r-normal--34-*-*-*-*-*-iso8859-1";
// Sizes of 13 pixels and more try from 4 above the wanted size down to this.
constexpr int kSmallestScaled = 13;

std::string Decimal(int value) { return std::to_string(value); }

// Every caller but a test passes no face; the name keeps the shape of the
// other names with the face as foundry and family.
std::string FaceName(const char* face, int pixels, bool bold, bool italic)
{
    return std::string("-") + face + "-" + (bold ? "bold-" : "medium-") + (italic ? "i-" : "r-") +
           (bold ? "bold" : "normal") + "--" + Decimal(pixels) + kTail;
}

}  // namespace

int SDrawFont::PixelSize(int size)
{
    // floor(size / 4), also for negative sizes.
    const int quarter = size >= 0 ? size / 4 : -((-size + 3) / 4);
    return size + quarter;
}

std::vector<std::string> SDrawFont::CandidateNames(int size, bool bold, bool italic,
                                                   const char* face)
{
    const int pixels = PixelSize(size);
    if (face != nullptr && *face != 0)
        return {FaceName(face, pixels, bold, italic)};
    if (pixels < 8)
        return {"-misc-fixed-medium-r-*--" + Decimal(pixels) + kTail};
    const std::string weight = bold ? "-adobe-helvetica-bold" : "-adobe-helvetica-medium";
    if (pixels <= 12)
        return {weight + (italic ? "-o-*--" : "-r-*--") + Decimal(pixels) + kTail};
    std::vector<std::string> names;
    for (int candidate = pixels + 4; candidate >= kSmallestScaled; --candidate)
        names.push_back(weight + "-r-normal--" + Decimal(candidate) + kTail);
    names.push_back(kLastResort);
    return names;
}

SDrawFont::SDrawFont(int size, bool bold, bool italic, bool, const char* face)
    : size(size),
      bold(bold),
      italic(italic),
      fontId(0),
      info(nullptr),
      display(DisplayInUse()),
      connection(ConnectionInUse())
{
    this->face.Append(face);
    Load(CandidateNames(size, bold, italic, face));
}

SDrawFont::SDrawFont(bool)
    : size(10),
      bold(0),
      italic(0),
      fontId(0),
      info(nullptr),
      display(DisplayInUse()),
      connection(ConnectionInUse())
{
    if (display == nullptr)
        return;
    GC context = DefaultGC(display, DefaultScreen(display));
    info = XQueryFont(display, XGContextFromGC(context));
}

// XLoadQueryFont answers an unknown name with null instead of an X error:
// the default error handler would end the whole host process.
void SDrawFont::Load(const std::vector<std::string>& names)
{
    if (display == nullptr)
        return;
    for (const std::string& name : names) {
        info = XLoadQueryFont(display, name.c_str());
        if (info != nullptr) {
            fontId = info->fid;
            loadedName = name;
            return;
        }
    }
}

// The font information is ours to free in any case; the font itself only
// while its connection is open (a closed one took it along).
SDrawFont::~SDrawFont()
{
    if (fontId != 0 && display != nullptr && connection != nullptr && connection->IsOpen())
        XUnloadFont(display, fontId);
    if (info != nullptr)
        XFreeFontInfo(nullptr, info, 1);
}

}  // namespace kvor::gui::context
