// Balance on the wire, with the action list taken from the fuzzer: the
// input is read as a scenario (fuzz/BalanceActions.h), run on nodes made
// through the plug-in's entry point in this process, and then every open
// node's host stream must be balanced and the tables consistent. Settings
// meant for a second thread run inline here, so that an input always runs
// the same way; the balance test (tests/stress) runs them on a thread.
#include "fuzz/BalanceRig.h"
#include "fuzz/FuzzNodes.h"
#include "module/EntryPoint.h"

#include <cstddef>
#include <cstdint>

namespace {

constexpr std::size_t kMaxActions = 256;

balance::BalanceRig& Rig()
{
    // Never destroyed: the host library's tables are gone by the time
    // static objects are, so the nodes are never closed.
    static tarvenna::host::Host* host = new tarvenna::host::Host;
    static balance::BalanceRig* rig = new balance::BalanceRig(
        [](tarvenna::host::InstanceOptions options) {
            return host->Instantiate(CreateInstance, std::move(options));
        },
        balance::RigOptions{false});
    return *rig;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const balance::Scenario scenario = balance::Decode(data, size, kMaxActions);
    const balance::RunResult result = Rig().Run(scenario);
    if (!result.failure.empty())
        fuzz::Fail("a host stream is not balanced:", result.failure.c_str());
    fuzz::CheckTables();
    return 0;
}
