// tarvenna-host relay: a short session with several instances of the module
// in one process, printing what each instance gives its host block by block.
#include <memory>
#include <string>
#include <vector>

#include "host/Commands.h"
#include "host/Host.h"
#include "host/MidiText.h"
#include "host/Module.h"

namespace tarvenna::host::cli {

namespace {

constexpr VstInt32 kFrames = 256;
// Longer outputs (a Panic burst) are shortened to their first lines.
constexpr std::size_t kListedEvents = 4;

// Parameter indexes of the relay.
constexpr VstInt32 kMode = 0, kPort = 1, kThru = 2, kPanic = 3;

float PortValue(int port) { return static_cast<float>(port - 1) / 7.0f; }

class Session {
public:
    Session(Module& module, const HostConfig& config, std::ostream& out)
        : module(module),
          host(config),
          out(out)
    {
    }

    bool AddInstance(std::ostream& err)
    {
        std::unique_ptr<HostInstance> instance = host.Instantiate(module);
        if (!instance) {
            err << "tarvenna-host: " << host.LastError() << " (" << module.Path() << ")\n";
            return false;
        }
        instance->Open();
        instance->SetSampleRate(44100.0f);
        instance->SetBlockSize(kFrames);
        instance->Resume();
        nodes.push_back(std::move(instance));
        return true;
    }

    HostInstance& Node(int number) { return *nodes.at(number - 1); }

    void DescribeNodes()
    {
        for (std::size_t i = 0; i < nodes.size(); ++i)
            DescribeNode(static_cast<int>(i) + 1);
    }

    void DescribeNode(int number)
    {
        HostInstance& n = Node(number);
        out << "  instance " << number << ": " << n.ParameterDisplay(kMode) << ", port "
            << n.ParameterDisplay(kPort) << ", Thru " << n.ParameterDisplay(kThru) << '\n';
    }

    // One audio block: the host hands `input` to instance `target` and then
    // runs every instance in creation order, as a host runs its tracks.
    void Block(int target, const std::vector<MidiMessage>& input)
    {
        for (auto& n : nodes)
            n->ClearRecorded();
        for (const MidiMessage& message : input)
            out << "  host -> instance " << target << ": " << DescribeMidi(MakeMidiEvent(message))
                << '\n';
        for (std::size_t i = 0; i < nodes.size(); ++i) {
            if (static_cast<int>(i) + 1 == target && !input.empty())
                nodes[i]->SendMidi(input);
            nodes[i]->ProcessReplacing(kFrames);
        }
        PrintOutputs();
    }

    void Heading(const std::string& text) { out << '\n' << text << '\n'; }

    void CloseAll()
    {
        for (auto& n : nodes)
            n->Close();
        nodes.clear();
    }

private:
    void PrintOutputs()
    {
        bool any = false;
        for (std::size_t i = 0; i < nodes.size(); ++i) {
            const std::vector<VstMidiEvent> events = nodes[i]->Recorded().midiOut;
            for (std::size_t e = 0; e < events.size() && e < kListedEvents; ++e)
                out << "  instance " << i + 1 << " -> host: " << DescribeMidi(events[e]) << '\n';
            if (events.size() > kListedEvents)
                out << "  instance " << i + 1 << " -> host: ... " << events.size() - kListedEvents
                    << " more (" << events.size() << " events)\n";
            any = any || !events.empty();
        }
        if (!any)
            out << "  (no instance hands its host any MIDI)\n";
    }

    Module& module;
    Host host;
    std::ostream& out;
    std::vector<std::unique_ptr<HostInstance>> nodes;
};

void PlaySession(Session& s)
{
    // Every instance starts as a sender on port 1. Each switch to Receive
    // ends the notes of the receivers already on that port, so the receivers
    // are set up away from each other's port.
    s.Node(3).SetParameter(kPort, PortValue(2));
    s.Node(3).SetParameter(kMode, 1.0f);
    s.Node(2).SetParameter(kMode, 1.0f);
    s.Heading("Three instances: one sender and a receiver on port 1, a receiver on port 2");
    s.DescribeNodes();

    s.Heading("Block 1: notes played into the sender reach the receiver of its port");
    s.Block(1, {{0, 0x90, 60, 100}, {0, 0xb0, 1, 64}});
    s.Heading("Block 2: a second note");
    s.Block(1, {{16, 0x90, 64, 90}});

    s.Heading("Block 3: the sender moves to port 2 holding both notes; port 1 hears them end");
    s.Node(1).SetParameter(kPort, PortValue(2));
    s.DescribeNode(1);
    s.Block(1, {});

    s.Heading("Block 4: on port 2 the sender reaches the other receiver");
    s.Block(1, {{0, 0x90, 67, 110}});

    s.Heading("Block 5: the receiver is switched off and on again; its note ends");
    s.Node(3).Suspend();
    s.Node(3).Resume();
    s.Block(1, {});

    s.Heading("Block 6: Thru on: the sender's own track hears its MIDI too");
    s.Node(1).SetParameter(kThru, 1.0f);
    s.Block(1, {{0, 0x90, 72, 80}, {128, 0x80, 72, 0}});

    s.Heading("Block 7: Panic on the receiver of port 2");
    s.Node(3).SetParameter(kPanic, 1.0f);
    s.Block(1, {});
    s.Node(3).SetParameter(kPanic, 0.0f);
}

void RestoreFromChunk(Session& s, std::ostream& err)
{
    s.Heading("Settings saved with the project: instance 3's bank chunk loaded into a new one");
    const std::vector<unsigned char> chunk = s.Node(3).GetChunk(false);
    if (!s.AddInstance(err))
        return;
    s.Node(4).SetChunk(chunk, false);
    s.DescribeNode(3);
    s.DescribeNode(4);
}

}  // namespace

int RunRelay(const CommandLine& line, std::ostream& out, std::ostream& err)
{
    if (line.arguments.size() != 1) {
        err << "usage: tarvenna-host relay <module.so>\n";
        return kExitUsage;
    }
    Module module;
    if (!module.Load(line.arguments[0])) {
        err << "tarvenna-host: " << module.Error() << '\n';
        return kExitFailed;
    }
    out << "MIDI relay between instances of " << module.Path() << '\n';
    {
        Session session(module, line.host, out);
        for (int i = 0; i < 3; ++i)
            if (!session.AddInstance(err))
                return kExitFailed;
        PlaySession(session);
        RestoreFromChunk(session, err);
        session.CloseAll();
    }
    if (!module.Unload()) {
        err << "tarvenna-host: " << module.Error() << '\n';
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace tarvenna::host::cli
