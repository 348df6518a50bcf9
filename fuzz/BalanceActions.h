// The host actions of a balance scenario: what a host does to the nodes of
// one process, as a list that can be generated from a seed, read from a
// fuzzer's bytes, shortened and printed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace balance {

enum class Kind : uint8_t {
    NoteOn,   // a: channel, offset / 2 in the high four bits; b: key; c: velocity - 1
              // (modulo 127); for the node's next block
    NoteOff,  // a and b as NoteOn; c: 0 as 0x80, else as 0x90 with velocity 0
    Deliver,  // the queued MIDI through effProcessEvents now, without a process call
    Block,    // one process call of the node, with its queued MIDI
    Round,    // one block of every open node; a: the node the round starts with; b: when
              // not 0, the order drawn from it; c: with its top bit, node c & 15 sits out
              // this round and Resting - 1 more
    Mode,     // a: 0 Send, 1 Receive, 2 the value 0.49, 3 the value 0.5
    Port,     // a: port 0 to 7
    Thru,     // a: 0 off, else on
    Panic,    // Panic switched on and off again
    Suspend,  // effMainsChanged 0
    Resume,   // effMainsChanged 1, also to a node that is on
    Load,     // a: mode, b: port, c: bit 0 Thru, bit 1 as a program chunk
    Create,   // a new instance, at the end of the open nodes
    Close,    // the instance closed
    Count
};

struct Action {
    Kind kind = Kind::Round;
    // The node among the open ones, modulo their number; kNewest is the one
    // opened last.
    static constexpr uint8_t kNewest = 255;
    uint8_t node = 0;
    uint8_t a = 0, b = 0, c = 0;
    bool second = false;  // settings made from a second host thread

    // Only settings may come from the second thread.
    bool MaySecond() const;
};

struct Scenario {
    static constexpr int kMinNodes = 4;
    static constexpr int kMaxNodes = 16;
    int initialNodes = kMinNodes;
    std::vector<Action> actions;
};

// A random scenario: 4 to 16 nodes set up as senders and receivers on a few
// ports, then playing, settings, switching off and on, chunk loads, nodes
// created and closed, some settings from a second thread.
Scenario Generate(uint64_t seed);

// A fuzzer's bytes as a scenario (the first byte gives the node count, then
// five bytes per action: the kind in the low seven bits of the first, drawn
// with the weights of Generate, the second thread in its top bit; the node;
// a, b and c) and back.
Scenario Decode(const uint8_t* data, std::size_t size, std::size_t maxActions);
std::vector<uint8_t> Encode(const Scenario& scenario);

// The action done to the node called `name`.
std::string Describe(const Action& action, const std::string& name);
// The whole list, with nodes named by their index byte.
std::string Describe(const Scenario& scenario);

// MIDI velocity of a NoteOn action.
inline int Velocity(const Action& action) { return 1 + action.c % 127; }
// The offset a note action asks for in its block of 32 frames (the host
// keeps its blocks in order, so no earlier than the note queued before).
inline int Offset(const Action& action) { return (action.a >> 4) * 2; }
// The rounds a Round action leaves its resting node out of.
inline int Resting(const Action& action) { return 1 + ((action.c >> 4) & 3); }

}  // namespace balance
