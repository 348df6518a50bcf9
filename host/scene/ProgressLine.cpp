#include "host/scene/ProgressLine.h"

namespace tarvenna::host {

namespace {

constexpr auto kTerminalPeriod = std::chrono::milliseconds(250);
constexpr auto kFilePeriod = std::chrono::seconds(1);

}  // namespace

ProgressLine::ProgressLine(std::ostream& out, bool terminal) : out(out), terminal(terminal) {}

void ProgressLine::Update(const std::string& text, bool force)
{
    const auto now = std::chrono::steady_clock::now();
    if (!force && shown.time_since_epoch().count() != 0 &&
        now - shown < (terminal ? kTerminalPeriod : kFilePeriod))
        return;
    shown = now;
    if (!terminal) {
        out << text << std::endl;
        return;
    }
    // Spaces cover what a longer line before left behind.
    const std::size_t pad = lastLength > text.size() ? lastLength - text.size() : 0;
    out << '\r' << text << std::string(pad, ' ') << std::flush;
    lastLength = text.size();
    open = true;
}

void ProgressLine::Finish()
{
    if (open)
        out << std::endl;
    open = false;
    lastLength = 0;
}

}  // namespace tarvenna::host
