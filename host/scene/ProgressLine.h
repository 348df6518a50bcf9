// The progress line of a scene that plays in real time: "block 120 of 860,
// 0.7 s of 5.0 s". On a terminal it is one line rewritten in place; into a
// file or a pipe it is a line about every second.
#pragma once

#include <chrono>
#include <ostream>
#include <string>

namespace tarvenna::host {

class ProgressLine {
public:
    // `terminal`: whether `out` is one (rewrite in place).
    ProgressLine(std::ostream& out, bool terminal);

    // Shown at most a few times a second; `force` shows it now.
    void Update(const std::string& text, bool force = false);
    // Ends the line so that what follows starts on a fresh one.
    void Finish();

private:
    std::ostream& out;
    bool terminal;
    std::chrono::steady_clock::time_point shown{};
    std::size_t lastLength = 0;
    bool open = false;
};

}  // namespace tarvenna::host
