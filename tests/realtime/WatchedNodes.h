// Nodes of the built module made through our host library, with the host's
// side of every request they make kept out of the watch: the module's
// entry point is given a callback that steps out of the watch and then
// hands the request to the host's own.
#pragma once

#include "host/Host.h"
#include "plugin/VstRecords.h"

#include <memory>
#include <vector>

namespace realtime {

using tarvenna::host::HostInstance;
using tarvenna::host::MidiBlock;
using tarvenna::host::ProcessCall;

struct NodeSetup {
    bool receive = false;
    int port = 0;
    bool thru = false;
};

// The module, loaded once for the program (with DISPLAY as the program set
// it); null when it cannot be loaded.
tarvenna::host::Module* WatchedModule();
// Unloads it (closing its X connection) while the X server still runs.
void UnloadWatchedModule();

class WatchedNodes {
public:
    WatchedNodes() = default;
    WatchedNodes(const WatchedNodes&) = delete;
    WatchedNodes& operator=(const WatchedNodes&) = delete;
    ~WatchedNodes() { CloseAll(); }

    // Made, opened, switched on and set (port, mode, Thru); null when the
    // module refused it.
    HostInstance* Add(NodeSetup setup);
    static void Configure(HostInstance& node, NodeSetup setup);
    void CloseAll();
    std::vector<std::unique_ptr<HostInstance>>& All() { return nodes; }

    // One block of every node in order, the watch on for each node's MIDI
    // and process call; node i gets blocks[i] when there is one.
    void WatchedCycle(const std::vector<MidiBlock*>& blocks = {},
                      ProcessCall call = ProcessCall::Replacing);

    static constexpr VstInt32 kFrames = 64;

    // Watch the module's entry call too (it constructs the node on the
    // heap), to see that the module's own calls reach the watch.
    bool watchEntry = false;

private:
    tarvenna::host::Host host;
    std::vector<std::unique_ptr<HostInstance>> nodes;
};

// How many blocks of MIDI the nodes have handed their host so far.
int HandOvers();

// A block of `count` events cycling through note-ons, note-offs (with and
// without velocity 0), controllers and pitch bends on a few channels.
void FillMixedBlock(MidiBlock& block, int count, int seed);

}  // namespace realtime
