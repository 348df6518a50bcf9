// The audio path of the built module takes nothing from the heap, gives
// nothing back and locks no mutex: every node's MIDI and process call runs
// under the watch, through routing, releases, flushes, Panic, overflowing
// queues, parallel audio threads with settings changing under them, an
// open editor whose lamps the audio thread lights, and the LV2 face's run.
#include <gtest/gtest.h>

#include "host/testing/Lv2Instance.h"
#include "tests/realtime/AudioPathWatch.h"
#include "tests/realtime/WatchedNodes.h"

#include "host/EditorHost.h"
#include "host/testing/JackServer.h"
#include "host/testing/Xvfb.h"
#include "plugin/ParameterIndex.h"

#include <X11/Xlib.h>

#include <dlfcn.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace {

using namespace realtime;

class AudioPath : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(WatchedModule(), nullptr) << "the module did not load";
        Reset();
    }

    HostInstance& Add(NodeSetup setup)
    {
        HostInstance* node = nodes.Add(setup);
        if (node == nullptr)
            ADD_FAILURE() << "the module refused a node";
        return *node;
    }

    // Blocks of every node, the senders fed `events` events each.
    void Play(int blocks, int events, ProcessCall call = ProcessCall::Replacing)
    {
        for (int b = 0; b < blocks; ++b) {
            for (std::size_t i = 0; i < midi.size(); ++i)
                FillMixedBlock(*midi[i], events, b * 5 + static_cast<int>(i));
            nodes.WatchedCycle(Blocks(), call);
        }
    }

    std::vector<MidiBlock*> Blocks()
    {
        std::vector<MidiBlock*> blocks;
        for (auto& block : midi)
            blocks.push_back(block.get());
        return blocks;
    }

    void FeedEveryNode()
    {
        while (midi.size() < nodes.All().size())
            midi.push_back(std::make_unique<MidiBlock>(512));
    }

    WatchedNodes nodes;
    std::vector<std::unique_ptr<MidiBlock>> midi;
};

void* (*volatile heapTake)(std::size_t) = &std::malloc;
void (*volatile heapGive)(void*) = &std::free;

TEST_F(AudioPath, WatchCountsHeapAndMutexCallsOfItsThreadOnly)
{
    std::mutex mutex;
    {
        AudioPathWatch watch;
        heapGive(heapTake(48));
        mutex.lock();
        mutex.unlock();
        {
            HostSide host;
            heapGive(heapTake(16));
            std::lock_guard<std::mutex> guard(mutex);
        }
    }
    EXPECT_EQ(Counted(Call::Malloc), 1);
    EXPECT_EQ(Counted(Call::Free), 1);
    EXPECT_EQ(Counted(Call::MutexLock), 1);
    EXPECT_EQ(Summary(), "malloc 1, free 1, pthread_mutex_lock 1");

    Reset();
    heapGive(heapTake(48));
    std::thread other([&] { heapGive(heapTake(8)); });
    {
        AudioPathWatch watch;
        other.join();
    }
    EXPECT_EQ(CountedTotal(), 0) << Summary();

    // The module, opened with dlopen, calls the replacements too: its entry
    // makes the node on the heap.
    Reset();
    nodes.watchEntry = true;
    Add({});
    EXPECT_GT(Counted(Call::Malloc), 0) << Summary();
}

TEST_F(AudioPath, RoutingReleasesAndFlushesUseNoHeapAndNoMutex)
{
    HostInstance& sender = Add({false, 2, true});
    HostInstance& receiver = Add({true, 2, false});
    HostInstance& merger = Add({true, 2, true});
    HostInstance& other = Add({true, 3, false});
    FeedEveryNode();

    Play(8, 24);
    Play(4, 24, ProcessCall::Accumulating);
    Play(3, 512);  // more than a queue holds: drops and release requests
    EXPECT_EQ(CountedTotal(), 0) << "while routing: " << Summary();

    // Changes on the host's thread; their releases and flushes run in the
    // watched blocks that follow.
    sender.SetParameter(kParameterThru, 0.0f);  // Thru off: a flush
    Play(3, 16);
    sender.SetParameter(kParameterPort, 3.0f / 7.0f);  // to port 3: a port release
    Play(3, 16);
    receiver.SetParameter(kParameterMode, 0.0f);  // a receiver sends: a flush
    Play(3, 16);
    merger.SetParameter(kParameterPanic, 1.0f);  // Panic
    Play(2, 16);
    merger.SetParameter(kParameterPanic, 0.0f);
    other.Suspend();
    Play(2, 16);
    other.Resume();
    Play(3, 16);
    EXPECT_EQ(CountedTotal(), 0) << "after settings changes: " << Summary();
}

// Two audio threads play two ports while a third thread reads and changes
// every node's settings: waiting for another thread must not mean sleeping
// in a mutex.
TEST_F(AudioPath, ParallelAudioThreadsUnderSettingsChangesUseNoHeapAndNoMutex)
{
    for (int port = 0; port < 2; ++port) {
        Add({false, port, true});
        Add({true, port, false});
        Add({true, port, true});
    }
    std::vector<std::vector<unsigned char>> banks;
    for (auto& node : nodes.All())
        banks.push_back(node->GetChunk(false));

    std::atomic<bool> stop{false};
    auto audio = [&](int port) {
        MidiBlock block(256);
        for (int b = 0; !stop.load(); ++b) {
            FillMixedBlock(block, 32, b + port);
            for (int i = port * 3; i < port * 3 + 3; ++i) {
                AudioPathWatch watch;
                nodes.All()[i]->RunBlock(i == port * 3 ? &block : nullptr, WatchedNodes::kFrames);
            }
        }
    };
    std::thread first(audio, 0);
    std::thread second(audio, 1);
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(800);
    for (int round = 0; std::chrono::steady_clock::now() < end; ++round) {
        const std::size_t i = static_cast<std::size_t>(round) % nodes.All().size();
        HostInstance& node = *nodes.All()[i];
        node.SetParameter(kParameterThru, round % 2 == 0 ? 1.0f : 0.0f);
        node.SetParameter(kParameterPanic, round % 3 == 0 ? 1.0f : 0.0f);
        node.GetParameter(1);
        node.ProgramName();
        node.SetChunk(banks[i], false);
    }
    stop = true;
    first.join();
    second.join();
    EXPECT_EQ(CountedTotal(), 0) << Summary();
}

