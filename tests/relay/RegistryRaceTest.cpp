// Joins and leaves on several host threads at once: the instance limit
// holds exactly, a place a leave frees is there for a join at once, and the
// claim handshake lets every join and leave through promptly.
#include "HostedNode.h"

#include "editor/SPluginEditor.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

namespace {

using namespace relaytest;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// One instance made as the entry point makes it: refused ones are deleted.
struct Attempt {
    int result = 0;
    int32_t nodeId = -1;
    std::unique_ptr<tarvenna::host::HostInstance> instance;
};

void Create(Attempt& attempt)
{
    VSTPlugin* made = nullptr;
    attempt.instance = NodeHost().Instantiate([&](audioMasterCallback callback) {
        made = new VSTPlugin(callback, attempt.result, SPluginEditor::Make);
        return attempt.result == 0 ? made->getAeffect() : nullptr;
    });
    attempt.nodeId = made->nodeId;
    if (attempt.instance == nullptr)
        delete made;
}

std::vector<std::unique_ptr<HostedNode>> MakeNodes(int count)
{
    std::vector<std::unique_ptr<HostedNode>> nodes;
    for (int i = 0; i < count; ++i)
        nodes.push_back(std::make_unique<HostedNode>());
    return nodes;
}

// Two instances asked for at once when one place is left: one node and one
// refusal, never an instance that runs outside the tables.
TEST(RegistryRaces, TwoInstancesForTheLastPlaceGiveOneNodeAndOneRefusal)
{
    auto nodes = MakeNodes(63);
    Attempt a, b;
    StderrOf([&] {
        std::thread other([&] { Create(b); });
        Create(a);
        other.join();
    });
    const Attempt& won = a.result == 0 ? a : b;
    const Attempt& lost = a.result == 0 ? b : a;
    EXPECT_EQ(won.result, 0);
    EXPECT_TRUE(IsValidNodeId(won.nodeId));
    EXPECT_TRUE(won.instance != nullptr);
    EXPECT_EQ(lost.result, 4) << "the second must be refused, not run unregistered";
    EXPECT_EQ(lost.nodeId, -1);
    EXPECT_TRUE(lost.instance == nullptr);
    EXPECT_EQ(numInstances, 64);
}

// An editor that holds up the node-list notification of one thread until
// the test lets it go.
class GateEditor : public AEffEditor {
public:
    void postUpdateIndexed(long index) override
    {
        if (index != VSTPlugin::kNodeListChanged || !heldHere)
            return;
        heldHere = false;
        reached.set_value();
        release.wait_for(2s);
    }
    static thread_local bool heldHere;
    std::promise<void> reached;
    std::shared_future<void> release;
};
thread_local bool GateEditor::heldHere = false;

// The leave has freed its place and is telling the others; a join made
// meanwhile must get that place.
TEST(RegistryRaces, AJoinDuringALeaveGetsThePlaceTheLeaveFreed)
{
    auto nodes = MakeNodes(64);
    GateEditor gate;
    std::promise<void> letGo;
    gate.release = letGo.get_future().share();
    std::future<void> reached = gate.reached.get_future();
    nodes.front()->node->UseEditor(&gate);

    std::thread leaving([&] {
        GateEditor::heldHere = true;
        nodes.back().reset();
    });
    ASSERT_EQ(reached.wait_for(5s), std::future_status::ready);
    Attempt late;
    const std::string shown = StderrOf([&] { Create(late); });
    letGo.set_value();
    leaving.join();
    nodes.front()->node->UseEditor(&nodes.front()->node->recorder);

    EXPECT_EQ(late.result, 0) << shown;
    EXPECT_EQ(late.nodeId, 64);
    EXPECT_EQ(numInstances, 64);
}

// Threads that meet at each step, so that their joins and leaves start at
// the same moment.
class Rendezvous {
public:
    explicit Rendezvous(int parties) : parties(parties) {}
    void Meet()
    {
        std::unique_lock<std::mutex> lock(mutex);
        const int round = generation;
        if (++waiting == parties) {
            waiting = 0;
            ++generation;
            met.notify_all();
            return;
        }
        met.wait(lock, [&] { return generation != round; });
    }

private:
    std::mutex mutex;
    std::condition_variable met;
    const int parties;
    int waiting = 0;
    int generation = 0;
};

template <typename Step> Clock::duration Timed(Step step)
{
    const Clock::time_point start = Clock::now();
    step();
    return Clock::now() - start;
}

// Two threads join at the same moment, leave at the same moment, and one
// joins while the other leaves, the second thread starting a few
// milliseconds after the first, round after round. Each join needs 20 ms of
// quiet on the claim word and each leave 10 ms; none may take long. The
// nodes are plain ones, as the entry point makes them: a test subclass would
// still be setting itself up after the base had registered it, while the
// other thread's join already notifies it.
TEST(RegistryRaces, JoinsAndLeavesAtTheSameMomentAllEndPromptly)
{
    constexpr int kThreads = 2;
    constexpr int kRounds = 3;
    constexpr int kOffsetsMs[] = {0, 3, 5, 7};
    Rendezvous rendezvous(kThreads);
    Clock::duration longestJoin{}, longestLeave{};
    std::mutex longest;
    auto note = [&](Clock::duration& record, Clock::duration took) {
        std::lock_guard<std::mutex> guard(longest);
        record = std::max(record, took);
    };
    auto run = [&](int t) {
        Attempt node;
        auto join = [&] { note(longestJoin, Timed([&] { Create(node); })); };
        auto leave = [&] { note(longestLeave, Timed([&] { node.instance.reset(); })); };
        for (int round = 0; round < kRounds; ++round)
            for (int offsetMs : kOffsetsMs) {
                const auto meet = [&] {
                    rendezvous.Meet();
                    if (t == 1)
                        std::this_thread::sleep_for(std::chrono::milliseconds(offsetMs));
                };
                meet();
                join();
                meet();
                leave();
                // Then one joins while the other leaves.
                rendezvous.Meet();
                if (t == 0)
                    join();
                meet();
                t == 0 ? leave() : join();
                rendezvous.Meet();
                if (t == 1)
                    leave();
            }
    };
    std::thread other(run, 1);
    run(0);
    other.join();
    const auto ms = [](Clock::duration d) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
    };
    std::printf("[registry] longest join %lld ms, longest leave %lld ms\n",
                static_cast<long long>(ms(longestJoin)), static_cast<long long>(ms(longestLeave)));
    // Before the back-off, contenders kept failing in step for seconds (leaves
    // took up to 6 s). The bound leaves room for a machine loaded with
    // sanitizer builds, where every 10 ms sleep may last far longer.
    EXPECT_LT(longestJoin, 3s);
    EXPECT_LT(longestLeave, 3s);
    EXPECT_EQ(numInstances, 0);
}

}  // namespace
