// The same job done through JACK, for comparison: two JACK clients, one
// writing E MIDI events into its output port every period and one reading
// them from its input port, connected through the private server (dummy
// backend, 64 frames at 48 kHz). What the pair costs per period is the CPU
// time of the server process and of this process (both clients' threads)
// over a few seconds of periods, divided by the periods the reader ran.
// The relay's nodes are all closed meanwhile, so no other client runs.
#include "bench/BenchJack.h"
#include "bench/BenchPool.h"

#include "bridge/JackApi.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>

namespace bench {

namespace {

constexpr auto kMeasured = std::chrono::seconds(3);

struct PairSide {
    const JackApi* api = nullptr;
    jack::Client* client = nullptr;
    jack::Port* port = nullptr;
    int events = 0;
    std::atomic<uint64_t> periods{0};
    std::atomic<uint64_t> received{0};
};

int Write(jack::Frames frames, void* argument)
{
    PairSide& side = *static_cast<PairSide*>(argument);
    void* buffer = side.api->portBuffer(side.port, frames);
    side.api->midiClearBuffer(buffer);
    for (int i = 0; i < side.events; ++i) {
        const unsigned char note[3] = {static_cast<unsigned char>(i % 2 == 0 ? 0x90 : 0x80),
                                       static_cast<unsigned char>(36 + (i / 2) % 64), 100};
        side.api->midiEventWrite(buffer, static_cast<jack::Frames>(i) * frames / (side.events + 1),
                                 note, sizeof note);
    }
    side.periods.fetch_add(1, std::memory_order_relaxed);
    return 0;
}

// Takes each event's bytes, as a client that plays them would.
int Read(jack::Frames frames, void* argument)
{
    PairSide& side = *static_cast<PairSide*>(argument);
    void* buffer = side.api->portBuffer(side.port, frames);
    const uint32_t count = side.api->midiEventCount(buffer);
    uint64_t taken = 0;
    for (uint32_t i = 0; i < count; ++i) {
        jack::MidiEvent event{};
        if (side.api->midiEventGet(&event, buffer, i) == 0 && event.size > 0)
            taken += event.buffer[0] != 0 ? 1 : 0;
    }
    side.received.fetch_add(taken, std::memory_order_relaxed);
    side.periods.fetch_add(1, std::memory_order_relaxed);
    return 0;
}

bool Open(const JackApi& api, PairSide& side, const char* name, bool output)
{
    side.api = &api;
    int status = 0;
    side.client = api.clientOpen(name, jack::kNoStartServer, &status);
    if (side.client == nullptr)
        return false;
    side.port = api.portRegister(side.client, output ? "out" : "in", jack::kMidiType,
                                 output ? jack::kPortIsOutput : jack::kPortIsInput, 0);
    return side.port != nullptr &&
           api.setProcessCallback(side.client, output ? Write : Read, &side) == 0 &&
           api.activate(side.client) == 0;
}

void Close(const JackApi& api, PairSide& side)
{
    if (side.client == nullptr)
        return;
    api.deactivate(side.client);
    api.clientClose(side.client);
    side.client = nullptr;
}

double ProcessCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Runs the connected pair for kMeasured; false when nothing arrived.
bool Measure(PairSide& reader, double& cpuPerPeriod, double& eventsPerPeriod)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const std::optional<double> serverBefore = ServerCpuSeconds();
    const double ownBefore = ProcessCpuSeconds();
    const uint64_t periodsBefore = reader.periods.load();
    const uint64_t receivedBefore = reader.received.load();
    std::this_thread::sleep_for(kMeasured);
    const std::optional<double> serverAfter = ServerCpuSeconds();
    const double ownAfter = ProcessCpuSeconds();
    const uint64_t periods = reader.periods.load() - periodsBefore;
    const uint64_t received = reader.received.load() - receivedBefore;
    if (!serverBefore || !serverAfter || periods == 0 || received == 0)
        return false;
    cpuPerPeriod = (*serverAfter - *serverBefore + ownAfter - ownBefore) / periods;
    eventsPerPeriod = static_cast<double>(received) / periods;
    return true;
}

void JackPair(benchmark::State& state)
{
    Pool().CloseAll();
    static JackApi api;
    std::string why;
    if (!BenchJackServer().Running() || !api.Load(why))
        return state.SkipWithError("no JACK server or no libjack");
    PairSide writer;
    PairSide reader;
    writer.events = static_cast<int>(state.range(0));
    const bool connected =
        Open(api, writer, "tarvenna-pair-out", true) &&
        Open(api, reader, "tarvenna-pair-in", false) &&
        std::system("jack_connect tarvenna-pair-out:out tarvenna-pair-in:in") == 0;
    double cpuPerPeriod = 0;
    double eventsPerPeriod = 0;
    const bool measured = connected && Measure(reader, cpuPerPeriod, eventsPerPeriod);
    Close(api, writer);
    Close(api, reader);
    if (!measured)
        return state.SkipWithError("the JACK pair did not run");
    for (auto _ : state)
        state.SetIterationTime(cpuPerPeriod);
    state.counters["cpu_us_per_period"] = cpuPerPeriod * 1e6;
    state.counters["events_per_period"] = eventsPerPeriod;
}
BENCHMARK(JackPair)->ArgName("events")->Arg(16)->Arg(256)->Iterations(1)->UseManualTime()->Unit(
    benchmark::kMicrosecond);

}  // namespace

}  // namespace bench
