// Nodes of the built module, loaded with dlopen through our host library and
// driven as a host's audio thread drives them: each node's MIDI, then its
// process call, one node after another. Nothing is recorded, so the host's
// own share of a block is its answer to the hand-over of MIDI.
#pragma once

#include "host/Host.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace bench {

using tarvenna::host::HostInstance;
using tarvenna::host::MidiBlock;

// How a benchmark places one node.
struct Placement {
    bool receive = false;
    int port = 0;
    bool thru = false;
};

class BenchNodes {
public:
    // Loads the module first, so that it outlives every set of nodes.
    BenchNodes();
    BenchNodes(const BenchNodes&) = delete;
    BenchNodes& operator=(const BenchNodes&) = delete;
    ~BenchNodes() { CloseAll(); }

    // The module every benchmark loads; false (with a message on standard
    // error) when it cannot be loaded.
    static bool ModuleLoaded();
    // Its dlopen handle, for the entry points of its other faces.
    static void* ModuleHandle();

    // Creates nodes until `count` are open; returns how many are.
    int Grow(int count);
    void CloseAll();
    int Count() const { return static_cast<int>(nodes.size()); }
    // Heap taken by the entry calls that made the nodes open now and before.
    std::size_t EntryHeapBytes() const { return entryHeapBytes; }
    HostInstance& Node(int i) { return *nodes[i]; }

    // Port, then mode, then Thru, as a host restores settings; then a few
    // silent blocks of every node so that the releases and flushes a move
    // starts are over before anything is timed.
    void Place(int i, Placement placement);
    void Settle(int blocks = 4);

    // One block of nodes [first, first + count): the sender's MIDI (when
    // `midi` holds any) goes to node `first` only.
    void RunBlock(int first, int count, MidiBlock* midi, int frames)
    {
        for (int i = first; i < first + count; ++i)
            nodes[i]->RunBlock(i == first ? midi : nullptr, frames);
    }

private:
    tarvenna::host::Host host;
    std::vector<std::unique_ptr<HostInstance>> nodes;
    std::size_t entryHeapBytes = 0;
};

// Note-on and note-off pairs on distinct keys, spread over a block.
void FillNotePairs(MidiBlock& block, int events, int frames);

// Heap bytes the process has handed out and not taken back (glibc).
std::size_t HeapInUse();

}  // namespace bench
