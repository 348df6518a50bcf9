// A scene for tarvenna-host relay: the instances a session starts with,
// the MIDI their host plays into them, and what happens to them block by
// block. Read from JSON by SceneReader; played by ScenePlayer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "plugin/VstRecords.h"

namespace tarvenna::host {

// One MIDI message the host hands a node: `block` counts from 1, `frame`
// is the offset inside that block.
struct SceneMidi {
    long block = 1;
    VstInt32 frame = 0;
    std::uint8_t status = 0;
    std::uint8_t data1 = 0;
    std::uint8_t data2 = 0;
};

enum class NodeMode { Send, Receive };

// How a node is set up when it is created, and what the scene expects of
// it. Settings left out keep what the plug-in starts with.
struct SceneNodeSetup {
    std::optional<NodeMode> mode;
    std::optional<int> port;  // 1 to 8
    std::optional<bool> thru;
    // Played into the node, sorted by block and frame.
    std::vector<SceneMidi> input;
    // The scene fails when this node hands its host any MIDI.
    bool silent = false;
    // A MIDI file for what the node hands its host; empty: none.
    std::string output;
};

enum class SceneActionKind {
    Say,         // only the heading
    Show,        // print the settings of a node, or of all
    Set,         // a parameter
    Panic,       // Panic on for one block, then off again
    SaveChunk,   // the node's chunk into a file
    LoadChunk,   // a file's bytes as the node's chunk
    Suspend,     // effMainsChanged 0
    Resume,      // effMainsChanged 1
    Create,      // a new node, numbered after the others
    Close,       // effClose
    OpenEditor,  // needs an X display
    CloseEditor,
};

// Something the host does before block `block` is played: 0 is the set-up
// after the first nodes were made, one past the last block the end.
struct SceneAction {
    long block = 0;
    SceneActionKind kind = SceneActionKind::Say;
    // The node it concerns, counted from 1 in order of creation; 0 for
    // none (Say) or all (Show).
    int node = 0;
    // A heading printed before the action; may be empty.
    std::string say;
    // Set: the parameter and its value as the plug-in takes it (0 to 1).
    VstInt32 parameter = 0;
    float value = 0.0f;
    // Chunks: the file, and whether it is the program chunk (else the bank).
    std::string file;
    bool program = false;
    // Create: the new node.
    SceneNodeSetup created;
    // Where the action is written in the scene file, for messages.
    std::string place;
};

// The host's answers that a scene may set; unset ones keep the command's.
struct SceneHostAnswers {
    std::optional<std::string> product;
    std::optional<std::string> vendor;
    std::optional<VstIntPtr> version;
    std::optional<VstIntPtr> vendorVersion;
    // Whether the host passes its X display to effEditOpen (else 0).
    std::optional<bool> passesDisplay;
};

struct Scene {
    std::string title;
    // The file it was read from, for messages; relative files named in the
    // scene are taken from `folder`.
    std::string file;
    std::string folder;
    VstInt32 blockSize = 256;
    float sampleRate = 44100.0f;
    // Blocks played; actions may also come one block after the last.
    long blocks = 0;
    SceneHostAnswers host;
    // Created in order (numbers 1, 2, ...) before the set-up actions.
    std::vector<SceneNodeSetup> nodes;
    // In the order they happen: by block, then as written.
    std::vector<SceneAction> actions;
};

// Nodes created by the scene in all: the first ones and the Create actions.
int SceneNodeCount(const Scene& scene);

}  // namespace tarvenna::host
