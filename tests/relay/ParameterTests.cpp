// The four parameters, their texts, and the refresh indexes.
#include "TestHost.h"

#include <limits>

namespace {

using namespace relaytest;

TEST(Parameters, ModeRoundsHalfwayUpAndMovesTheNode)
{
    HostedNode node;
    node.Set(0, 0.5f);
    EXPECT_EQ(node.Get(0), 1.0f);
    EXPECT_EQ(node.Display(0), "Receive");
    EXPECT_EQ(Receivers(0), (std::vector<int32_t>{node.Id()}));
    EXPECT_EQ(Cell(0, node.Id()), kReceivesInPort);
    node.Set(0, 0.49f);
    EXPECT_EQ(node.Display(0), "Send");
    EXPECT_TRUE(Receivers(0).empty());
    EXPECT_EQ(Cell(0, node.Id()), kSendsInPort);
}

TEST(Parameters, PortIsSevenStepsShownFromOne)
{
    HostedNode node;
    node.Set(1, 3.0f / 7.0f);
    EXPECT_EQ(node.Display(1), "4");
    EXPECT_FLOAT_EQ(node.Get(1), 3 * 0.14285715f);
    EXPECT_EQ(Cell(3, node.Id()), kSendsInPort);
    EXPECT_EQ(Cell(0, node.Id()), kNotInPort);
    const std::pair<float, const char*> shown[] = {
        {2.5f / 7.0f, "4"}, {0.5f, "5"}, {1.0f, "8"}, {0.0f, "1"}};
    for (auto [value, text] : shown) {
        node.Set(1, value);
        EXPECT_EQ(node.Display(1), text) << value;
    }
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

TEST(Parameters, NaNInfinitiesAndValuesOutsideZeroToOneAreIgnored)
{
    HostedNode node;
    for (float value : {-0.1f, 1.5f, std::numeric_limits<float>::quiet_NaN(),
                        std::numeric_limits<float>::infinity(),
                        -std::numeric_limits<float>::infinity()})
        for (VstInt32 index : {0, 1, 2, 3, 5, 6, 7, 8, 11})
            node.Set(index, value);
    EXPECT_TRUE(node.editor.indexed.empty());
    for (VstInt32 index : {0, 1, 2, 3})
        EXPECT_EQ(node.Get(index), 0.0f) << index;
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

TEST(Parameters, NamesDisplaysAndLabels)
{
    HostedNode node;
    const std::pair<VstInt32, const char*> names[] = {
        {0, "OP: Mode"}, {1, "OP: Port Number"}, {2, "OP: Midi Through"},
        {3, "AC: Midi Panic"}, {7, "empty"}};
    for (auto [index, name] : names) {
        char text[64] = "x";
        node.Dispatch(effGetParamName, index, 0, text);
        EXPECT_STREQ(text, name);
        node.Dispatch(effGetParamLabel, index, 0, text);
        EXPECT_STREQ(text, "");
    }
    EXPECT_EQ(node.Display(2) + node.Display(3) + node.Display(7), "OffOff");
    node.Set(2, 0.51f);
    node.Set(3, 1.0f);
    EXPECT_EQ(node.Display(2) + node.Display(3), "OnOn");
    EXPECT_EQ(node.Get(2) + node.Get(3) + node.Get(9), 2.0f);
}

}  // namespace
