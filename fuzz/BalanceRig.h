// Runs balance scenarios on nodes of the relay through our host: the host
// actions of the list, then what a host does when the playing stops (the
// nodes it switched off are switched on, the keys its tracks hold are let
// go) and a few quiet blocks; then the MIDI each open node handed its host
// must be balanced, every block of it in order, and no note of it ended
// before its note-on or, by the relay, without a release (BalanceCheck.h).
// Nothing is switched off before that look.
//
// Nodes are kept from one scenario to the next (a join costs the 20 ms
// claim handshake): after each scenario the open ones are set back to Send
// on port 0 with Thru off, and a scenario starts from such nodes. Nodes the
// scenario creates are new instances.
#pragma once

#include "fuzz/BalanceActions.h"
#include "fuzz/BalanceCheck.h"
#include "fuzz/BalanceSession.h"
#include "fuzz/SecondThread.h"
#include "host/HostInstance.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace balance {

// Makes one switched-off instance whose requests go through `options`.
using NodeFactory = std::function<std::unique_ptr<tarvenna::host::HostInstance>(
    tarvenna::host::InstanceOptions options)>;

struct RigOptions {
    // Settings marked for the second thread run on it; otherwise inline,
    // which makes every run of a list the same (fuzzing wants that).
    bool secondThread = true;
    // Create and Close actions beyond these many in one scenario do nothing:
    // each costs the claim handshake's sleeps.
    int maxCreates = 3;
    int maxCloses = 3;
    // Blocks of every node with no host MIDI before the look.
    int quietBlocks = 4;
    // Whether every node carries the tags of the host's events
    // (BalanceSession.h) as VST 2 nodes do; where some do not (LV2 nodes:
    // atoms carry the bytes only), the look is for balance alone.
    bool tagsCarried = true;
};

struct RunResult {
    // "" when every open node's stream is balanced.
    std::string failure;
    // Each action as it was done, with the nodes named.
    std::vector<std::string> trace;
};

class BalanceRig {
public:
    BalanceRig(NodeFactory factory, RigOptions options);
    // Closes every node.
    ~BalanceRig();
    BalanceRig(const BalanceRig&) = delete;
    BalanceRig& operator=(const BalanceRig&) = delete;

    RunResult Run(const Scenario& scenario);

    int Created() const { return created; }
    int Closed() const { return closed; }

private:
    struct Node;

    std::unique_ptr<Node> MakeNode(const std::string& name);
    void Open(int count);
    void Do(const Action& action, RunResult& result);
    Node* Target(const Action& action);
    void Play(Node& node, const Action& action);
    void Apply(tarvenna::host::HostInstance& instance, const Action& action);
    void RunBlock(Node& node);
    void Deliver(Node& node);
    void RunRound(const Action& action, RunResult& result);
    void RunRound(std::size_t start);
    void Create(RunResult& result);
    bool Close(Node* node);
    std::string Finish();
    void Release();
    void Neutralise();

    NodeFactory factory;
    RigOptions options;
    SessionLog session;
    std::optional<SecondThread> worker;
    std::vector<std::unique_ptr<Node>> pool;  // idle, Send on port 0
    std::vector<std::unique_ptr<Node>> open;  // the scenario's nodes, in creation order
    int createsLeft = 0;
    int closesLeft = 0;
    int names = 0;
    int serials = 0;
    int created = 0;
    int closed = 0;
};

}  // namespace balance
