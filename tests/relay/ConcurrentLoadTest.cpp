// Two chunk loads on one node from two host threads: whichever block is
// stored last is the one the registry follows.
#include "HostedNode.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <future>
#include <thread>

namespace {

using namespace relaytest;
using namespace std::chrono_literals;

// A node that lets the test step in around the application of each loaded
// program, on the loading thread.
class SteppedNode : public ObservedNode {
public:
    using ObservedNode::ObservedNode;
    void setProgram(VstInt32 program) override
    {
        if (before)
            before();
        VSTPlugin::setProgram(program);
        if (after)
            after();
    }
    std::function<void()> before;
    std::function<void()> after;
};

std::vector<unsigned char> Bank(int mode, int port)
{
    std::vector<unsigned char> bytes(61, 0);
    std::strcpy(reinterpret_cast<char*>(bytes.data()), "load");
    bytes[48] = static_cast<unsigned char>(mode);
    bytes[49] = static_cast<unsigned char>(port);
    return bytes;
}

// What the program says against what the tables say.
void ExpectProgramMatchesRegistry(VSTPlugin& node)
{
    const int mode = node.getParameter(0) > 0.5f ? 1 : 0;
    const int port = static_cast<int>(node.getParameter(1) * 7.0f + 0.5f);
    for (int p = 0; p < kPortCount; ++p) {
        const char expected = p != port ? kNotInPort : mode ? kReceivesInPort : kSendsInPort;
        EXPECT_EQ(Cell(p, node.nodeId), expected)
            << "port " << p << " of program " << mode << "/" << port;
        const std::vector<int32_t> ids = Receivers(p);
        const bool listed = std::find(ids.begin(), ids.end(), node.nodeId) != ids.end();
        EXPECT_EQ(listed, p == port && mode == 1) << "port " << p;
    }
}

// The first load stops right after applying its program; the second
// stores its block meanwhile and then waits for the first to finish. The
// second block must still be applied. Loads of one node are taken one
// after the other, so the second may only start once the first gives up
// waiting for it.
TEST(ConcurrentLoads, TheRegistryFollowsTheBlockStoredLast)
{
    SteppedNode* node = nullptr;
    int result = 0;
    auto instance = NodeHost().Instantiate([&](audioMasterCallback callback) {
        node = new SteppedNode(callback, result);
        return node->getAeffect();
    });
    ASSERT_NE(instance, nullptr);
    instance->Resume();

    std::promise<void> firstApplied, secondStored, firstDone;
    std::shared_future<void> applied = firstApplied.get_future().share();
    std::shared_future<void> stored = secondStored.get_future().share();
    std::shared_future<void> done = firstDone.get_future().share();
    const std::thread::id firstThread = std::this_thread::get_id();
    node->after = [&] {
        if (std::this_thread::get_id() == firstThread) {
            firstApplied.set_value();
            stored.wait_for(300ms);
        }
    };
    node->before = [&] {
        if (std::this_thread::get_id() != firstThread) {
            secondStored.set_value();
            done.wait_for(2s);
        }
    };
    std::thread second([&] {
        applied.wait();
        std::vector<unsigned char> bytes = Bank(1, 3);
        EXPECT_EQ(instance->SetChunk(bytes, false), 1);
    });
    std::vector<unsigned char> bytes = Bank(0, 5);
    EXPECT_EQ(instance->SetChunk(bytes, false), 1);
    firstDone.set_value();
    second.join();
    node->before = nullptr;
    node->after = nullptr;

    EXPECT_EQ(node->getParameter(0), 1.0f) << "the second block was stored last";
    ExpectProgramMatchesRegistry(*node);
}

}  // namespace
