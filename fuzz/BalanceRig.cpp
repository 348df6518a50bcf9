#include "fuzz/BalanceRig.h"

#include "host/MidiBlock.h"
#include "host/testing/Stress.h"
#include "plugin/ParameterIndex.h"
#include "plugin/VstOpcodes.h"

#include <cstring>
#include <utility>

namespace balance {

namespace {

using tarvenna::host::HostInstance;
using tarvenna::host::MakeMidiEvent;
using tarvenna::host::MidiBlock;

constexpr VstInt32 kFrames = 32;
constexpr int kChannels = 16;
constexpr int kKeys = 128;

std::string NameOf(int index)
{
    return index < 26 ? std::string(1, static_cast<char>('A' + index))
                      : "N" + std::to_string(index + 1);
}

// The settings a host's GUI or automation thread makes.
void ApplySetting(HostInstance& node, const Action& action)
{
    switch (action.kind) {
    case Kind::Mode: {
        const float values[] = {0.0f, 1.0f, 0.49f, 0.5f};
        node.SetParameter(kParameterMode, values[action.a & 3]);
        break;
    }
    case Kind::Port:
        node.SetParameter(kParameterPort, static_cast<float>(action.a & 7) / 7.0f);
        break;
    case Kind::Thru:
        node.SetParameter(kParameterThru, action.a ? 1.0f : 0.0f);
        break;
    case Kind::Panic:
        node.SetParameter(kParameterPanic, 1.0f);
        node.SetParameter(kParameterPanic, 0.0f);
        break;
    case Kind::Load: {
        unsigned char bytes[61] = {};
        std::strcpy(reinterpret_cast<char*>(bytes), "balance");
        bytes[48] = static_cast<unsigned char>(action.a & 1);
        bytes[49] = static_cast<unsigned char>(action.b & 7);
        bytes[50] = static_cast<unsigned char>(action.c & 1);
        const bool program = (action.c & 2) != 0;
        node.Dispatch(effSetChunk, program ? 1 : 0, program ? 60 : 61, bytes);
        break;
    }
    default:
        break;
    }
}

}  // namespace

struct BalanceRig::Node {
    std::string name;
    int serial = 0;
    // Declared first: the instance hands it MIDI until it is closed.
    BalanceCheck check;
    std::unique_ptr<HostInstance> instance;
    // The MIDI the host gives the node with its next block, in offset
    // order, and the block it goes in.
    std::vector<VstMidiEvent> pending;
    MidiBlock block;
    // The keys the node's track holds down: the tag of each one's note-on,
    // 0 for a key that is up.
    int32_t keys[kChannels][kKeys] = {};
    // Rounds the host leaves the node out of.
    int restingRounds = 0;
    bool off = false;

