// A node's settings as a host sees them through the built module: the four
// parameters with their texts, the program and its name, and the program
// and bank chunks the host stores and gives back.
#include "ModuleRelayFixture.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace relaymodule {
namespace {

using RelayParameters = RelayNodes;
using RelayPrograms = RelayNodes;
using RelayChunks = RelayNodes;

constexpr float kPortStep = 0.14285715f;  // what getParameter reports per port

TEST_F(RelayParameters, NamesLabelsAndDisplayTexts)
{
    HostInstance& node = Add();
    const std::pair<VstInt32, const char*> names[] = {{0, "OP: Mode"},
                                                      {1, "OP: Port Number"},
                                                      {2, "OP: Midi Through"},
                                                      {3, "AC: Midi Panic"},
                                                      {7, "empty"}};
    for (auto [index, name] : names) {
        char text[64] = "x";
        node.Dispatch(effGetParamName, index, 0, text);
        EXPECT_STREQ(text, name);
        std::strcpy(text, "x");
        node.Dispatch(effGetParamLabel, index, 0, text);
        EXPECT_STREQ(text, "") << index;
    }
    char text[64] = "x";
    node.Dispatch(effGetParamDisplay, 7, 0, text);
    EXPECT_STREQ(text, "");

    EXPECT_EQ(Displays(node), "Send/1/Off/Off");
    node.SetParameter(kParameterThru, 0.5f);
    EXPECT_EQ(node.ParameterDisplay(kParameterThru), "Off") << "on only above one half";
    node.SetParameter(kParameterThru, 0.51f);
    node.SetParameter(kParameterPanic, kOn);
    EXPECT_EQ(Displays(node), "Send/1/On/On");
    EXPECT_EQ(node.GetParameter(kParameterThru), 1.0f);
    EXPECT_EQ(node.GetParameter(kParameterPanic), 1.0f);
    EXPECT_EQ(node.GetParameter(9), 0.0f);
}

// An exact half is Receive, and the node is then really a receiver.
TEST_F(RelayParameters, ModeRoundsAnExactHalfUpAndMovesTheNode)
{
    HostInstance& sender = Add(Sender());
    HostInstance& node = Add();
    Settle();
    node.SetParameter(kParameterMode, 0.5f);
    EXPECT_EQ(node.GetParameter(kParameterMode), 1.0f);
    EXPECT_EQ(node.ParameterDisplay(kParameterMode), "Receive");
    Feed(sender, {NoteOn(0, 60)});
    Cycle();
    Feed(sender, {NoteOff(0, 60)});
    Cycle();
    EXPECT_EQ(Out(node), (Seq{Started(0, 60), Ended(0, 60)}));

    node.SetParameter(kParameterMode, 0.49f);
    EXPECT_EQ(node.GetParameter(kParameterMode), 0.0f);
    EXPECT_EQ(node.ParameterDisplay(kParameterMode), "Send");
    Cycle();
    Cycle();
    Feed(sender, {NoteOn(0, 62)});
    Cycle();
    EXPECT_EQ(Out(node), Seq{}) << "a sender hears no other sender";
}

TEST_F(RelayParameters, PortIsSevenStepsShownFromOne)
{
    HostInstance& node = Add();
    HostInstance& receiver = Add(Receiver(3));
    Settle();
    node.SetParameter(kParameterPort, PortValue(3));
    EXPECT_EQ(node.ParameterDisplay(kParameterPort), "4");
    EXPECT_FLOAT_EQ(node.GetParameter(kParameterPort), 3 * kPortStep);
    Feed(node, {NoteOn(0, 60)});
    Cycle();
    EXPECT_EQ(Out(receiver), Seq{Started(0, 60)});

    const std::pair<float, const char*> shown[] = {
        {2.5f / 7.0f, "4"}, {0.5f, "5"}, {1.0f, "8"}, {0.0f, "1"}};
    for (auto [value, text] : shown) {
        node.SetParameter(kParameterPort, value);
        EXPECT_EQ(node.ParameterDisplay(kParameterPort), text) << value;
    }
}

// Neither the texts nor what the nodes do may change: no move, no flush,
// no Panic burst, no Thru.
TEST_F(RelayParameters, NaNInfinitiesAndValuesOutsideZeroToOneChangeNothing)
{
    HostInstance& sender = Add(Sender(4));
    HostInstance& plain = Add();
    HostInstance& configured = Add(Receiver(4, true));
    Settle();
    for (float value :
         {-0.1f, 1.5f, std::numeric_limits<float>::quiet_NaN(),
          std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()})
        for (VstInt32 index : {kParameterMode, kParameterPort, kParameterThru, kParameterPanic}) {
            plain.SetParameter(index, value);
            configured.SetParameter(index, value);
        }
    EXPECT_EQ(Displays(plain), "Send/1/Off/Off");
    EXPECT_EQ(Displays(configured), "Receive/5/On/Off");
    for (VstInt32 index : {kParameterMode, kParameterPort, kParameterThru, kParameterPanic})
        EXPECT_EQ(plain.GetParameter(index), 0.0f) << index;
    EXPECT_EQ(configured.GetParameter(kParameterMode), 1.0f);
    EXPECT_FLOAT_EQ(configured.GetParameter(kParameterPort), 4 * kPortStep);
    EXPECT_EQ(configured.GetParameter(kParameterThru), 1.0f);
    EXPECT_EQ(configured.GetParameter(kParameterPanic), 0.0f);

    Feed(sender, {NoteOn(0, 60)});
    Feed(plain, {NoteOn(0, 61)});
    Cycle();
    EXPECT_EQ(Out(configured), Seq{Started(0, 60)});
    EXPECT_EQ(Out(plain), Seq{});
}

// Hosts pass string literals; writing into one, even to cut it, would
// crash the host.
TEST_F(RelayPrograms, AStringLiteralNameIsCopiedAndCutToFortySevenCharacters)
{
    HostInstance& node = Add();
    const char* literal = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ01234567";
    ASSERT_EQ(std::strlen(literal), 60u);
    EXPECT_EQ(node.Dispatch(effSetProgramName, 0, 0, const_cast<char*>(literal)), 0);
    const std::vector<unsigned char> stored = node.GetChunk(true);
    ASSERT_EQ(stored.size(), 60u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(stored.data())), std::string(literal, 47));
    EXPECT_EQ(stored[47], 0);
    // The host's 24-byte buffer gets the first 23 characters.
    EXPECT_EQ(node.ProgramName(), std::string(literal, 23));

