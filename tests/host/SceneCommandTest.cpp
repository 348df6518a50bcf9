// tarvenna-host relay --scene on the built module: a scene with every
// action, bad scenes, the checks that fail a scene, the scene's host
// answers, and a MIDI file played through a sender and a receiver.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/scene/MidiFile.h"
#include "tests/host/SceneTestFiles.h"
#include "tests/host/Subprocess.h"
#include "host/testing/Xvfb.h"

namespace tarvenna::host::test {
namespace {

using tarvenna::host::Xvfb;

// The editor actions need a display; the module opens its own at load.
class SceneCommand : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        server = new Xvfb();
        server->ExportDisplay();
    }
    static void TearDownTestSuite()
    {
        delete server;
        server = nullptr;
    }

    ProgramResult Play(const std::string& sceneText, std::vector<std::string> options = {})
    {
        EXPECT_TRUE(WriteFile(folder.File("scene.json"), sceneText));
        std::vector<std::string> words{TARVENNA_HOST_EXE, "relay", TARVENNA_MODULE_PATH, "--scene",
                                       folder.File("scene.json")};
        words.insert(words.end(), options.begin(), options.end());
        return RunProgram(TARVENNA_HOST_EMULATOR, words);
    }

    static bool Has(const std::string& text, const std::string& part)
    {
        return text.find(part) != std::string::npos;
    }

    static Xvfb* server;
    TempFolder folder;
};
Xvfb* SceneCommand::server = nullptr;

const char* const kEveryAction = R"({
  "title": "every action", "blockSize": 128, "sampleRate": 44100, "blocks": 6,
  "host": {"product": "scene test", "vendorVersion": 7, "passesDisplay": true},
  "nodes": [
    {"mode": "Send", "port": 1, "input": [
      {"block": 1, "midi": [144, 60, 100]}, {"block": 3, "midi": [128, 60, 0]},
      {"block": 5, "frame": 10, "midi": [144, 62, 90]}, {"block": 6, "midi": [128, 62, 0]}]},
    {"mode": "Receive", "port": 1}
  ],
  "actions": [
    {"block": 0, "do": "show", "say": "set-up"},
    {"block": 1, "node": 2, "do": "open-editor", "say": "the receiver's editor opens"},
    {"block": 2, "node": 2, "do": "suspend", "say": "the receiver off and on"},
    {"block": 2, "node": 2, "do": "resume"},
    {"block": 2, "node": 2, "do": "save-chunk", "file": "receiver.bank"},
    {"block": 2, "node": 2, "do": "save-chunk", "file": "receiver.program", "chunk": "program"},
    {"block": 3, "do": "create", "node": 3, "mode": "Send", "port": 5, "say": "a third one"},
    {"block": 3, "node": 3, "do": "load-chunk", "file": "receiver.bank"},
    {"block": 3, "node": 3, "do": "show"},
    {"block": 4, "node": 2, "do": "close-editor"},
    {"block": 4, "node": 1, "do": "set", "parameter": "thru", "value": true},
    {"block": 5, "node": 3, "do": "panic", "say": "Panic"},
    {"block": 5, "node": 2, "do": "set", "parameter": 2, "value": 1.0},
    {"block": 6, "node": 3, "do": "set", "parameter": "mode", "value": "Send"},
    {"block": 6, "node": 3, "do": "set", "parameter": "port", "value": 8},
    {"block": 6, "node": 3, "do": "set", "parameter": "panic", "value": false},
    {"block": 7, "node": 3, "do": "close", "say": "the end"},
    {"block": 7, "do": "show"}
  ]})";

TEST_F(SceneCommand, EveryActionOfASceneIsCarriedOut)
{
    ASSERT_TRUE(server->Running()) << server->Error();
    const ProgramResult result = Play(kEveryAction);
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    const std::string& out = result.out;
    EXPECT_TRUE(Has(out, "every action: " + folder.File("scene.json"))) << out;
    EXPECT_TRUE(Has(out, "\nset-up\n  instance 1: Send, port 1, Thru Off\n"
                         "  instance 2: Receive, port 1, Thru Off\n"))
        << out;
    EXPECT_TRUE(Has(out, "Block 1: the receiver's editor opens\n"
                         "  host -> instance 1: note-on ch 1 key 60 vel 100\n"
                         "  instance 2 -> host: note-on ch 1 key 60 vel 100\n"))
        << out;
    EXPECT_TRUE(Has(out, "Block 2: the receiver off and on\n"
                         "  instance 2 -> host: note-off ch 1 key 60 vel 0\n"))
        << out;
    // The bank chunk carries the receiver's settings to the new node.
    EXPECT_TRUE(Has(out, "Block 3: a third one\n  instance 3: Receive, port 1, Thru Off\n")) << out;
    EXPECT_EQ(ReadFile(folder.File("receiver.bank")).size(), 61u);
    EXPECT_EQ(ReadFile(folder.File("receiver.program")).size(), 60u);
    EXPECT_TRUE(Has(out, "Block 5: Panic\n")) << out;
    EXPECT_TRUE(Has(out, "  instance 3 -> host: controller ch 1 #120 = 0\n")) << out;
    EXPECT_TRUE(Has(out, "\nthe end\n  instance 1: Send, port 1, Thru On\n"
                         "  instance 2: Receive, port 1, Thru On\n"))
        << out;
    EXPECT_TRUE(Has(out, "closed at block 7 (Send, port 8, Thru Off)")) << out;
    EXPECT_TRUE(Has(out, "Every note ended")) << out;
}