// The lamps: with an editor open the audio thread tells it about MIDI in and
// out in every block.
TEST_F(AudioPath, OpenEditorLampsUseNoHeapAndNoMutex)
{
    const char* name = std::getenv("DISPLAY");
    ASSERT_NE(name, nullptr);
    Display* display = XOpenDisplay(name);
    ASSERT_NE(display, nullptr);
    HostInstance& sender = Add({false, 0, true});
    Add({true, 0, false});
    FeedEveryNode();
    {
        tarvenna::host::EditorHost senderEditor(sender.Effect(), display, {});
        tarvenna::host::EditorHost receiverEditor(nodes.All()[1]->Effect(), display, {});
        ASSERT_TRUE(senderEditor.Open());
        ASSERT_TRUE(receiverEditor.Open());
        for (int round = 0; round < 20; ++round) {
            Play(2, round % 2 == 0 ? 16 : 0);
            senderEditor.Pump(5);
            receiverEditor.Pump(5);
        }
        EXPECT_EQ(CountedTotal(), 0) << Summary();
    }
    nodes.CloseAll();
    XCloseDisplay(display);
}

// With the JACK bridge on, a sender's blocks go into its port's JACK ring
// and a receiver reads what JACK brought back (out-1 is connected to in-2,
// and nothing else reaches port 2): neither side takes heap or mutex.
TEST_F(AudioPath, JackBridgeUsesNoHeapAndNoMutex)
{
    tarvenna::host::JackServer server(256);
    ASSERT_TRUE(server.Running()) << server.Error();
    server.ExportServer();
    setenv("TARVENNA_JACK", "on", 1);
    HostInstance& sender = Add({false, 0, false});
    Add({true, 1, false});
    FeedEveryNode();
    ASSERT_EQ(std::system("jack_connect Tarvenna:out-1 Tarvenna:in-2"), 0);
    // About a host's pace, so that JACK's cycles come between the blocks.
    const int before = HandOvers();
    for (int b = 0; b < 150; ++b) {
        Play(1, b % 3 == 0 ? 24 : 0);
        std::this_thread::sleep_for(std::chrono::microseconds(1333));
    }
    sender.SetParameter(kParameterPort, 2.0f / 7.0f);  // a port release towards out-1
    Play(40, 8);
    EXPECT_EQ(CountedTotal(), 0) << Summary();
    EXPECT_GT(HandOvers(), before) << "nothing came back through JACK";
    nodes.CloseAll();
    unsetenv("TARVENNA_JACK");
}

// LV2 instances: atom MIDI becomes the node's events and back, the control
// ports become parameters (a port change, a sender turned receiver,
// Panic), and blocks longer than the announced maximum run in pieces.
TEST_F(AudioPath, Lv2RunUsesNoHeapAndNoMutex)
{
    using tarvenna::host::Lv2Instance;
    const auto entry = reinterpret_cast<const LV2_Descriptor* (*)(uint32_t)>(
        dlsym(WatchedModule()->Handle(), "lv2_descriptor"));
    ASSERT_NE(entry, nullptr);
    tarvenna::host::UridMap urids;
    Lv2Instance sender(entry(0), urids, 0.0f, 2.0f, 128);
    Lv2Instance receiver(entry(0), urids, 1.0f, 2.0f, 128);
    ASSERT_TRUE(sender.Made() && receiver.Made());
    sender.Control(lv2face::kPortThru) = 1.0f;
    Lv2Instance::Events events;
    for (uint8_t i = 0; i < 24; ++i)
        events.push_back({i * 10u, {static_cast<uint8_t>(i % 2 ? 0x80 : 0x90), 60, 100}});
    std::string heard;
    for (int block = 0; block < 12; ++block) {
        sender.Control(lv2face::kPortRelayPort) = block < 6 ? 2.0f : 3.0f;
        receiver.Control(lv2face::kPortMode) = block < 8 ? 1.0f : 0.0f;
        sender.Control(lv2face::kPortPanic) = block == 10 ? 1.0f : 0.0f;
        sender.Fill(events);
        receiver.Fill({});
        {
            AudioPathWatch watch;
            sender.RunOnly(block % 2 ? 256 : 64);
            receiver.RunOnly(block % 2 ? 256 : 64);
        }
        heard += receiver.Notes();
    }
    EXPECT_EQ(CountedTotal(), 0) << Summary();
    EXPECT_NE(heard, "") << "nothing was relayed";
}

// One X server for the program, exported before the module is loaded: the
// module opens its own connection at load.
class XServer : public ::testing::Environment {
public:
    void SetUp() override
    {
        server = std::make_unique<tarvenna::host::Xvfb>(std::vector<std::string>{"640x480x24"});
        if (server->Running())
            server->ExportDisplay();
    }
    void TearDown() override
    {
        UnloadWatchedModule();
        server.reset();
    }

private:
    std::unique_ptr<tarvenna::host::Xvfb> server;
};

const ::testing::Environment* const xServer = ::testing::AddGlobalTestEnvironment(new XServer);

}  // namespace
