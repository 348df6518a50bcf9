// The toolkit's font: a requested size and style turned into an X core font
// name, loaded once and kept with its metrics until the font is deleted.
#pragma once

#include "gui/SConnection.h"

#include "runtime/datastring.h"

#include <X11/Xlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kvor::gui::context {

class SDrawFont {
public:
    // Builds the font name for the request and loads the first candidate
    // that the server has (see CandidateNames). The underline flag has no
    // effect. A font that could not be loaded keeps id 0 and no information,
    // and text drawn with it is simply not drawn.
    SDrawFont(int size, bool bold, bool italic, bool underline, const char* face);
    // The default font: the metrics of the server's default font, as the
    // default graphics context of the default screen has it; size 10.
    explicit SDrawFont(bool unused);
    ~SDrawFont();

    SDrawFont(const SDrawFont&) = delete;
    SDrawFont& operator=(const SDrawFont&) = delete;

    // The X core font names a request tries, in order. Sizes are written
    // with "%i"; the pixel size is size + floor(size / 4).
    static std::vector<std::string> CandidateNames(int size, bool bold, bool italic,
                                                   const char* face);
    static int PixelSize(int size);

    // True when the font has information to draw and measure with.
    bool Loaded() const { return info != nullptr; }
    int Ascent() const { return info != nullptr ? info->ascent : 0; }
    int Descent() const { return info != nullptr ? info->descent : 0; }
    // The name that loaded, empty when none did or for the default font.
    const std::string& LoadedName() const { return loadedName; }
    Display* GetDisplay() const { return display; }
    // The connection the font was loaded on; the cache keeps fonts apart
    // by it.
    const ConnectionRef& GetConnection() const { return connection; }

    int32_t size;
    data::datastring<32, char> face;
    uint8_t bold;
    uint8_t italic;
    // 0 when no font was loaded, and for the default font, whose font
    // belongs to the server's default context and must not be unloaded.
    Font fontId;
    // Owned; null when loading failed.
    XFontStruct* info;

private:
    void Load(const std::vector<std::string>& names);

    Display* display;
    ConnectionRef connection;
    std::string loadedName;
};

}  // namespace kvor::gui::context
