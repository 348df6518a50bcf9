// Joining and leaving the process-wide tables, the instance limit and the
// node-list notification.
#include "HostedNode.h"

#include "editor/SPluginEditor.h"

#include <chrono>
#include <cstring>
#include <memory>

namespace {

using namespace relaytest;

TEST(Registry, NodesTakeTheLowestFreeSlotAsSendersInPortZero)
{
    auto first = std::make_unique<HostedNode>();
    HostedNode second;
    EXPECT_EQ(first->Id(), 1);
    EXPECT_EQ(second.Id(), 2);
    EXPECT_EQ(Cell(0, 1), kSendsInPort);
    EXPECT_EQ(pluginData[0].instance, first->node);
    EXPECT_EQ(numInstances, 2);
    first.reset();
    EXPECT_EQ(Cell(0, 1), kNotInPort);
    EXPECT_EQ(pluginData[0].updateCallback, nullptr);
    EXPECT_EQ(numInstances, 1);
    HostedNode third;
    EXPECT_EQ(third.Id(), 1);
}

TEST(Registry, JoiningAndLeavingWaitForTheClaimWord)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    auto node = std::make_unique<HostedNode>();
    const Clock::time_point joined = Clock::now();
    node.reset();
    EXPECT_GE(joined - start, std::chrono::milliseconds(20));
    EXPECT_GE(Clock::now() - joined, std::chrono::milliseconds(10));
}

TEST(Registry, ALeavingReceiverLeavesBothListsOfItsPort)
{
    HostedNode stays;
    auto leaves = std::make_unique<HostedNode>();
    stays.MakeReceiver();
    leaves->MakeReceiver();
    EXPECT_EQ(Receivers(0), (std::vector<int32_t>{1, 2}));
    leaves.reset();
    EXPECT_EQ(Receivers(0), (std::vector<int32_t>{1}));
}

// The joining node's own notification is not observable here: its editor
// cannot be open while it is being constructed.
TEST(Registry, EveryJoinAndLeaveNotifiesEveryRemainingNodeOnce)
{
    HostedNode a;
    auto b = std::make_unique<HostedNode>();
    EXPECT_EQ(a.editor.Count(VSTPlugin::kNodeListChanged), 1);
    HostedNode c;
    EXPECT_EQ(a.editor.Count(VSTPlugin::kNodeListChanged), 2);
    EXPECT_EQ(b->editor.Count(VSTPlugin::kNodeListChanged), 1);
    b.reset();
    EXPECT_EQ(a.editor.Count(VSTPlugin::kNodeListChanged), 3);
    EXPECT_EQ(c.editor.Count(VSTPlugin::kNodeListChanged), 1);
}

TEST(Registry, ListListenersCopiesTheWholeTable)
{
    HostedNode a, b, c;
    b.Set(1, 4.0f / 7.0f);
    c.MakeReceiver(4);
    char copy[kPortCount][kSlotCount];
    std::memset(copy, 0x55, sizeof copy);
    a.node->listlisteners(copy);
    EXPECT_EQ(std::memcmp(copy, listeners, sizeof copy), 0);
    int nonZero = 0;
    for (auto& row : copy)
        for (char cell : row)
            nonZero += cell != 0;
    EXPECT_EQ(nonZero, 3);
    EXPECT_EQ(copy[0][0], kSendsInPort);
    EXPECT_EQ(copy[4][1], kSendsInPort);
    EXPECT_EQ(copy[4][2], kReceivesInPort);
}

TEST(Registry, TheSixtyFifthInstanceIsRefusedAndChangesNothing)
{
    std::vector<std::unique_ptr<HostedNode>> nodes;
    for (int i = 0; i < 64; ++i)
        nodes.push_back(std::make_unique<HostedNode>());
    char cells[kPortCount][kSlotCount];
    PluginSlot slots[kSlotCount];
    std::memcpy(cells, listeners, sizeof cells);
    std::memcpy(slots, pluginData, sizeof slots);

    int result = 0;
    VSTPlugin* extra = nullptr;
    std::unique_ptr<tarvenna::host::HostInstance> refused;
    // The message it shows is checked through the module
    // (ModuleRelayInstanceTest.cpp); here it is only kept off the log.
    StderrOf([&] {
        refused = NodeHost().Instantiate([&](audioMasterCallback callback) {
            extra = new VSTPlugin(callback, result, SPluginEditor::Make);
            return result == 0 ? extra->getAeffect() : nullptr;
        });
    });
    EXPECT_EQ(result, 4);
    EXPECT_EQ(refused, nullptr);
    delete extra;
    EXPECT_EQ(numInstances, 64);
    EXPECT_EQ(std::memcmp(cells, listeners, sizeof cells), 0);
    EXPECT_EQ(std::memcmp(slots, pluginData, sizeof slots), 0);
}

// A sender that changes port keeps the old port's receivers as release
// targets until its next process call; a receiver destroyed meanwhile must
// not be written to (the sanitizer build sees the write).
TEST(Registry, AReceiverLeavingBeforeAPortReleaseIsNotWrittenTo)
{
    HostedNode sender;
    auto receiver = std::make_unique<HostedNode>();
    receiver->MakeReceiver();
    sender.Send({On(0, 60)});
    sender.Process();
    sender.Set(1, 1.0f);
    receiver.reset();
    sender.Process();
    EXPECT_TRUE(sender.TakeEvents().empty());
}

}  // namespace
