// `tarvenna-host relay` on the built module: the session a user runs first,
// checked block by block.
#include <gtest/gtest.h>

#include <string>

#include "tests/host/Subprocess.h"

namespace tarvenna::host::test {
namespace {

// The lines between a block's heading and the next empty line.
std::string Section(const std::string& text, const std::string& heading)
{
    const std::size_t start = text.find("\n" + heading);
    if (start == std::string::npos)
        return "";
    const std::size_t end = text.find("\n\n", start + 1);
    return text.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
}

class RelayCommand : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        result =
            RunProgram(TARVENNA_HOST_EMULATOR, {TARVENNA_HOST_EXE, "relay", TARVENNA_MODULE_PATH});
    }
    static ProgramResult result;
};
ProgramResult RelayCommand::result;

TEST_F(RelayCommand, SucceedsAndSetsUpThreeNodes)
{
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::string setup = Section(result.out, "Three instances");
    EXPECT_NE(setup.find("instance 1: Send, port 1, Thru Off"), std::string::npos) << setup;
    EXPECT_NE(setup.find("instance 2: Receive, port 1, Thru Off"), std::string::npos) << setup;
    EXPECT_NE(setup.find("instance 3: Receive, port 2, Thru Off"), std::string::npos) << setup;
}

TEST_F(RelayCommand, OnlyTheReceiverOfThePortHearsTheSender)
{
    const std::string block = Section(result.out, "Block 1:");
    EXPECT_NE(block.find("instance 2 -> host: note-on ch 1 key 60 vel 100"), std::string::npos)
        << block;
    EXPECT_NE(block.find("instance 2 -> host: controller ch 1 #1 = 64"), std::string::npos)
        << block;
    EXPECT_EQ(block.find("instance 3 ->"), std::string::npos) << block;
    EXPECT_EQ(block.find("instance 1 ->"), std::string::npos) << block;
}

TEST_F(RelayCommand, NotesEndWhenTheSenderLeavesThePort)
{
    const std::string block = Section(result.out, "Block 3:");
    EXPECT_NE(block.find("instance 2 -> host: note-off ch 1 key 60 vel 0"), std::string::npos)
        << block;
    EXPECT_NE(block.find("instance 2 -> host: note-off ch 1 key 64 vel 0"), std::string::npos)
        << block;
}

TEST_F(RelayCommand, SwitchingAReceiverOffAndOnEndsItsNote)
{
    const std::string block = Section(result.out, "Block 5:");
    EXPECT_NE(block.find("instance 3 -> host: note-off ch 1 key 67 vel 0"), std::string::npos)
        << block;
}

TEST_F(RelayCommand, ThruAndPanicReachTheHost)
{
    const std::string thru = Section(result.out, "Block 6:");
    EXPECT_NE(thru.find("instance 1 -> host: note-on ch 1 key 72 vel 80"), std::string::npos)
        << thru;
    EXPECT_NE(thru.find("instance 3 -> host: note-on ch 1 key 72 vel 80"), std::string::npos)
        << thru;
    const std::string panic = Section(result.out, "Block 7:");
    EXPECT_NE(panic.find("instance 3 -> host: controller ch 1 #120 = 0"), std::string::npos)
        << panic;
    EXPECT_NE(panic.find("instance 3 -> host: pitch bend ch 1 8192"), std::string::npos) << panic;
    EXPECT_NE(panic.find("(32 events)"), std::string::npos) << panic;
}

// The table that ends the run: every node with what it got and handed on,
// and nothing left sounding.
TEST_F(RelayCommand, TheTableShowsEveryInstanceAndNoNoteLeftSounding)
{
    const std::string table = Section(result.out, "After 7 blocks");
    EXPECT_NE(table.find("After 7 blocks of 256 frames at 44100 Hz"), std::string::npos) << table;
    EXPECT_NE(
        table.find("1         Send, port 2, Thru On      6 events, 4 notes  2 events, 1 note"),
        std::string::npos)
        << table;
    EXPECT_NE(
        table.find("3         Receive, port 2, Thru Off  -                  36 events, 2 notes"),
        std::string::npos)
        << table;
    EXPECT_NE(table.find("4         Receive, port 2, Thru Off"), std::string::npos) << table;
    EXPECT_NE(result.out.find("Every note ended"), std::string::npos) << result.out;
    EXPECT_EQ(result.out.find("FAILED"), std::string::npos) << result.out;
}

TEST_F(RelayCommand, AChunkCarriesTheSettingsToANewInstance)
{
    const std::string restored = Section(result.out, "Settings saved");
    EXPECT_NE(restored.find("instance 4: Receive, port 2, Thru Off"), std::string::npos)
        << restored;
}

}  // namespace
}  // namespace tarvenna::host::test
