// A whole host block of a full relay: 64 nodes in 8 ports, each port one
// sender with 16 events per block and seven receivers, run one after
// another as a host's audio thread runs them.
#include "bench/BenchPool.h"

#include <benchmark/benchmark.h>

namespace bench {

namespace {

void EightPorts(benchmark::State& state)
{
    if (!PlaceEightPorts())
        return state.SkipWithError("the module refused a node");
    MidiBlock block(256);
    FillNotePairs(block, 16, kBlockFrames);
    BenchNodes& pool = Pool();
    for (auto _ : state)
        for (int port = 0; port < 8; ++port)
            pool.RunBlock(port * 8, 8, &block, kBlockFrames);
    state.SetItemsProcessed(state.iterations() * 8 * 16);
}
BENCHMARK(EightPorts);

}  // namespace

}  // namespace bench
