// The nodes the relay benchmarks share: creating one costs the claim
// handshake (at least 20 ms), so the benchmarks place the same nodes anew
// instead of making their own.
#pragma once

#include "bench/BenchNodes.h"

namespace bench {

BenchNodes& Pool();

// Node 0 sends on port 0 with `thru`; nodes 1 to `receivers` receive there;
// every other node is parked as a sender on port 7, where nothing listens.
// False when the pool cannot hold that many.
bool PlaceFanOut(int receivers, bool thru = false);

// Eight ports of eight nodes: node 8p sends on port p, the next seven
// receive there.
bool PlaceEightPorts();

constexpr int kBlockFrames = 64;
constexpr int kMaxNodes = 64;

}  // namespace bench
