#include "host/scene/SceneSummary.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace tarvenna::host {

namespace {

constexpr std::size_t kColumns = 6;
using Row = std::array<std::string, kColumns>;

std::string Plural(long count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string Tally(const MidiTally& tally)
{
    if (tally.events == 0)
        return "-";
    return Plural(tally.events, "event", "events") + ", " + Plural(tally.noteOns, "note", "notes");
}

// The verdict column; `problems` collects the lines that explain it.
std::string Check(SceneNode& node, std::vector<std::string>& problems)
{
    const std::string name = "instance " + std::to_string(node.Number());
    if (!node.Refusal().empty()) {
        problems.push_back(name + " was refused: " + node.Refusal());
        return "REFUSED";
    }
    std::string check = "ok";
    const std::vector<SoundingNote> sounding = node.Sounding();
    if (!sounding.empty()) {
        problems.push_back(name + " leaves " +
                           Plural(static_cast<long>(sounding.size()), "note", "notes") +
                           " sounding: " + DescribeNotes(sounding, sounding.size()));
        check = "HANGS";
    }
    if (node.Setup().silent && node.Output().events > 0) {
        problems.push_back(name + " should stay silent but handed its host " +
                           Plural(node.Output().events, "event", "events"));
        check = check == "ok" ? "NOT SILENT" : check + ", NOT SILENT";
    }
    return check;
}

Row RowOf(SceneNode& node, std::vector<std::string>& problems)
{
    std::string settings = node.Settings();
    if (node.ClosedAt() > 0)
        settings = "closed at block " + std::to_string(node.ClosedAt()) + " (" + settings + ")";
    if (!node.Refusal().empty())
        settings = "never created";
    const std::string check = Check(node, problems);
    return {std::to_string(node.Number()),  settings, Tally(node.Input()), Tally(node.Output()),
            DescribeNotes(node.Sounding()), check};
}

void PrintRows(std::ostream& out, const std::vector<Row>& rows)
{
    std::array<std::size_t, kColumns> widths{};
    for (const Row& row : rows)
        for (std::size_t c = 0; c < kColumns; ++c)
            widths[c] = std::max(widths[c], row[c].size());
    for (const Row& row : rows) {
        std::string line = " ";
        for (std::size_t c = 0; c < kColumns; ++c)
            line += " " + row[c] +
                    (c + 1 < kColumns ? std::string(widths[c] - row[c].size() + 1, ' ') : "");
        out << line << '\n';
    }
}

}  // namespace

bool PrintSceneSummary(std::ostream& out, std::vector<std::unique_ptr<SceneNode>>& nodes,
                       long blocksPlayed, const BlockClock& clock)
{
    char length[64];
    std::snprintf(length, sizeof length, "%.3f s", clock.SecondsAt(blocksPlayed + 1, 0));
    out << "\nAfter " << Plural(blocksPlayed, "block", "blocks") << " of " << clock.frames
        << " frames at " << clock.sampleRate << " Hz (" << length << "):\n";
    std::vector<Row> rows{
        {"instance", "settings", "from its host", "to its host", "sounding at the end", "check"}};
    std::vector<std::string> problems;
    for (auto& node : nodes)
        rows.push_back(RowOf(*node, problems));
    PrintRows(out, rows);
    if (problems.empty()) {
        out << "Every note ended, and no instance that should stay silent got MIDI.\n";
        return true;
    }
    for (const std::string& problem : problems)
        out << "FAILED: " << problem << '\n';
    return false;
}

}  // namespace tarvenna::host
