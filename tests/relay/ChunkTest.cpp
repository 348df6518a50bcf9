// Program and bank loads as the node's tables and editor see them. What a
// host sees of chunks and program names is tested through the module
// (ModuleRelaySettingsTest.cpp).
#include "HostedNode.h"

#include <cstring>

namespace {

using namespace relaytest;

std::vector<unsigned char> Chunk(int mode, int port, const char* name = "saved",
                                 std::size_t size = 61)
{
    std::vector<unsigned char> bytes(size, 0);
    std::strcpy(reinterpret_cast<char*>(bytes.data()), name);
    bytes[48] = static_cast<unsigned char>(mode);
    bytes[49] = static_cast<unsigned char>(port);
    return bytes;
}

VstIntPtr Load(HostedNode& node, std::vector<unsigned char> bytes, bool program = false)
{
    return node.Dispatch(effSetChunk, program, static_cast<VstIntPtr>(bytes.size()), bytes.data());
}

// The loaded node joins the port's lists in node-ID order, after a receiver
// that got there through its parameters.
TEST(Chunks, TheFirstLoadPlacesTheNodeWithoutNotifications)
{
    HostedNode other, node;
    other.MakeReceiver(6);
    other.editor.Clear();
    EXPECT_EQ(Load(node, Chunk(1, 6)), 1);
    EXPECT_EQ(Receivers(6), (std::vector<int32_t>{other.Id(), node.Id()}));
    EXPECT_EQ(Cell(6, node.Id()), kReceivesInPort);
    EXPECT_EQ(Cell(0, node.Id()), kNotInPort);
    EXPECT_EQ(other.editor.Count(VSTPlugin::kNodeListChanged), 0);
    EXPECT_EQ(node.editor.whole, 1);
}

// Later loads act like the parameters: the node leaves its old port's
// lists for the new port's and every node hears of it. The releases and
// the flush this brings are tested through the module.
TEST(Chunks, ALaterLoadMovesTheNodeBetweenTheListsAndNotifies)
{
    HostedNode node, receiver, other;
    receiver.MakeReceiver(2);
    Load(node, Chunk(0, 2));
    other.editor.Clear();

    EXPECT_EQ(Load(node, Chunk(1, 6)), 1);
    EXPECT_EQ(Receivers(2), (std::vector<int32_t>{receiver.Id()}));
    EXPECT_EQ(Receivers(6), (std::vector<int32_t>{node.Id()}));
    EXPECT_EQ(Cell(2, node.Id()), kNotInPort);
    EXPECT_GE(other.editor.Count(VSTPlugin::kNodeListChanged), 1);
}

// A node moved by its parameters before any chunk arrived is no longer
// where joining put it, so even its first load goes through the parameters.
TEST(Chunks, AFirstLoadAfterParameterChangesGoesThroughTheParameters)
{
    HostedNode node;
    node.MakeReceiver(3);
    EXPECT_EQ(Load(node, Chunk(0, 5)), 1);
    EXPECT_TRUE(Receivers(3).empty());
    EXPECT_TRUE(Receivers(5).empty());
    for (int port = 0; port < kPortCount; ++port)
        EXPECT_EQ(Cell(port, node.Id()), port == 5 ? kSendsInPort : kNotInPort) << port;
}

TEST(Chunks, OutOfRangeModeAndPortBytesKeepTheCurrentValues)
{
    HostedNode node, fresh;
    EXPECT_EQ(Load(node, Chunk(1, 4)), 1);
    for (auto [mode, port] : {std::pair{2, 9}, std::pair{-1, -1}, std::pair{0x80, 8}}) {
        EXPECT_EQ(Load(node, Chunk(mode, port, "odd")), 1);
        EXPECT_EQ(node.ProgramName(), "odd");
        EXPECT_EQ(node.Display(0) + node.Display(1), "Receive5");
        EXPECT_EQ(Receivers(4), (std::vector<int32_t>{node.Id()}));
    }
    EXPECT_EQ(Load(fresh, Chunk(3, 200)), 1);
    EXPECT_EQ(fresh.Display(0) + fresh.Display(1), "Send1");
    EXPECT_EQ(Cell(0, fresh.Id()), kSendsInPort);
}

// What the name is and how it is cut is tested through the module.
TEST(Programs, ANewNameRefreshesTheWholePanel)
{
    HostedNode node;
    char name[] = "literal";
    node.Dispatch(effSetProgramName, 0, 0, name);
    EXPECT_EQ(node.editor.whole, 1);
    EXPECT_TRUE(node.editor.indexed.empty());
}

TEST(Programs, SelectingTheProgramOutsideALoadChangesNothing)
{
    HostedNode node;
    node.MakeReceiver();
    node.Dispatch(effSetProgram, 0, 0);
    node.Dispatch(effSetProgram, 0, -1);
    EXPECT_EQ(Receivers(0), (std::vector<int32_t>{node.Id()}));
}

}  // namespace
