// What a node writes into or hands out to its host's buffers: program names
// within the 24 bytes hosts give them, and saved chunks and MIDI blocks that
// stay as they were while the node goes on changing.
#include "ModuleRelayFixture.h"

#include <algorithm>
#include <cstring>

namespace relaymodule {
namespace {

using RelayHostBuffers = RelayNodes;

constexpr unsigned char kUntouched = 0x55;
constexpr std::size_t kHostNameBuffer = 24;

// A 64-byte buffer of which the host owns the first 24.
struct NameBuffer {
    NameBuffer() { std::memset(bytes, kUntouched, sizeof bytes); }
    std::string Text() const { return std::string(bytes); }
    bool TailUntouched() const
    {
        return std::all_of(bytes + kHostNameBuffer, bytes + sizeof bytes,
                           [](char c) { return static_cast<unsigned char>(c) == kUntouched; });
    }
    char bytes[64];
};

TEST_F(RelayHostBuffers, ProgramNamesFitTheTwentyFourBytesHostsGiveThem)
{
    HostInstance& node = Add();
    const std::string longName = std::string(30, 'a') + std::string(17, 'b');
    node.SetProgramName(longName);

    NameBuffer plain;
    node.Dispatch(effGetProgramName, 0, 0, plain.bytes);
    EXPECT_EQ(plain.Text(), longName.substr(0, kHostNameBuffer - 1));
    EXPECT_TRUE(plain.TailUntouched());

    NameBuffer indexed;
    EXPECT_EQ(node.Dispatch(effGetProgramNameIndexed, 0, 0, indexed.bytes), 1);
    EXPECT_EQ(indexed.Text(), longName.substr(0, kHostNameBuffer - 1));
    EXPECT_TRUE(indexed.TailUntouched());

    for (VstInt32 index : {1, -1}) {
        NameBuffer other;
        EXPECT_EQ(node.Dispatch(effGetProgramNameIndexed, index, 0, other.bytes), 0) << index;
        EXPECT_EQ(static_cast<unsigned char>(other.bytes[0]), kUntouched) << "nothing written";
    }

    node.SetProgramName("short");
    NameBuffer shortName;
    node.Dispatch(effGetProgramName, 0, 0, shortName.bytes);
    EXPECT_EQ(shortName.Text(), "short");

    // The stored name and the chunks keep all 47 characters.
    node.SetProgramName(longName);
    const std::vector<unsigned char> chunk = node.GetChunk(false);
    ASSERT_EQ(chunk.size(), 61u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(chunk.data())), longName);
}

std::vector<unsigned char> BytesAt(void* data, std::size_t size)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    return std::vector<unsigned char>(bytes, bytes + size);
}

// A host that saves from two threads gets a copy each: the block handed to
// the first is not rewritten by the second call, whatever changed between.
TEST_F(RelayHostBuffers, EachChunkCallerKeepsItsOwnCopy)
{
    HostInstance& node = Add();
    node.SetProgramName("first");
    void* firstData = nullptr;
    ASSERT_EQ(node.Dispatch(effGetChunk, 0, 0, &firstData), 61);
    const std::vector<unsigned char> first = BytesAt(firstData, 61);

    node.SetParameter(kParameterMode, kReceive);
    node.SetParameter(kParameterPort, PortValue(6));
    node.SetProgramName("second");
    void* secondData = nullptr;
    ASSERT_EQ(node.Dispatch(effGetChunk, 1, 0, &secondData), 60);
    const std::vector<unsigned char> second = BytesAt(secondData, 60);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(second.data())), "second");
    EXPECT_EQ(second[48], 1);
    EXPECT_EQ(second[49], 6);

    EXPECT_EQ(BytesAt(firstData, 61), first) << "the first caller's block changed under it";
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(first.data())), "first");
    EXPECT_EQ(first[48], 0);

    // Unchanged settings: a program and a bank still start at one first byte.
    void* program = nullptr;
    void* bank = nullptr;
    ASSERT_EQ(node.Dispatch(effGetChunk, 1, 0, &program), 60);
    ASSERT_EQ(node.Dispatch(effGetChunk, 0, 0, &bank), 61);
    EXPECT_EQ(program, bank);
    EXPECT_EQ(BytesAt(bank, 60), second);
}

// A receiver hands its host the records its pass routed where they lie, and
// the host reads them after the node's lock is released, when other threads
// may already give the node more: a Panic pressed and a sender's next block
// sent before the host has read the block leave the block as it was and
// open the next one.
TEST_F(RelayHostBuffers, AHandedBlockStaysAsItWasWhileMoreComesIn)
{
    HostInstance& sender = Add(Sender(2));
    HostInstance* receiver = nullptr;
    bool pressed = false;
    tarvenna::host::InstanceOptions options;
    options.hook = [&](const tarvenna::host::RequestRecord& request) -> std::optional<VstIntPtr> {
        if (request.opcode == audioMasterProcessEvents && !pressed) {
            pressed = true;
            receiver->SetParameter(kParameterPanic, kOn);
            sender.RunBlock({NoteOn(2, 70), NoteOn(3, 71), NoteOn(4, 72)}, kFrames);
        }
        return std::nullopt;
    };
    nodes.push_back(host.Instantiate(Nodes(), options));
    ASSERT_TRUE(nodes.back());
    receiver = nodes.back().get();
    receiver->Open();
    receiver->Resume();
    Configure(*receiver, Receiver(2));
    Settle();

    Feed(sender, {NoteOn(0, 60), NoteOn(1, 61), NoteOff(0, 60)});
    Cycle();
    ASSERT_TRUE(pressed);
    EXPECT_EQ(Out(*receiver), (Seq{Started(0, 60), Started(1, 61), Ended(0, 60)}));
    receiver->SetParameter(kParameterPanic, kOff);
    Cycle();
    Seq next = PanicBurst();
    next.insert(next.end(), {Started(2, 70), Started(3, 71), Started(4, 72)});
    EXPECT_EQ(Out(*receiver), next);
}

}  // namespace
}  // namespace relaymodule
