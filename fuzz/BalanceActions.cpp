#include "fuzz/BalanceActions.h"

#include "host/testing/Stress.h"

#include <cstdio>
#include <cstring>

namespace balance {

namespace {

using tarvenna::host::StressRandom;

constexpr std::size_t kBytesPerAction = 5;

// Most notes come from a few pairs, so that senders share notes at their
// receivers; the rest from anywhere on the keyboard. Half of them start
// their block, the others anywhere in it.
void PickNote(StressRandom& random, Action& action)
{
    if (random.OneIn(2)) {
        action.a = static_cast<uint8_t>(random.Below(3));
        action.b = static_cast<uint8_t>(60 + random.Below(4));
    } else {
        action.a = static_cast<uint8_t>(random.Below(16));
        action.b = static_cast<uint8_t>(random.Below(128));
    }
    if (random.OneIn(2))
        action.a = static_cast<uint8_t>(action.a | random.Below(16) << 4);
}

// A few ports carry most of the traffic; now and then any port.
uint8_t PickPort(StressRandom& random)
{
    return static_cast<uint8_t>(random.OneIn(6) ? random.Below(8) : random.Below(3));
}

Action Setting(Kind kind, uint8_t node, uint8_t a)
{
    Action action;
    action.kind = kind;
    action.node = node;
    action.a = a;
    return action;
}

// The weights of the kinds in a generated scenario, in Kind order.
constexpr uint32_t kWeights[] = {22, 12, 3, 10, 16, 5, 5, 4, 2, 2, 4, 4, 2, 2};
static_assert(sizeof kWeights / sizeof kWeights[0] == static_cast<int>(Kind::Count),
              "one weight per kind");

constexpr uint32_t TotalWeight()
{
    uint32_t total = 0;
    for (uint32_t weight : kWeights)
        total += weight;
    return total;
}

// The kind at `pick` of the weights laid end to end.
Kind KindAt(uint32_t pick)
{
    for (int kind = 0;; ++kind) {
        if (pick < kWeights[kind] || kind + 1 == static_cast<int>(Kind::Count))
            return static_cast<Kind>(kind);
        pick -= kWeights[kind];
    }
}

Kind PickKind(StressRandom& random) { return KindAt(random.Below(TotalWeight())); }

// A fuzzer's kind byte (seven bits) chooses with the same weights, so that
// its inputs play, as generated ones do, far more than they create and
// close nodes (each costs the claim handshake's sleeps).
constexpr uint32_t kKindBytes = 128;

Kind KindOfByte(uint8_t byte)
{
    return KindAt((byte & (kKindBytes - 1)) * TotalWeight() / kKindBytes);
}

uint8_t ByteOfKind(Kind kind)
{
    for (uint32_t byte = 0; byte < kKindBytes; ++byte)
        if (KindOfByte(static_cast<uint8_t>(byte)) == kind)
            return static_cast<uint8_t>(byte);
    return 0;
}

Action RandomAction(StressRandom& random)
{
    Action action;
    action.kind = PickKind(random);
    action.node = static_cast<uint8_t>(random.Below(256));
    switch (action.kind) {
    case Kind::NoteOn:
        PickNote(random, action);
        action.c = static_cast<uint8_t>(random.Below(127));
        break;
    case Kind::NoteOff:
        PickNote(random, action);
        action.c = static_cast<uint8_t>(random.Below(2));
        break;
    case Kind::Round:
        action.a = static_cast<uint8_t>(random.OneIn(3) ? random.Below(16) : 0);
        action.b = static_cast<uint8_t>(random.OneIn(2) ? 1 + random.Below(255) : 0);
        action.c = static_cast<uint8_t>(random.OneIn(6) ? 0x80 | random.Below(64) : 0);
        break;
    case Kind::Mode:
        action.a = static_cast<uint8_t>(random.OneIn(5) ? 2 + random.Below(2) : random.Below(2));
        break;
    case Kind::Port:
        action.a = PickPort(random);
        break;
    case Kind::Thru:
        action.a = static_cast<uint8_t>(random.Below(2));
        break;
    case Kind::Load:
        action.a = static_cast<uint8_t>(random.Below(2));
        action.b = PickPort(random);
        action.c = static_cast<uint8_t>(random.Below(4));
        break;
    default:
        break;
    }
    action.second = action.MaySecond() && random.OneIn(3);
    return action;
}

}  // namespace

bool Action::MaySecond() const
{
    return kind == Kind::Mode || kind == Kind::Port || kind == Kind::Thru || kind == Kind::Panic ||
           kind == Kind::Load;
}

Scenario Generate(uint64_t seed)
{
    StressRandom random(seed);
    Scenario scenario;
    scenario.initialNodes =
        Scenario::kMinNodes +
        static_cast<int>(random.Below(Scenario::kMaxNodes - Scenario::kMinNodes + 1));
    // Set up as a host session starts: each node's port, mode and Thru.
    for (int node = 0; node < scenario.initialNodes; ++node) {
        const auto index = static_cast<uint8_t>(node);
        scenario.actions.push_back(Setting(Kind::Port, index, PickPort(random)));
        scenario.actions.push_back(
            Setting(Kind::Mode, index, static_cast<uint8_t>(random.OneIn(3) ? 0 : 1)));
        if (random.OneIn(4))
            scenario.actions.push_back(Setting(Kind::Thru, index, 1));
    }
    const uint32_t length = 20 + random.Below(100);
    for (uint32_t i = 0; i < length; ++i) {
        scenario.actions.push_back(RandomAction(random));
        // Hosts switch on again, while playing, nodes that are on: what the
        // senders queued for them must stay.
        if (scenario.actions.back().kind == Kind::Round && random.OneIn(3))
            scenario.actions.push_back(
                Setting(Kind::Resume, static_cast<uint8_t>(random.Below(256)), 0));
        // A node just created is often given a saved setting: its first load.
        if (scenario.actions.back().kind == Kind::Create && random.OneIn(2)) {
            Action load = RandomAction(random);
            load.kind = Kind::Load;
            load.node = Action::kNewest;
            load.a = static_cast<uint8_t>(random.Below(2));
            load.b = PickPort(random);
            scenario.actions.push_back(load);
        }
    }
    return scenario;
}

Scenario Decode(const uint8_t* data, std::size_t size, std::size_t maxActions)
{
    Scenario scenario;
    if (size == 0)
        return scenario;
    scenario.initialNodes =
        Scenario::kMinNodes + data[0] % (Scenario::kMaxNodes - Scenario::kMinNodes + 1);
    for (std::size_t at = 1; at + kBytesPerAction <= size; at += kBytesPerAction) {
        if (scenario.actions.size() >= maxActions)
            break;
        Action action;
        action.kind = KindOfByte(data[at]);
        action.node = data[at + 1];
        action.a = data[at + 2];
        action.b = data[at + 3];
        action.c = data[at + 4];
        action.second = (data[at] & 0x80) != 0 && action.MaySecond();
        scenario.actions.push_back(action);
    }
    return scenario;
}

std::vector<uint8_t> Encode(const Scenario& scenario)
{
    std::vector<uint8_t> bytes;
    bytes.push_back(static_cast<uint8_t>(scenario.initialNodes - Scenario::kMinNodes));
    for (const Action& action : scenario.actions) {
        bytes.push_back(static_cast<uint8_t>(ByteOfKind(action.kind) | (action.second ? 0x80 : 0)));
        bytes.push_back(action.node);
        bytes.push_back(action.a);
        bytes.push_back(action.b);
        bytes.push_back(action.c);
    }
    return bytes;
}

std::string Describe(const Action& action, const std::string& name)
{
    char text[128];
    const char* node = name.c_str();
    switch (action.kind) {
    case Kind::NoteOn:
        std::snprintf(text, sizeof text,
                      "node %s: note-on channel %d key %d velocity %d at frame %d", node,
                      action.a & 15, action.b & 127, Velocity(action), Offset(action));
        break;
    case Kind::NoteOff:
        std::snprintf(text, sizeof text, "node %s: note-off channel %d key %d (%s) at frame %d",
                      node, action.a & 15, action.b & 127, action.c ? "0x90 velocity 0" : "0x80",
                      Offset(action));
        break;
    case Kind::Deliver:
        std::snprintf(text, sizeof text, "node %s: its MIDI without a process call", node);
        break;
    case Kind::Block:
        std::snprintf(text, sizeof text, "node %s: one block", node);
        break;
    case Kind::Round:
        std::snprintf(text, sizeof text, "every node one block, starting with %s%s", node,
                      action.b != 0 ? ", in a drawn order" : "");
        if (action.c & 0x80)
            std::snprintf(text + std::strlen(text), sizeof text - std::strlen(text),
                          ", node #%d out of %d rounds", action.c & 15, Resting(action));
        break;
    case Kind::Mode: {
        const char* const values[] = {"Send", "Receive", "0.49", "0.5"};
        std::snprintf(text, sizeof text, "node %s: mode %s", node, values[action.a & 3]);
        break;
    }
    case Kind::Port:
        std::snprintf(text, sizeof text, "node %s: port %d", node, action.a & 7);
        break;
    case Kind::Thru:
        std::snprintf(text, sizeof text, "node %s: Thru %s", node, action.a ? "on" : "off");
        break;
    case Kind::Panic:
        std::snprintf(text, sizeof text, "node %s: Panic", node);
        break;
    case Kind::Suspend:
        std::snprintf(text, sizeof text, "node %s: switched off", node);
        break;
    case Kind::Resume:
        std::snprintf(text, sizeof text, "node %s: switched on", node);
        break;
    case Kind::Load:
        std::snprintf(text, sizeof text, "node %s: %s chunk, mode %s, port %d, Thru %s", node,
                      action.c & 2 ? "program" : "bank", action.a & 1 ? "Receive" : "Send",
                      action.b & 7, action.c & 1 ? "on" : "off");
        break;
    case Kind::Create:
        std::snprintf(text, sizeof text, "a new node");
        break;
    case Kind::Close:
        std::snprintf(text, sizeof text, "node %s: closed", node);
        break;
    default:
        std::snprintf(text, sizeof text, "nothing");
        break;
    }
    return std::string(text) + (action.second ? " (second thread)" : "");
}

std::string Describe(const Scenario& scenario)
{
    std::string text = std::to_string(scenario.initialNodes) + " nodes, " +
                       std::to_string(scenario.actions.size()) + " actions:\n";
    for (std::size_t i = 0; i < scenario.actions.size(); ++i) {
        const Action& action = scenario.actions[i];
        const std::string name =
            action.node == Action::kNewest ? "opened last" : "#" + std::to_string(action.node);
        text += "  " + std::to_string(i + 1) + ". " + Describe(action, name) + "\n";
    }
    return text;
}

}  // namespace balance
