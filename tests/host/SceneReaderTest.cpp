// Scenes read from JSON: the built-in one, files named in a scene, the
// length of a scene, and the one-line complaint for each kind of mistake.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "host/scene/DefaultScene.h"
#include "host/RelayParameters.h"
#include "host/scene/SceneReader.h"
#include "tests/host/SceneTestFiles.h"

namespace tarvenna::host::test {
namespace {

bool Read(const std::string& text, Scene& scene, std::string& error,
          const std::string& folder = "scenes")
{
    return ReadSceneText(text, "test.json", folder, scene, error);
}

TEST(SceneReader, TheBuiltInSceneIsTheRelaySession)
{
    Scene scene;
    std::string error;
    ASSERT_TRUE(ReadSceneText(DefaultSceneText(), "built-in", "", scene, error)) << error;
    EXPECT_EQ(scene.title, "MIDI relay between instances");
    EXPECT_EQ(scene.blocks, 7);
    EXPECT_EQ(scene.blockSize, 256);
    EXPECT_EQ(scene.sampleRate, 44100.0f);
    ASSERT_EQ(scene.nodes.size(), 3u);
    EXPECT_EQ(SceneNodeCount(scene), 4);
    ASSERT_EQ(scene.nodes[0].input.size(), 6u);
    EXPECT_EQ(scene.nodes[0].input[2].block, 2);
    EXPECT_EQ(scene.nodes[0].input[2].frame, 16);
    EXPECT_EQ(scene.nodes[0].input[2].data1, 64);
    // Set-up first; what comes after the last block last.
    EXPECT_EQ(scene.actions.front().block, 0);
    EXPECT_EQ(scene.actions.front().parameter, kParameterPort);
    EXPECT_EQ(scene.actions.front().value, RelayPortValue(2));
    EXPECT_EQ(scene.actions.back().block, 8);
    EXPECT_EQ(scene.actions.back().kind, SceneActionKind::Show);
}

TEST(SceneReader, ActionsComeInBlockOrderAndFilesFromTheSceneFolder)
{
    const std::string text = R"({
      "blockSize": 64, "sampleRate": 48000,
      "host": {"product": "Bitwig Studio", "vendorVersion": 5, "passesDisplay": false},
      "nodes": [{"mode": "Receive", "port": 3, "thru": true, "silent": true,
                 "output": "got.mid"}],
      "actions": [
        {"block": 4, "node": 1, "do": "save-chunk", "file": "/abs/one.chunk", "chunk": "program"},
        {"block": 2, "node": 1, "do": "load-chunk", "file": "two.chunk"},
        {"block": 2, "node": 1, "do": "set", "parameter": 1, "value": 0.5},
        {"block": 3, "do": "create", "node": 2, "mode": "Send"}
      ]})";
    Scene scene;
    std::string error;
    ASSERT_TRUE(Read(text, scene, error)) << error;
    EXPECT_EQ(scene.blocks, 4) << "the last action's block, played";
    EXPECT_EQ(*scene.host.product, "Bitwig Studio");
    EXPECT_EQ(*scene.host.vendorVersion, 5);
    EXPECT_FALSE(*scene.host.passesDisplay);
    const SceneNodeSetup& node = scene.nodes[0];
    EXPECT_EQ(*node.mode, NodeMode::Receive);
    EXPECT_EQ(*node.port, 3);
    EXPECT_TRUE(*node.thru);
    EXPECT_TRUE(node.silent);
    EXPECT_EQ(node.output, "scenes/got.mid");
    ASSERT_EQ(scene.actions.size(), 4u);
    EXPECT_EQ(scene.actions[0].kind, SceneActionKind::LoadChunk);
    EXPECT_EQ(scene.actions[0].file, "scenes/two.chunk");
    EXPECT_FALSE(scene.actions[0].program);
    EXPECT_EQ(scene.actions[1].parameter, 1);
    EXPECT_EQ(scene.actions[1].value, 0.5f);
    EXPECT_EQ(*scene.actions[2].created.mode, NodeMode::Send);
    EXPECT_EQ(scene.actions[3].file, "/abs/one.chunk");
    EXPECT_TRUE(scene.actions[3].program);
    EXPECT_EQ(scene.actions[3].place, "actions[0]");
}

TEST(SceneReader, AMidiFileInputBecomesBlocksAndFrames)
{
    TempFolder folder;
    // 120 beats a minute, 480 ticks a beat: 240 ticks are a quarter second.
    ASSERT_TRUE(WriteFile(folder.File("in.mid"),
                          StandardMidiFile({{0, 0x90, 60, 100}, {240, 0x80, 60, 0}})));
    const std::string text = R"({"blockSize": 100, "sampleRate": 1000,
      "nodes": [{"input": {"file": "in.mid", "track": 2, "startBlock": 3}}]})";
    Scene scene;
    std::string error;
    ASSERT_TRUE(Read(text, scene, error, folder.Path())) << error;
    ASSERT_EQ(scene.nodes[0].input.size(), 2u);
    EXPECT_EQ(scene.nodes[0].input[0].block, 3);
    EXPECT_EQ(scene.nodes[0].input[1].block, 5) << "250 samples: two blocks and 50 frames on";
    EXPECT_EQ(scene.nodes[0].input[1].frame, 50);
    EXPECT_EQ(scene.blocks, 5);
}