    void Queue(VstMidiEvent event, VstInt32 offset)
    {
        const VstInt32 after = pending.empty() ? 0 : pending.back().deltaFrames;
        event.deltaFrames = offset > after ? offset : after;
        pending.push_back(event);
    }
    MidiBlock& TakePending()
    {
        block.Clear();
        for (const VstMidiEvent& event : pending)
            block.Add(event);
        pending.clear();
        return block;
    }
};

BalanceRig::BalanceRig(NodeFactory factory, RigOptions options)
    : factory(std::move(factory)),
      options(options)
{
    if (options.secondThread)
        worker.emplace();
}

BalanceRig::~BalanceRig()
{
    if (worker)
        worker->Wait();
    for (auto* nodes : {&open, &pool})
        for (auto& node : *nodes)
            node->instance->Close();
}

std::unique_ptr<BalanceRig::Node> BalanceRig::MakeNode(const std::string& name)
{
    auto node = std::make_unique<Node>();
    node->name = name;
    node->serial = serials++;
    node->check.Join(&session, node->serial);
    node->instance = factory(node->check.Options());
    if (!node->instance)
        return nullptr;
    node->instance->Open();
    node->instance->Resume();
    ++created;
    return node;
}

// Pool nodes first; new ones when the pool runs short. A node that cannot
// be made is left out, and the scenario runs with fewer.
void BalanceRig::Open(int count)
{
    names = 0;
    while (static_cast<int>(open.size()) < count) {
        std::unique_ptr<Node> node;
        if (!pool.empty()) {
            node = std::move(pool.back());
            pool.pop_back();
        } else {
            node = MakeNode("");
        }
        if (!node)
            break;
        node->name = NameOf(names++);
        open.push_back(std::move(node));
    }
}

RunResult BalanceRig::Run(const Scenario& scenario)
{
    RunResult result;
    createsLeft = options.maxCreates;
    closesLeft = options.maxCloses;
    session.Reset();
    Open(scenario.initialNodes);
    for (const Action& action : scenario.actions) {
        session.Tick();
        Do(action, result);
    }
    result.failure = Finish();
    Neutralise();
    return result;
}

BalanceRig::Node* BalanceRig::Target(const Action& action)
{
    if (open.empty())
        return nullptr;
    if (action.node == Action::kNewest)
        return open.back().get();
    return open[action.node % open.size()].get();
}

void BalanceRig::Do(const Action& action, RunResult& result)
{
    if (action.kind == Kind::Create) {
        Create(result);
        return;
    }
    Node* node = Target(action);
    if (node == nullptr)
        return;
    if (action.kind == Kind::Round) {
        RunRound(action, result);
        return;
    }
    result.trace.push_back(Describe(action, node->name));
    HostInstance& instance = *node->instance;
    switch (action.kind) {
    case Kind::NoteOn:
    case Kind::NoteOff:
        Play(*node, action);
        break;
    case Kind::Deliver:
        Deliver(*node);
        break;
    case Kind::Block:
        RunBlock(*node);
        break;
    case Kind::Suspend:
        session.ReleaseBegins();
        instance.Suspend();
        session.ReleaseEnds();
        node->off = true;
        break;
    case Kind::Resume:
        instance.Resume();
        node->off = false;
        break;
    case Kind::Close:
        if (!Close(node))
            result.trace.back() += " (left open: enough were closed)";
        break;
    default:
        if (worker && action.second)
            worker->Post([this, &instance, action] { Apply(instance, action); });
        else
            Apply(instance, action);
        break;
    }
}

// Every setting counts as a release, whether or not it ends a note.
void BalanceRig::Apply(HostInstance& instance, const Action& action)
{
    session.ReleaseBegins();
    ApplySetting(instance, action);
    session.ReleaseEnds();
}

void BalanceRig::Play(Node& node, const Action& action)
{
    const int channel = action.a & 15;
    const int key = action.b & 127;
    int32_t& down = node.keys[channel][key];
    if (action.kind == Kind::NoteOn) {
        VstMidiEvent event = MakeMidiEvent(0x90 + channel, key, Velocity(action));
        event.noteOffset = down = session.Feed(node.serial);
        node.Queue(event, Offset(action));
        return;
    }
    VstMidiEvent event =
        action.c ? MakeMidiEvent(0x90 + channel, key, 0) : MakeMidiEvent(0x80 + channel, key, 64);
    event.noteOffset = session.Feed(node.serial, down);
    down = 0;
    node.Queue(event, Offset(action));
}

void BalanceRig::RunBlock(Node& node)
{
    session.Ran(node.serial);
    node.instance->RunBlock(&node.TakePending(), kFrames);
}

void BalanceRig::Deliver(Node& node)
{
    if (!node.pending.empty())
        node.instance->SendEvents(node.TakePending());
}

// The host runs its tracks in an order of its own, which may change from
// block to block, and may leave a track out for a while without switching
// its plug-in off.
void BalanceRig::RunRound(const Action& action, RunResult& result)
{
    std::vector<Node*> order;
    for (std::size_t i = 0; i < open.size(); ++i)
        order.push_back(open[(action.a + i) % open.size()].get());
    tarvenna::host::StressRandom random(action.b);
    for (std::size_t i = order.size() - 1; i > 0 && action.b != 0; --i)
        std::swap(order[i], order[random.Below(static_cast<uint32_t>(i + 1))]);
    std::string text = Describe(action, order.front()->name);
    if (action.c & 0x80) {
        Node& resting = *open[(action.c & 15) % open.size()];
        resting.restingRounds = Resting(action);
        text += " (" + resting.name + ")";
    }
    result.trace.push_back(text);
    for (Node* node : order) {
        if (node->restingRounds > 0)
            --node->restingRounds;
        else
            RunBlock(*node);
    }
}

void BalanceRig::RunRound(std::size_t start)
{
    for (std::size_t i = 0; i < open.size(); ++i)
        RunBlock(*open[(start + i) % open.size()]);
}

void BalanceRig::Create(RunResult& result)
{
    if (createsLeft <= 0 || open.size() >= static_cast<std::size_t>(Scenario::kMaxNodes)) {
        result.trace.push_back("a new node: not made, enough nodes");
        return;
    }
    --createsLeft;
    std::unique_ptr<Node> node = MakeNode(NameOf(names++));
    if (!node) {
        result.trace.push_back("a new node: refused by the module");
        return;
    }
    result.trace.push_back("a new node " + node->name);
    open.push_back(std::move(node));
}

// The last node stays: a scenario always has one to play on.
bool BalanceRig::Close(Node* node)
{
    if (open.size() <= 1 || closesLeft <= 0)
        return false;
    --closesLeft;
    if (worker)
        worker->Wait();
    session.ReleaseBegins();
    node->instance->Close();
    session.ReleaseEnds();
    ++closed;
    for (auto it = open.begin(); it != open.end(); ++it)
        if (it->get() == node) {
            open.erase(it);
            break;
        }
    return true;
}

// The playing stops as it stops in a host: the second thread's last change
// is made, every node is switched on, the tracks let go of their keys, and
// a few blocks pass with no MIDI.
std::string BalanceRig::Finish()
{
    if (worker)
        worker->Wait();
    Release();
    for (int block = 0; block < options.quietBlocks; ++block) {
        session.Tick();
        RunRound(0);
    }
    std::string failure;
    for (const auto& node : open) {
        const std::string left = node->check.Unbalanced();
        const std::string faults = options.tagsCarried ? node->check.Faults() : "";
        if (left.empty() && faults.empty())
            continue;
        HostInstance& instance = *node->instance;
        failure += "node " + node->name + " (" + instance.ParameterDisplay(0) + ", port " +
                   instance.ParameterDisplay(1) + ", Thru " + instance.ParameterDisplay(2) + ")";
        failure += left + faults + "\n";
    }
    return failure;
}

void BalanceRig::Release()
{
    for (const auto& node : open) {
        if (node->off)
            node->instance->Resume();
        node->off = false;
        node->restingRounds = 0;
        for (int channel = 0; channel < kChannels; ++channel)
            for (int key = 0; key < kKeys; ++key) {
                if (node->keys[channel][key] == 0)
                    continue;
                VstMidiEvent event = MakeMidiEvent(0x80 + channel, key, 64);
                event.noteOffset = session.Feed(node->serial, node->keys[channel][key]);
                node->Queue(event, 0);
            }
        std::memset(node->keys, 0, sizeof node->keys);
    }
    session.Tick();
    RunRound(0);
}

// Back to what a scenario starts from: every node a sender in port 0 with
// Thru and Panic off, nothing held, nothing queued, its first load behind
// it; the streams forgotten.
void BalanceRig::Neutralise()
{
    for (const auto& node : open) {
        HostInstance& instance = *node->instance;
        instance.SetParameter(kParameterPanic, 0.0f);
        instance.SetParameter(kParameterThru, 0.0f);
        instance.SetParameter(kParameterMode, 0.0f);
        instance.SetParameter(kParameterPort, 0.0f);
        instance.Suspend();
        instance.Resume();
        node->pending.clear();
    }
    for (int block = 0; block < 3; ++block)
        RunRound(0);
    unsigned char neutral[61] = {};
    std::strcpy(reinterpret_cast<char*>(neutral), "balance");
    for (auto& node : open) {
        node->instance->Dispatch(effSetChunk, 0, sizeof neutral, neutral);
        node->check.Reset();
        pool.push_back(std::move(node));
    }
    open.clear();
    while (pool.size() > static_cast<std::size_t>(Scenario::kMaxNodes)) {
        pool.back()->instance->Close();
        ++closed;
        pool.pop_back();
    }
}

}  // namespace balance
