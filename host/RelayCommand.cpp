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

float portValue(int port) { return static_cast<float>(port - 1) / 7.0f; }

class Session {
public:
    Session(Module& module, const HostConfig& config, std::ostream& out)
        : module_(module),
          host_(config),
          out_(out)
    {
    }

    bool addInstance(std::ostream& err)
    {
        std::unique_ptr<HostInstance> instance = host_.instantiate(module_);
        if (!instance) {
            err << "tarvenna-host: " << host_.lastError() << " (" << module_.path() << ")\n";
            return false;
        }
        instance->open();
        instance->setSampleRate(44100.0f);
        instance->setBlockSize(kFrames);
        instance->resume();
        nodes_.push_back(std::move(instance));
        return true;
    }

    HostInstance& node(int number) { return *nodes_.at(number - 1); }

    void describeNodes()
    {
        for (std::size_t i = 0; i < nodes_.size(); ++i)
            describeNode(static_cast<int>(i) + 1);
    }

    void describeNode(int number)
    {
        HostInstance& n = node(number);
        out_ << "  instance " << number << ": " << n.parameterDisplay(kMode) << ", port "
             << n.parameterDisplay(kPort) << ", Thru " << n.parameterDisplay(kThru) << '\n';
    }

    // One audio block: the host hands `input` to instance `target` and then
    // runs every instance in creation order, as a host runs its tracks.
    void block(int target, const std::vector<MidiMessage>& input)
    {
        for (auto& n : nodes_)
            n->clearRecorded();
        for (const MidiMessage& message : input)
            out_ << "  host -> instance " << target << ": " << describeMidi(makeMidiEvent(message))
                 << '\n';
        for (std::size_t i = 0; i < nodes_.size(); ++i) {
            if (static_cast<int>(i) + 1 == target && !input.empty())
                nodes_[i]->sendMidi(input);
            nodes_[i]->processReplacing(kFrames);
        }
        printOutputs();
    }

    void heading(const std::string& text) { out_ << '\n' << text << '\n'; }

    void closeAll()
    {
        for (auto& n : nodes_)
            n->close();
        nodes_.clear();
    }

private:
    void printOutputs()
    {
        bool any = false;
        for (std::size_t i = 0; i < nodes_.size(); ++i) {
            const std::vector<VstMidiEvent> events = nodes_[i]->recorded().midiOut;
            for (std::size_t e = 0; e < events.size() && e < kListedEvents; ++e)
                out_ << "  instance " << i + 1 << " -> host: " << describeMidi(events[e]) << '\n';
            if (events.size() > kListedEvents)
                out_ << "  instance " << i + 1 << " -> host: ... " << events.size() - kListedEvents
                     << " more (" << events.size() << " events)\n";
            any = any || !events.empty();
        }
        if (!any)
            out_ << "  (no instance hands its host any MIDI)\n";
    }

    Module& module_;
    Host host_;
    std::ostream& out_;
    std::vector<std::unique_ptr<HostInstance>> nodes_;
};

void playSession(Session& s)
{
    // Every instance starts as a sender on port 1. Each switch to Receive
    // ends the notes of the receivers already on that port, so the receivers
    // are set up away from each other's port.
    s.node(3).setParameter(kPort, portValue(2));
    s.node(3).setParameter(kMode, 1.0f);
    s.node(2).setParameter(kMode, 1.0f);
    s.heading("Three instances: one sender and a receiver on port 1, a receiver on port 2");
    s.describeNodes();

    s.heading("Block 1: notes played into the sender reach the receiver of its port");
    s.block(1, {{0, 0x90, 60, 100}, {0, 0xb0, 1, 64}});
    s.heading("Block 2: a second note");
    s.block(1, {{16, 0x90, 64, 90}});

    s.heading("Block 3: the sender moves to port 2 holding both notes; port 1 hears them end");
    s.node(1).setParameter(kPort, portValue(2));
    s.describeNode(1);
    s.block(1, {});

    s.heading("Block 4: on port 2 the sender reaches the other receiver");
    s.block(1, {{0, 0x90, 67, 110}});

    s.heading("Block 5: the receiver is switched off and on again; its note ends");
    s.node(3).suspend();
    s.node(3).resume();
    s.block(1, {});

    s.heading("Block 6: Thru on: the sender's own track hears its MIDI too");
    s.node(1).setParameter(kThru, 1.0f);
    s.block(1, {{0, 0x90, 72, 80}, {128, 0x80, 72, 0}});

    s.heading("Block 7: Panic on the receiver of port 2");
    s.node(3).setParameter(kPanic, 1.0f);
    s.block(1, {});
    s.node(3).setParameter(kPanic, 0.0f);
}

void restoreFromChunk(Session& s, std::ostream& err)
{
    s.heading("Settings saved with the project: instance 3's bank chunk loaded into a new one");
    const std::vector<unsigned char> chunk = s.node(3).getChunk(false);
    if (!s.addInstance(err))
        return;
    s.node(4).setChunk(chunk, false);
    s.describeNode(3);
    s.describeNode(4);
}

}  // namespace

int runRelay(const CommandLine& line, std::ostream& out, std::ostream& err)
{
    if (line.arguments.size() != 1) {
        err << "usage: tarvenna-host relay <module.so>\n";
        return kExitUsage;
    }
    Module module;
    if (!module.load(line.arguments[0])) {
        err << "tarvenna-host: " << module.error() << '\n';
        return kExitFailed;
    }
    out << "MIDI relay between instances of " << module.path() << '\n';
    {
        Session session(module, line.host, out);
        for (int i = 0; i < 3; ++i)
            if (!session.addInstance(err))
                return kExitFailed;
        playSession(session);
        restoreFromChunk(session, err);
        session.closeAll();
    }
    if (!module.unload()) {
        err << "tarvenna-host: " << module.error() << '\n';
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace tarvenna::host::cli