// A name for the test's list, the scene's text, and the complaint.
using BadScene = std::tuple<const char*, const char*, const char*>;

class SceneMistakes : public ::testing::TestWithParam<BadScene> {};

TEST_P(SceneMistakes, AreOneLineWithFilePlaceAndWhat)
{
    Scene scene;
    std::string error;
    EXPECT_FALSE(Read(std::get<1>(GetParam()), scene, error));
    EXPECT_EQ(error, std::string("test.json: ") + std::get<2>(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(
    SceneReader, SceneMistakes,
    ::testing::Values(
        BadScene{"NotJson", "{\"nodes\": [\n {\"port\": 1,}]}",
                 "line 2, column 13: syntax error while parsing object key - unexpected '}'; "
                 "expected string literal"},
        BadScene{"NotAnObject", "[]", "must be an object { ... }, not a list"},
        BadScene{"PortOutOfRange", R"({"nodes": [{"port": 9}]})",
                 "nodes[0].port: must be 1 to 8, not 9"},
        BadScene{"UnknownMode", R"({"nodes": [{"mode": "Listen"}]})",
                 "nodes[0].mode: must be \"Send\" or \"Receive\", not \"Listen\""},
        BadScene{"MisspeltField", R"({"nodes": [{"prot": 1}]})",
                 "nodes[0].prot: unknown field (known: mode, port, thru, input, silent, output)"},
        BadScene{"TextForANumber", R"({"blockSize": "big"})",
                 "blockSize: must be a whole number, not a text"},
        BadScene{"ShortMessage", R"({"nodes": [{"input": [{"block": 1, "midi": [144, 60]}]}]})",
                 "nodes[0].input[0].midi: a message with status 144 has 3 bytes, not 2"},
        BadScene{"FrameOutOfBlock",
                 R"({"nodes": [{"input": [{"block": 1, "frame": 256, "midi": [192, 1]}]}]})",
                 "nodes[0].input[0].frame: must be 0 to 255, not 256"},
        BadScene{"MissingMidiFile", R"({"nodes": [{"input": {"file": "missing.mid"}}]})",
                 "nodes[0].input.file: cannot open scenes/missing.mid"},
        BadScene{"UnknownAction", R"({"actions": [{"block": 1, "do": "sing"}]})",
                 "actions[0].do: \"sing\" is no action (known: show, set, panic, save-chunk, "
                 "load-chunk, suspend, resume, create, close, open-editor, close-editor)"},
        BadScene{"ActionWithoutDo", R"({"actions": [{"block": 1}]})",
                 "actions[0].do: is missing; an action needs \"do\" or at least \"say\""},
        BadScene{"ActionWithoutNode", R"({"actions": [{"block": 1, "do": "close"}]})",
                 "actions[0].node: is missing; \"close\" needs its node"},
        BadScene{"NodeNotYetCreated",
                 R"({"nodes": [{}], "actions": [{"block": 1, "node": 2, "do": "close"}]})",
                 "actions[0].node: node 2 does not exist yet at block 1"},
        BadScene{"NodeAlreadyClosed",
                 R"({"nodes": [{}], "actions": [{"block": 1, "node": 1, "do": "close"},
                                                {"block": 2, "node": 1, "do": "resume"}]})",
                 "actions[1].node: node 1 was closed at block 1"},
        BadScene{"CreatedNodeNumber", R"({"actions": [{"block": 1, "do": "create", "node": 3}]})",
                 "actions[0].node: a created node gets number 1, not 3"},
        BadScene{"PortValue", R"({"nodes": [{}], "actions": [{"block": 1, "node": 1, "do": "set",
                                                "parameter": "port", "value": 0}]})",
                 "actions[0].value: the port is 1 to 8, not 0"},
        BadScene{"ChunkWithoutFile",
                 R"({"nodes": [{}], "actions": [{"block": 1, "node": 1, "do": "load-chunk"}]})",
                 "actions[0].file: is missing; a chunk action needs its file"},
        BadScene{"ActionPastTheEnd", R"({"blocks": 2, "actions": [{"block": 4, "say": "late"}]})",
                 "actions[0].block: block 4 is past the end: the scene has 2 blocks, and its "
                 "last actions come at block 3"}),
    [](const ::testing::TestParamInfo<BadScene>& info) { return std::get<0>(info.param); });

}  // namespace
}  // namespace tarvenna::host::test
