// Balance on the wire: for many seeds, a random session of host actions on
// 4 to 16 nodes of the built module (all VST 2, or every other one LV2) (notes on many channels and
// keys, mode, port and Thru changes, Panic, switching off and on, redundant switching on, first and
// later chunk loads, nodes created and closed, settings from a second thread), then the keys let go
// and a few quiet blocks; then the MIDI every open node handed its host must be balanced. A failing
// seed is shortened to the shortest action list that still fails, and printed.
//
// TARVENNA_BALANCE_SEEDS sets how many seeds run (the default keeps the
// test to a few seconds), TARVENNA_BALANCE_FIRST_SEED the first of them;
// TARVENNA_BALANCE_CORPUS names a folder to write each seed's action list
// into, in the input format of the fuzz target balance_fuzzer.
#include "BalanceShrink.h"
#include "fuzz/BalanceRig.h"
#include "host/Host.h"
#include "host/testing/Lv2AsVst.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace {

using namespace balance;
using Clock = std::chrono::steady_clock;

constexpr uint64_t kDefaultSeeds = 60;
constexpr int kShrinkBudget = 1500;
// A list that fails only with some interleavings of the two threads gets a
// few tries before it counts as passing.
constexpr int kTriesPerCandidate = 3;

uint64_t EnvNumber(const char* name, uint64_t fallback)
{
    const char* text = std::getenv(name);
    if (text == nullptr || *text == 0)
        return fallback;
    return std::strtoull(text, nullptr, 10);
}

tarvenna::host::Module& TheModule()
{
    static tarvenna::host::Module module(TARVENNA_MODULE_PATH);
    return module;
}

// The module's VST 2 nodes, or every other one made through its LV2 face.
NodeFactory ModuleNodes(tarvenna::host::Host& host, bool someLv2)
{
    const auto entry = reinterpret_cast<const LV2_Descriptor* (*)(uint32_t)>(
        dlsym(TheModule().Handle(), "lv2_descriptor"));
    const LV2_Descriptor* descriptor = someLv2 && entry != nullptr ? entry(0) : nullptr;
    return [&host, descriptor, made = 0](tarvenna::host::InstanceOptions options) mutable {
        if (descriptor == nullptr || made++ % 2 == 0)
            return host.Instantiate(TheModule(), std::move(options));
        return host.Instantiate(
            [descriptor](audioMasterCallback callback) {
                return tarvenna::host::MakeLv2AsVst(descriptor, callback);
            },
            std::move(options));
    };
}

void WriteInput(const std::string& path, const Scenario& scenario)
{
    const std::vector<uint8_t> bytes = Encode(scenario);
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    EXPECT_TRUE(file.good()) << path;
}

std::string Report(uint64_t seed, BalanceRig& rig, const Scenario& failing,
                   const std::string& failure)
{
    const Scenario shortest = Shrink(
        failing,
        [&rig](const Scenario& candidate) {
            for (int i = 0; i < kTriesPerCandidate; ++i)
                if (!rig.Run(candidate).failure.empty())
                    return true;
            return false;
        },
        kShrinkBudget);
    RunResult again;
    for (int i = 0; i < kTriesPerCandidate && again.failure.empty(); ++i)
        again = rig.Run(shortest);
    std::string text = "seed " + std::to_string(seed) + ": " + failure;
    text += "shortest list that still fails (" + std::to_string(shortest.initialNodes) +
            " nodes to start with):\n";
    for (std::size_t i = 0; i < again.trace.size(); ++i)
        text += "  " + std::to_string(i + 1) + ". " + again.trace[i] + "\n";
    text += again.failure.empty() ? "  (it passed on its last run)\n" : "  " + again.failure;
    return text;
}

class RelayBalance : public testing::TestWithParam<bool> {};

TEST_P(RelayBalance, EveryHostStreamIsBalancedOnceThePlayingStops)
{
    ASSERT_TRUE(TheModule().Loaded()) << TheModule().Error();
    const bool someLv2 = GetParam();
    ASSERT_TRUE(!someLv2 || dlsym(TheModule().Handle(), "lv2_descriptor") != nullptr);
    const uint64_t first = EnvNumber("TARVENNA_BALANCE_FIRST_SEED", 1);
    const uint64_t seeds = EnvNumber("TARVENNA_BALANCE_SEEDS", kDefaultSeeds);
    tarvenna::host::Host host;
    RigOptions options;
    options.tagsCarried = !someLv2;
    BalanceRig rig(ModuleNodes(host, someLv2), options);
    const Clock::time_point start = Clock::now();
    uint64_t actions = 0;
    int failures = 0;
    const char* corpus = std::getenv("TARVENNA_BALANCE_CORPUS");
    for (uint64_t seed = first; seed < first + seeds; ++seed) {
        const Scenario scenario = Generate(seed);
        actions += scenario.actions.size();
        if (corpus != nullptr && *corpus != 0)
            WriteInput(std::string(corpus) + "/seed-" + std::to_string(seed), scenario);
        const RunResult result = rig.Run(scenario);
        if (result.failure.empty())
            continue;
        // The first failure is shortened; later ones are only counted.
        if (++failures == 1)
            ADD_FAILURE() << Report(seed, rig, scenario, result.failure);
        else
            ADD_FAILURE() << "seed " << seed << ": " << result.failure;
        if (failures >= 5)
            break;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("[balance] %llu seeds from %llu in %.1f s, %llu actions, %d instances created, "
                "%d closed, %d failing\n",
                static_cast<unsigned long long>(seeds), static_cast<unsigned long long>(first),
                seconds, static_cast<unsigned long long>(actions), rig.Created(), rig.Closed(),
                failures);
}

INSTANTIATE_TEST_SUITE_P(Nodes, RelayBalance, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("SomeLv2") : std::string("Vst2");
                         });

// The fuzz target reads its input as an action list; the seeds' lists
// become its corpus, so they must read back as they were written.
TEST(RelayBalanceList, AnActionListReadsBackAsItWasWritten)
{
    for (uint64_t seed = 1; seed <= 20; ++seed) {
        const Scenario scenario = Generate(seed);
        const std::vector<uint8_t> bytes = Encode(scenario);
        const Scenario back = Decode(bytes.data(), bytes.size(), bytes.size());
        EXPECT_EQ(back.initialNodes, scenario.initialNodes);
        EXPECT_EQ(Describe(back), Describe(scenario)) << "seed " << seed;
    }
}

}  // namespace
