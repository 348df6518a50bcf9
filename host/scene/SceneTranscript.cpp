#include "host/scene/SceneTranscript.h"

#include "host/scene/MidiText.h"

namespace tarvenna::host {

namespace {

// Longer lists (a Panic burst) are shortened to their first lines.
constexpr std::size_t kListedEvents = 4;

}  // namespace

SceneTranscript::SceneTranscript(std::ostream& out, long lastBlock, bool on)
    : out(out),
      lastBlock(lastBlock),
      on(on)
{
}

void SceneTranscript::Begin(long number)
{
    block = number;
    headed = false;
}

void SceneTranscript::Say(const std::string& text)
{
    if (!on)
        return;
    const bool played = block >= 1 && block <= lastBlock;
    out << '\n'
        << (played && !headed ? "Block " + std::to_string(block) + ": " : "") << text << '\n';
    headed = true;
}

void SceneTranscript::Heading()
{
    if (headed)
        return;
    headed = true;
    if (block == 0)
        out << "\nSet-up\n";
    else if (block > lastBlock)
        out << "\nAfter the last block\n";
    else
        out << "\nBlock " << block << '\n';
}

void SceneTranscript::Line(const std::string& text)
{
    if (!on)
        return;
    Heading();
    out << "  " << text << '\n';
}

void SceneTranscript::Event(const std::string& prefix, const std::string& text, std::size_t index,
                            std::size_t count)
{
    if (index < kListedEvents)
        out << "  " << prefix << text << '\n';
    else if (index == kListedEvents)
        out << "  " << prefix << "... " << count - kListedEvents << " more (" << count
            << " events)\n";
}

void SceneTranscript::Input(int node, const std::vector<MidiMessage>& messages)
{
    if (!on || messages.empty())
        return;
    Heading();
    const std::string prefix = "host -> instance " + std::to_string(node) + ": ";
    for (std::size_t i = 0; i < messages.size(); ++i)
        Event(prefix, DescribeMidi(MakeMidiEvent(messages[i])), i, messages.size());
}

void SceneTranscript::Output(int node, const std::vector<VstMidiEvent>& events)
{
    if (!on || events.empty())
        return;
    Heading();
    const std::string prefix = "instance " + std::to_string(node) + " -> host: ";
    for (std::size_t i = 0; i < events.size(); ++i)
        Event(prefix, DescribeMidi(events[i]), i, events.size());
}

void SceneTranscript::EndBlock(bool anyOutput)
{
    if (on && headed && !anyOutput && block >= 1 && block <= lastBlock)
        out << "  (no instance hands its host any MIDI)\n";
}

}  // namespace tarvenna::host
