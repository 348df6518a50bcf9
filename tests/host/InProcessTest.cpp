// Instances made in this process (a factory or an entry function instead of
// a module's exported entry), the request hook and unrecorded instances.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "host/HostCallback.h"
#include "plugin/VstOpcodes.h"
#include "tests/host/HostTestSupport.h"

namespace tarvenna::host::test {
namespace {

using HostInProcess = HostTest;
using HostRequestHook = HostTest;

// A plug-in that needs no module, for threads that create at once: it asks
// for the version, and its close frees it.
std::atomic<int> tinyOpen{0};

VstIntPtr TinyDispatcher(AEffect* effect, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    if (opcode != effClose)
        return 0;
    delete effect;
    --tinyOpen;
    return 1;
}

AEffect* MakeTiny(audioMasterCallback host)
{
    if (host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;
    auto* effect = new AEffect{};
    effect->magic = kEffectMagic;
    effect->dispatcher = TinyDispatcher;
    ++tinyOpen;
    return effect;
}

TEST_F(HostInProcess, AnEntryFunctionMakesAnInstanceTheModuleDoesNotCount)
{
    auto instance = host.Instantiate(module.Entry());
    ASSERT_NE(instance, nullptr) << host.LastError();
    EXPECT_EQ(View(*instance).version, 2400);
    EXPECT_STREQ(View(*instance).product, "tarvenna-host");
    EXPECT_EQ(module.OpenInstances(), 0);
    EXPECT_EQ(host.LastError(), "");
    ASSERT_FALSE(host.LastCreationRequests().empty());
    EXPECT_EQ(instance->Recorded().requests.size(), host.LastCreationRequests().size());
    EXPECT_EQ(instance->Close(), 1);
    EXPECT_EQ(Counters().destroyed, 1);
}

// A test that constructs its plug-in itself gets the callback from the
// factory; the record belongs to the instance from then on.
TEST_F(HostInProcess, AFactoryGetsTheCallbackAndHandsOverItsRecord)
{
    audioMasterCallback given = nullptr;
    auto instance = host.Instantiate([&](audioMasterCallback callback) {
        given = callback;
        return module.Entry()(callback);
    });
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(given, &HostCallback);
    instance.reset();
    EXPECT_EQ(Counters().closes, 1);
}

TEST_F(HostInProcess, AFactoryThatRefusesOrIsMissingGivesNoInstance)
{
    EXPECT_EQ(host.Instantiate([](audioMasterCallback) -> AEffect* { return nullptr; }), nullptr);
    EXPECT_NE(host.LastError().find("no instance"), std::string::npos) << host.LastError();
    EXPECT_EQ(host.Instantiate(InstanceFactory()), nullptr);
    EXPECT_NE(host.LastError().find("no factory"), std::string::npos) << host.LastError();
    AEffect wrong{};
    EXPECT_EQ(host.Instantiate([&](audioMasterCallback) { return &wrong; }), nullptr);
    EXPECT_NE(host.LastError().find("magic 0x00000000"), std::string::npos) << host.LastError();
}

TEST_F(HostInProcess, CloseThroughTheDispatcherClosesTheInstance)
{
    auto instance = Create();
    ASSERT_NE(instance, nullptr);
    char anything[4] = {};
    EXPECT_EQ(instance->Dispatch(effClose, 3, 4, anything, 1.0f), 1);
    EXPECT_TRUE(instance->Closed());
    EXPECT_EQ(module.OpenInstances(), 0);
    EXPECT_EQ(instance->Dispatch(effClose), 0);
    EXPECT_EQ(Counters().closes, 1);
}

// Several threads may create and close instances on one host at once.
TEST(HostInProcessThreads, CreateOnOneHost)
{
    Host host;
    std::atomic<int> made{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 50; ++i)
                made += host.Instantiate(MakeTiny) != nullptr;
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(made.load(), 200);
    EXPECT_EQ(tinyOpen.load(), 0);
    EXPECT_EQ(host.LastError(), "");
}

TEST_F(HostRequestHook, SeesEveryRequestAndMayAnswerInstead)
{
    std::vector<RequestRecord> seen;
    InstanceOptions options;
    options.hook = [&](const RequestRecord& request) -> std::optional<VstIntPtr> {
        seen.push_back(request);
        if (request.opcode == audioMasterGetVendorVersion)
            return 4711;
        return std::nullopt;
    };
    auto instance = host.Instantiate(module, options);
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(View(*instance).vendorVersion, 4711);
    EXPECT_STREQ(View(*instance).vendor, "Tarvenna") << "left to the configured answer";
    ASSERT_EQ(seen.size(), instance->Recorded().requests.size());
    EXPECT_EQ(seen[0].opcode, audioMasterVersion);
    EXPECT_EQ(seen[0].effect, nullptr) << "the version comes before the record";
    EXPECT_EQ(seen.back().effect, instance->Effect());
}

TEST_F(HostRequestHook, RecordsKeepTheRecordThePointerAndTheCapabilityText)
{
    auto instance = Create();
    ASSERT_NE(instance, nullptr);
    const Recording r = instance->Recorded();
    const RequestRecord* vendor = r.Last(audioMasterGetVendorString);
    ASSERT_NE(vendor, nullptr);
    EXPECT_EQ(vendor->effect, instance->Effect());
    EXPECT_NE(vendor->ptr, nullptr);
    const RequestRecord* canDo = r.Last(audioMasterCanDo);
    ASSERT_NE(canDo, nullptr);
    EXPECT_EQ(canDo->text, "fixtureNoSuchThing");
    EXPECT_EQ(r.Last(audioMasterIdle), nullptr);
}

TEST_F(HostRequestHook, CanDoAnswersWhatTheTableListsForTheText)
{
    host.Defaults().canDo["sizeWindow"] = -1;
    auto instance = Create();
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(View(*instance).canDoSizeWindow, -1);
    EXPECT_EQ(HostCallback(instance->Effect(), audioMasterCanDo, 0, 0, nullptr, 0), 0);
}

TEST_F(HostRequestHook, AnUnrecordedInstanceIsAnsweredAndKeepsNothing)
{
    int processEvents = 0;
    InstanceOptions options;
    options.record = false;
    options.hook = [&](const RequestRecord& request) -> std::optional<VstIntPtr> {
        processEvents += request.opcode == audioMasterProcessEvents;
        return std::nullopt;
    };
    auto instance = host.Instantiate(module, options);
    ASSERT_NE(instance, nullptr);
    ASSERT_TRUE(instance->RunBlock({{0, 0x90, 60, 100}}, 16));
    EXPECT_EQ(processEvents, 1);
    EXPECT_EQ(View(*instance).processEventsAnswer, 1);
    EXPECT_EQ(View(*instance).canDoSizeWindow, 1);
    const Recording r = instance->Recorded();
    EXPECT_TRUE(r.requests.empty());
    EXPECT_TRUE(r.midiOut.empty());
    EXPECT_TRUE(host.LastCreationRequests().empty());
}

}  // namespace
}  // namespace tarvenna::host::test