    node.Dispatch(effSetProgramName, 0, 0, const_cast<char*>("literal"));
    EXPECT_EQ(node.ProgramName(), "literal");
    char text[64] = "untouched";
    EXPECT_EQ(node.Dispatch(effGetProgramNameIndexed, 1, 0, text), 0);
    EXPECT_STREQ(text, "untouched");
    EXPECT_EQ(node.Dispatch(effGetProgramNameIndexed, 0, 0, text), 1);
    EXPECT_STREQ(text, "literal");
}

TEST_F(RelayPrograms, SelectingTheProgramOutsideALoadChangesNothing)
{
    HostInstance& sender = Add(Sender());
    HostInstance& node = Add(Receiver());
    Settle();
    node.SetProgram(0);
    node.SetProgram(-1);
    EXPECT_EQ(node.Program(), 0);
    EXPECT_EQ(Displays(node), "Receive/1/Off/Off");
    Feed(sender, {NoteOn(0, 60)});
    Cycle();
    EXPECT_EQ(Out(node), Seq{Started(0, 60)}) << "still a receiver, and no flush started";
}

// The program chunk and the bank chunk start at the same record; both put
// a fresh node where the saved one was, without a word to the user.
TEST_F(RelayChunks, ChunksWrittenByOneNodeRestoreAnotherSilently)
{
    HostInstance& sender = Add(Sender(5));
    HostInstance& source = Add(Receiver(5, true));
    HostInstance& fromBank = Add();
    HostInstance& fromProgram = Add();
    Settle();
    source.SetProgramName("lead synth");

    void* program = nullptr;
    void* bank = nullptr;
    EXPECT_EQ(source.Dispatch(effGetChunk, 1, 0, &program), 60);
    EXPECT_EQ(source.Dispatch(effGetChunk, 0, 0, &bank), 61);
    EXPECT_EQ(program, bank);
    const std::vector<unsigned char> bankBytes = source.GetChunk(false);
    const std::vector<unsigned char> programBytes = source.GetChunk(true);
    ASSERT_EQ(bankBytes.size(), 61u);
    ASSERT_EQ(programBytes.size(), 60u);
    EXPECT_TRUE(std::equal(programBytes.begin(), programBytes.end(), bankBytes.begin()));
    EXPECT_STREQ(reinterpret_cast<const char*>(programBytes.data()), "lead synth");
    EXPECT_EQ(programBytes[48], 1) << "mode";
    EXPECT_EQ(programBytes[49], 5) << "port";
    EXPECT_EQ(programBytes[50], 1) << "Thru";
    EXPECT_TRUE(std::all_of(programBytes.begin() + 51, programBytes.end(), [](unsigned char b) {
        return b == 0;
    })) << "reserved";

    const std::pair<HostInstance*, bool> loads[] = {{&fromBank, false}, {&fromProgram, true}};
    for (auto [node, isProgram] : loads) {
        StderrCapture err;
        EXPECT_EQ(node->SetChunk(isProgram ? programBytes : bankBytes, isProgram), 1);
        EXPECT_EQ(err.Stop(), "");
        EXPECT_EQ(node->ProgramName(), "lead synth");
        EXPECT_EQ(Displays(*node), "Receive/6/On/Off");
    }
    Feed(sender, {NoteOn(0, 60)});
    Feed(fromBank, {NoteOn(1, 41)});
    Cycle();
    EXPECT_EQ(Out(source), Seq{Started(0, 60)});
    EXPECT_EQ(Out(fromBank), (Seq{Started(0, 60), Started(1, 41)})) << "Thru came along";
    EXPECT_EQ(Out(fromProgram), Seq{Started(0, 60)});
}