TEST_F(SceneCommand, ABadSceneGivesOneMessageAndExitCodeTwo)
{
    const ProgramResult result = Play(R"({"nodes": [{"mode": "Send", "port": 12}]})");
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err, "tarvenna-host: " + folder.File("scene.json") +
                              ": nodes[0].port: must be 1 to 8, not 12\n");
    EXPECT_EQ(result.out, "") << "nothing was played";
    const ProgramResult missing =
        RunProgram(TARVENNA_HOST_EMULATOR, {TARVENNA_HOST_EXE, "relay", TARVENNA_MODULE_PATH,
                                            "--scene", folder.File("none.json")});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(Has(missing.err, folder.File("none.json") + ": cannot be read")) << missing.err;
}

TEST_F(SceneCommand, AHangingNoteOrMidiFromASilentNodeFailsTheScene)
{
    const ProgramResult hangs = Play(R"({"nodes": [
      {"mode": "Send", "input": [{"block": 1, "midi": [144, 60, 100]}]},
      {"mode": "Receive"}], "blocks": 2})");
    EXPECT_EQ(hangs.exitCode, 1);
    EXPECT_TRUE(Has(hangs.out, "FAILED: instance 2 leaves 1 note sounding: ch 1 key 60"))
        << hangs.out;
    const ProgramResult heard = Play(R"({"nodes": [
      {"mode": "Send", "input": [{"block": 1, "midi": [144, 60, 100]},
                                 {"block": 2, "midi": [128, 60, 0]}]},
      {"mode": "Receive", "silent": true}]})",
                                     {"--midi-out", folder.Path()});
    EXPECT_EQ(heard.exitCode, 1);
    // --midi-out writes every node's file, the silent sender's too.
    std::vector<TimedMidi> events;
    std::string error;
    EXPECT_TRUE(ReadMidiFile(folder.File("instance-1.mid"), 0, events, error)) << error;
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(ReadMidiFile(folder.File("instance-2.mid"), 0, events, error)) << error;
    EXPECT_EQ(events.size(), 2u);
    EXPECT_TRUE(Has(heard.out, "NOT SILENT")) << heard.out;
    EXPECT_TRUE(Has(heard.out, "FAILED: instance 2 should stay silent but handed its host 2 "
                               "events"))
        << heard.out;
}

// The scene's host answers reach the plug-in; options given on the
// command line win over them.
TEST_F(SceneCommand, TheSceneSetsTheHostsAnswers)
{
    const char* const refused = R"({"host": {"product": "Usine"}, "nodes": [{}]})";
    const ProgramResult usine = Play(refused);
    EXPECT_EQ(usine.exitCode, 1);
    EXPECT_TRUE(Has(usine.err, "instance 1 was refused")) << usine.err;
    EXPECT_TRUE(Has(usine.out, "never created")) << usine.out;
    const ProgramResult overridden = Play(refused, {"--host-product", "Ardour"});
    EXPECT_EQ(overridden.exitCode, 0) << overridden.err;
}

// A track of a file feeds the sender; the receiver's output file holds the
// same notes at the same times (the file's resolution is a millisecond).
TEST_F(SceneCommand, AMidiFileRoundTripsThroughASenderAndAReceiver)
{
    const std::vector<TickedMidi> song{{0, 0x90, 60, 100},  {240, 0x80, 60, 0}, {240, 0x90, 64, 90},
                                       {480, 0xb0, 7, 100}, {720, 0x80, 64, 0}, {965, 0x91, 67, 80},
                                       {1200, 0xe1, 0, 80}, {1441, 0x81, 67, 0}};
    ASSERT_TRUE(WriteFile(folder.File("song.mid"), StandardMidiFile(song)));
    const ProgramResult result = Play(R"({"nodes": [
      {"mode": "Send", "input": {"file": "song.mid", "track": 2}},
      {"mode": "Receive", "output": "receiver.mid"}]})",
                                      {"--quiet"});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    std::vector<TimedMidi> sent, got;
    std::string error;
    ASSERT_TRUE(ReadMidiFile(folder.File("song.mid"), 2, sent, error)) << error;
    ASSERT_TRUE(ReadMidiFile(folder.File("receiver.mid"), 0, got, error)) << error;
    ASSERT_EQ(got.size(), sent.size());
    for (std::size_t i = 0; i < sent.size(); ++i) {
        EXPECT_NEAR(got[i].seconds, sent[i].seconds, 0.001) << i;
        EXPECT_EQ(got[i].status, sent[i].status) << i;
        EXPECT_EQ(got[i].data1, sent[i].data1) << i;
        EXPECT_EQ(got[i].data2, sent[i].data2) << i;
    }
    EXPECT_FALSE(FileExists(folder.File("instance-1.mid"))) << "the scene names one file";
    EXPECT_FALSE(Has(result.out, "Block ")) << "--quiet leaves only the table";
    EXPECT_TRUE(Has(result.out, "8 events, 3 notes")) << result.out;
}

}  // namespace
}  // namespace tarvenna::host::test
