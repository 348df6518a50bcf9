// The parameters as the node's tables and editor see them: where a change
// puts the node and which refresh indexes it sends. Values, texts and their
// effect on the MIDI are tested through the module.
#include "HostedNode.h"

#include <limits>

namespace {

using namespace relaytest;

// An exact half already makes a receiver; what the host then sees of it is
// tested through the module (ModuleRelaySettingsTest.cpp).
TEST(Parameters, ModeMovesTheNodeBetweenTheTables)
{
    HostedNode node;
    node.Set(0, 0.5f);
    EXPECT_EQ(Receivers(0), (std::vector<int32_t>{node.Id()}));
    EXPECT_EQ(Cell(0, node.Id()), kReceivesInPort);
    node.Set(0, 0.49f);
    EXPECT_TRUE(Receivers(0).empty());
    EXPECT_EQ(Cell(0, node.Id()), kSendsInPort);
}

TEST(Parameters, APortChangeMovesTheNodesCell)
{
    HostedNode node;
    node.Set(1, 3.0f / 7.0f);
    EXPECT_EQ(Cell(3, node.Id()), kSendsInPort);
    EXPECT_EQ(Cell(0, node.Id()), kNotInPort);
}

TEST(Parameters, AReceiverChangingPortMovesBetweenTheListsAndNotifies)
{
    HostedNode node, other;
    node.MakeReceiver(6);
    node.Set(1, 2.0f / 7.0f);
    EXPECT_TRUE(Receivers(6).empty());
    EXPECT_EQ(Receivers(2), (std::vector<int32_t>{node.Id()}));
    EXPECT_EQ(Cell(2, node.Id()), kReceivesInPort);
    EXPECT_EQ(Cell(6, node.Id()), kNotInPort);
    EXPECT_EQ(other.editor.Count(VSTPlugin::kNodeListChanged), 3);
}

TEST(Parameters, NaNInfinitiesAndValuesOutsideZeroToOneSendNoRefreshAndMoveNothing)
{
    HostedNode node;
    for (float value :
         {-0.1f, 1.5f, std::numeric_limits<float>::quiet_NaN(),
          std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()})
        for (VstInt32 index : {0, 1, 2, 3, 5, 6, 7, 8, 11})
            node.Set(index, value);
    EXPECT_TRUE(node.editor.indexed.empty());
    for (int port = 0; port < kPortCount; ++port)
        EXPECT_EQ(Cell(port, node.Id()), port == 0 ? kSendsInPort : kNotInPort);
}

TEST(Parameters, RefreshesFollowTheRules)
{
    HostedNode node;
    RecordingEditor& editor = node.editor;
    node.Set(0, 0.0f);
    node.Set(1, 0.0f);
    node.Set(2, 0.3f);
    node.Set(3, 0.5f);
    for (VstInt32 index : {4, 9, 10, 12, 255, -1})
        node.Set(index, 1.0f);
    EXPECT_EQ(editor.indexed, (std::vector<long>{0, 1}))
        << "unchanged mode and port refresh, unchanged Thru and Panic and other indexes do not";
    editor.Clear();
    for (VstInt32 index : {5, 6, 7, 8, 11, 2, 3})
        node.Set(index, 1.0f);
    EXPECT_EQ(editor.indexed, (std::vector<long>{5, 6, 7, 8, 11, 2, 3}));

    editor.Clear();
    node.node->SetEditorOpen(false);
    node.Set(2, 0.0f);
    node.Set(11, 0.0f);
    node.Dispatch(effSetProgram, 0, 0);
    EXPECT_TRUE(editor.indexed.empty());
    EXPECT_EQ(editor.whole, 0);
    node.node->SetEditorOpen(true);
    node.Dispatch(effSetProgram, 0, 0);
    EXPECT_EQ(editor.whole, 1);
    node.node->RemoveEditor();
    node.Set(11, 0.0f);
}

}  // namespace