TEST_F(RelayChunks, ShortBlocksAreRefusedAndLongOnesTakenWithTheNewerVersionMessage)
{
    HostInstance& node = Add(Receiver(3, true));
    node.SetProgramName("kept");
    ASSERT_EQ(Displays(node), "Receive/4/On/Off");
    for (bool isProgram : {true, false}) {
        StderrCapture err;
        EXPECT_EQ(node.SetChunk(Chunk(0, 1, false, "short", 59), isProgram), 0) << isProgram;
        EXPECT_EQ(err.Stop(), "");
    }
    EXPECT_EQ(node.Dispatch(effSetChunk, 0, 61, nullptr), 0);
    EXPECT_EQ(node.ProgramName(), "kept");
    EXPECT_EQ(Displays(node), "Receive/4/On/Off");

    // Sixty bytes are a whole program, and a bank without its unused byte.
    for (bool isProgram : {true, false}) {
        const std::string name = isProgram ? "p60" : "b60";
        StderrCapture err;
        EXPECT_EQ(node.SetChunk(Chunk(1, 3, true, name, 60), isProgram), 1);
        EXPECT_EQ(err.Stop(), "");
        EXPECT_EQ(node.ProgramName(), name);
    }

    const char* const reason =
        "\n(Reason: Saved with newer version\nThis version = 1.04\nSome settings will be lost !)";
    {
        StderrCapture err;
        EXPECT_EQ(node.SetChunk(Chunk(1, 2, true, "p61", 61), true), 1);
        const std::string shown = err.Stop();
        EXPECT_NE(shown.find(std::string("Failed to load program") + reason), std::string::npos)
            << shown;
        EXPECT_NE(shown.find("Tarvenna"), std::string::npos) << shown;
    }
    EXPECT_EQ(node.ProgramName(), "p61");
    EXPECT_EQ(Displays(node), "Receive/3/On/Off");
    {
        StderrCapture err;
        EXPECT_EQ(node.SetChunk(Chunk(0, 4, false, "b62", 62), false), 1);
        const std::string shown = err.Stop();
        EXPECT_NE(shown.find(std::string("Failed to load bank") + reason), std::string::npos)
            << shown;
    }
    EXPECT_EQ(node.ProgramName(), "b62");
    EXPECT_EQ(Displays(node), "Send/5/Off/Off");
}

