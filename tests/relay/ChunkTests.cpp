// The program, its name, and the program and bank chunks the host stores.
#include "TestHost.h"

#include "relay/VSTPluginProgram.h"

#include <cstring>

namespace {

using namespace relaytest;

const char kNewerProgram[] =
    "Failed to load program\n(Reason: Saved with newer version\nThis version = 1.04\n"
    "Some settings will be lost !)";

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

TEST(Chunks, ABankWrittenByOneNodeRestoresAnotherSilently)
{
    HostedNode source, target;
    char name[] = "lead synth";
    source.Dispatch(effSetProgramName, 0, 0, name);
    source.MakeReceiver(5);
    source.Set(2, 1.0f);
    void* program = nullptr;
    void* bank = nullptr;
    EXPECT_EQ(source.Dispatch(effGetChunk, 1, 0, &program), 60);
    EXPECT_EQ(source.Dispatch(effGetChunk, 0, 0, &bank), 61);
    EXPECT_EQ(program, bank);
    const auto* bytes = static_cast<unsigned char*>(bank);
    const std::string shown =
        StderrOf([&] { EXPECT_EQ(Load(target, {bytes, bytes + 61}), 1); });
    EXPECT_EQ(shown, "");
    EXPECT_EQ(target.ProgramName(), "lead synth");
    EXPECT_EQ(target.Display(0) + target.Display(1) + target.Display(2), "Receive6On");
    EXPECT_EQ(Receivers(5), (std::vector<int32_t>{source.Id(), target.Id()}));
}

TEST(Chunks, SizesDecideBetweenRefusalSilenceAndTheNewerVersionMessage)
{
    HostedNode node;
    EXPECT_EQ(Load(node, Chunk(1, 2, "short", 59)), 0);
    EXPECT_EQ(Load(node, Chunk(1, 2, "short", 59), true), 0);
    EXPECT_EQ(node.Dispatch(effSetChunk, 0, 61, nullptr), 0);
    EXPECT_EQ(node.ProgramName(), "(default)");
    EXPECT_EQ(node.Get(0), 0.0f);

    EXPECT_EQ(StderrOf([&] { EXPECT_EQ(Load(node, Chunk(0, 1, "p60", 60), true), 1); }), "");
    EXPECT_EQ(StderrOf([&] { EXPECT_EQ(Load(node, Chunk(0, 1, "b60", 60)), 1); }), "");
    EXPECT_EQ(node.ProgramName(), "b60");
    std::string shown = StderrOf([&] { EXPECT_EQ(Load(node, Chunk(0, 2, "p61"), true), 1); });
    EXPECT_NE(shown.find(kNewerProgram), std::string::npos) << shown;
    EXPECT_EQ(node.ProgramName(), "p61");
    shown = StderrOf([&] { EXPECT_EQ(Load(node, Chunk(0, 3, "b62", 62)), 1); });
    EXPECT_NE(shown.find("Failed to load bank\n(Reason: Saved with newer version\n"),
              std::string::npos) << shown;
    EXPECT_EQ(node.Display(1), "4");

    kvor::data::datastring<32, char> text;
    ComposeNewerVersionMessage(text, "program");
    EXPECT_STREQ(text.data, kNewerProgram);
}

TEST(Chunks, TheFirstLoadPlacesTheNodeWithoutNotifications)
{
    HostedNode other, node;
    other.editor.Clear();
    EXPECT_EQ(Load(node, Chunk(1, 6)), 1);
    EXPECT_EQ(Receivers(6), (std::vector<int32_t>{node.Id()}));
    EXPECT_EQ(Cell(6, node.Id()), kReceivesInPort);
    EXPECT_EQ(Cell(0, node.Id()), kNotInPort);
    EXPECT_EQ(other.editor.Count(VSTPlugin::kNodeListChanged), 0);
    EXPECT_EQ(node.editor.whole, 1);
}

// Later loads act like the parameters: the sender ends its notes towards
// its port, becomes a receiver there, then moves on with a flush.
TEST(Chunks, ALaterLoadReleasesMovesAndFlushes)
{
    HostedNode node, receiver, other;
    receiver.MakeReceiver(2);
    Load(node, Chunk(0, 2));
    node.Send({On(0, 60)});
    Cycle({&node, &receiver});
    EXPECT_EQ(receiver.Out(), (Seq{{0x90, 60, 100}}));
    other.editor.Clear();

    EXPECT_EQ(Load(node, Chunk(1, 6)), 1);
    EXPECT_EQ(Receivers(2), (std::vector<int32_t>{receiver.Id()}));
    EXPECT_EQ(Receivers(6), (std::vector<int32_t>{node.Id()}));
    EXPECT_EQ(Cell(2, node.Id()), kNotInPort);
    EXPECT_GE(other.editor.Count(VSTPlugin::kNodeListChanged), 1);
    Cycle({&node, &receiver});
    EXPECT_EQ(receiver.Out(), (Seq{{0x80, 60, 0}}));
    node.Set(2, 1.0f);
    node.Send({On(0, 61)});
    node.Process();
    EXPECT_TRUE(node.Out().empty()) << "the flush still ignores the host";
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

TEST(Chunks, StoredNamesAreAlwaysTerminatedAndGoodRecordsKeptByteForByte)
{
    HostedNode node;
    std::vector<unsigned char> bytes = Chunk(0, 0);
    std::memset(bytes.data(), 'n', 48);
    EXPECT_EQ(Load(node, bytes), 1);
    EXPECT_EQ(node.ProgramName(), std::string(47, 'n'));

    bytes = Chunk(0, 0, "kept");
    bytes[20] = 'x';  // after the terminator, where bytes carry no meaning
    Load(node, bytes);
    void* data = nullptr;
    node.Dispatch(effGetChunk, 0, 0, &data);
    EXPECT_EQ(std::memcmp(data, bytes.data(), 60), 0);
}

// Hosts pass string literals; writing into one would crash here.
TEST(Programs, NamesAreCopiedCutAndNeverWrittenBack)
{
    HostedNode node;
    static const char kLong[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ01234567";
    static_assert(sizeof kLong == 61, "60 characters");
    node.Dispatch(effSetProgramName, 0, 0, const_cast<char*>(kLong));
    EXPECT_EQ(node.ProgramName(), std::string(kLong, 47));
    node.Dispatch(effSetProgramName, 0, 0, const_cast<char*>("literal"));
    EXPECT_EQ(node.ProgramName(), "literal");
    EXPECT_EQ(node.editor.whole, 2);

    char text[64] = "untouched";
    EXPECT_EQ(node.Dispatch(effGetProgramNameIndexed, 1, 0, text), 0);
    EXPECT_STREQ(text, "untouched");
    EXPECT_EQ(node.Dispatch(effGetProgramNameIndexed, 0, 0, text), 1);
    EXPECT_STREQ(text, "literal");
}

TEST(Programs, SelectingTheProgramOutsideALoadChangesNothing)
{
    HostedNode node;
    node.MakeReceiver();
    node.Dispatch(effSetProgram, 0, 0);
    node.Dispatch(effSetProgram, 0, -1);
    EXPECT_EQ(node.Dispatch(effGetProgram), 0);
    EXPECT_EQ(Receivers(0), (std::vector<int32_t>{node.Id()}));
}

}  // namespace
