// What the JACK bridge adds to a block, beside the in-process relay it
// extends: one sender and R receivers with E events per 64-frame block,
//   jack:0  the bridge off, the receivers on the sender's port;
//   jack:1  the bridge on, the same nodes: the sender's blocks also go to
//           its port's JACK output;
//   jack:2  the bridge on, the receivers on another port whose JACK input
//           is connected to the sender's output: everything they get went
//           through JACK.
// The blocks come at the pace of a 64-frame block at 48 kHz (the private
// server's period), so that JACK's process thread empties the rings between
// them as in a real host; the waits are not timed, and only the calling
// thread's CPU time is counted, not JACK's.
#include "bench/BenchJack.h"
#include "bench/BenchPool.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace bench {

namespace {

constexpr auto kBlockTime = std::chrono::microseconds(1333);

// The bridge opens with the process's first node and closes with its
// last, so each case makes its nodes anew.
bool PlaceBridge(int jack, int receivers)
{
    BenchNodes& pool = Pool();
    pool.CloseAll();
    if (jack > 0 && !BenchJackServer().Running())
        return false;
    setenv("TARVENNA_JACK", jack > 0 ? "on" : "off", 1);
    if (pool.Grow(receivers + 1) < receivers + 1)
        return false;
    pool.Place(0, {false, 0, false});
    for (int i = 1; i <= receivers; ++i)
        pool.Place(i, {true, jack == 2 ? 1 : 0, false});
    if (jack == 2 && std::system("jack_connect Tarvenna:out-1 Tarvenna:in-2") != 0)
        return false;
    pool.Settle();
    return true;
}

// Blocks come at a 64-frame block's pace, as in a real host; the wait is
// not timed.
void WaitForTheNextBlock(benchmark::State& state, std::chrono::steady_clock::time_point& due)
{
    state.PauseTiming();
    due += kBlockTime;
    std::this_thread::sleep_until(due);
    state.ResumeTiming();
}

void Bridge(benchmark::State& state)
{
    const int jack = static_cast<int>(state.range(0));
    const int receivers = static_cast<int>(state.range(1));
    const int events = static_cast<int>(state.range(2));
    if (!PlaceBridge(jack, receivers))
        return state.SkipWithError("no JACK server, or the module refused a node");
    MidiBlock block(256);
    FillNotePairs(block, events, kBlockFrames);
    BenchNodes& pool = Pool();
    auto due = std::chrono::steady_clock::now();
    for (auto _ : state) {
        WaitForTheNextBlock(state, due);
        pool.RunBlock(0, receivers + 1, &block, kBlockFrames);
    }
    state.SetItemsProcessed(state.iterations() * events * receivers);
    // The other benchmarks expect the bridge off.
    pool.CloseAll();
    setenv("TARVENNA_JACK", "off", 1);
}
// What the pauses themselves leave in the figures above (reading the
// thread's CPU clock around each wait, and caches cooled by the sleep).
void BridgePace(benchmark::State& state)
{
    auto due = std::chrono::steady_clock::now();
    for (auto _ : state) {
        WaitForTheNextBlock(state, due);
    }
}
BENCHMARK(BridgePace)->Iterations(1500);

BENCHMARK(Bridge)
    ->ArgNames({"jack", "receivers", "events"})
    ->ArgsProduct({{0, 1, 2}, {1, 8}, {1, 16, 256}})
    ->Iterations(1500);

}  // namespace

}  // namespace bench