// The first load only places the node: the receivers of the port it starts
// in and of the port it goes to keep their notes, and it hears its new
// port's sender in the very next block, without a flush.
TEST_F(RelayChunks, AChunkLoadedIntoAFreshNodeAppliesDirectly)
{
    HostInstance& sender0 = Add(Sender(0));
    HostInstance& sender6 = Add(Sender(6));
    HostInstance& holder0 = Add(Receiver(0));
    HostInstance& holder6 = Add(Receiver(6));
    HostInstance& fresh = Add();
    Settle();
    Feed(sender0, {NoteOn(0, 60)});
    Feed(sender6, {NoteOn(0, 66)});
    Cycle();
    ASSERT_EQ(Out(holder0), Seq{Started(0, 60)});
    ASSERT_EQ(Out(holder6), Seq{Started(0, 66)});

    EXPECT_EQ(fresh.SetChunk(Chunk(1, 6, false, "loaded", 61), false), 1);
    EXPECT_EQ(Displays(fresh), "Receive/7/Off/Off");
    Feed(sender0, {NoteOn(0, 61)});
    Feed(sender6, {NoteOn(0, 67)});
    Cycle();
    EXPECT_EQ(Out(fresh), Seq{Started(0, 67)});
    EXPECT_EQ(Out(holder0), Seq{Started(0, 61)});
    EXPECT_EQ(Out(holder6), Seq{Started(0, 67)});
    Cycle();
    for (HostInstance* node : {&fresh, &holder0, &holder6})
        EXPECT_EQ(Out(*node), Seq{}) << "nothing was released";

    Feed(sender0, {NoteOff(0, 60), NoteOff(0, 61)});
    Feed(sender6, {NoteOff(0, 66), NoteOff(0, 67)});
    Cycle();
    EXPECT_EQ(Out(holder0), (Seq{Ended(0, 60), Ended(0, 61)}));
    EXPECT_EQ(Out(holder6), (Seq{Ended(0, 66), Ended(0, 67)}));
    EXPECT_EQ(Out(fresh), Seq{Ended(0, 67)});
}

// Once placed, a node loads like a user changing its parameters: as a
// sender turning receiver it ends its notes at its old port's receivers
// (which end theirs too), and moving port as a receiver flushes it.
TEST_F(RelayChunks, AChunkLoadedIntoARunningNodeGoesThroughTheParameters)
{
    HostInstance& other = Add(Sender(2));
    HostInstance& sender6 = Add(Sender(6));
    HostInstance& node = Add();
    HostInstance& receiver2 = Add(Receiver(2));
    Settle();
    ASSERT_EQ(node.SetChunk(Chunk(0, 2, false, "first", 61), false), 1);
    ASSERT_EQ(Displays(node), "Send/3/Off/Off");
    Feed(other, {NoteOn(1, 62)});
    Feed(node, {NoteOn(0, 60)});
    Cycle();
    ASSERT_EQ(Out(receiver2), (Seq{Started(1, 62), Started(0, 60)}));

    EXPECT_EQ(node.SetChunk(Chunk(1, 6, false, "second", 61), false), 1);
    EXPECT_EQ(Displays(node), "Receive/7/Off/Off");
    Feed(sender6, {NoteOn(0, 70)});
    Cycle();
    EXPECT_EQ(Out(receiver2), (Seq{Ended(0, 60), Ended(1, 62)}));
    EXPECT_EQ(Out(node), Seq{});
    Feed(sender6, {NoteOn(0, 71)});
    Cycle();
    EXPECT_EQ(Out(receiver2), Seq{});
    EXPECT_EQ(Out(node), Seq{}) << "the flush still discards what arrives";
    Feed(sender6, {NoteOn(0, 72)});
    Cycle();
    EXPECT_EQ(Out(node), Seq{Started(0, 72)});
    Feed(other, {NoteOn(1, 63)});
    Cycle();
    EXPECT_EQ(Out(receiver2), Seq{Started(1, 63)});
    EXPECT_EQ(Out(node), Seq{}) << "no longer in its old port";
}

TEST_F(RelayChunks, StoredNamesAreAlwaysTerminatedAndGoodRecordsKeptByteForByte)
{
    HostInstance& node = Add();
    std::vector<unsigned char> bytes = Chunk(0, 0, false, "", 61);
    std::fill(bytes.begin(), bytes.begin() + 48, 'n');
    EXPECT_EQ(node.SetChunk(bytes, false), 1);
    const std::vector<unsigned char> cut = node.GetChunk(true);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(cut.data())), std::string(47, 'n'));

    bytes = Chunk(0, 0, false, "kept", 61);
    bytes[20] = 'x';  // after the terminator, where bytes carry no meaning
    EXPECT_EQ(node.SetChunk(bytes, false), 1);
    const std::vector<unsigned char> stored = node.GetChunk(true);
    ASSERT_EQ(stored.size(), 60u);
    EXPECT_TRUE(std::equal(stored.begin(), stored.end(), bytes.begin()));
}

}  // namespace
}  // namespace relaymodule
