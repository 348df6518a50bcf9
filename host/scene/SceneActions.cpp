// The actions of a scene, carried out by the player before their block.
#include <fstream>
#include <iterator>

#include "host/RelayParameters.h"
#include "host/scene/ScenePlayer.h"

namespace tarvenna::host {

namespace {

bool WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file.flush());
}

bool ReadBytes(const std::string& path, std::vector<unsigned char>& bytes)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

const char* ChunkName(bool program) { return program ? "program" : "bank"; }

}  // namespace

void ScenePlayer::Perform(const SceneAction& action)
{
    if (!action.say.empty())
        transcript.Say(action.say);
    switch (action.kind) {
    case SceneActionKind::Say:
        return;
    case SceneActionKind::Create:
        CreateNode(action.created);
        return;
    case SceneActionKind::Show:
        if (action.node == 0) {
            for (auto& node : nodes)
                if (node->IsOpen())
                    transcript.Line("instance " + std::to_string(node->Number()) + ": " +
                                    node->Settings());
            return;
        }
        break;
    default:
        break;
    }
    const std::size_t index = static_cast<std::size_t>(action.node) - 1;
    // A node the plug-in refused was reported when it was; what the scene
    // does to it later has nothing to act on.
    if (index < nodes.size() && nodes[index]->IsOpen())
        PerformOnNode(action, *nodes[index]);
}

void ScenePlayer::PerformOnNode(const SceneAction& action, SceneNode& node)
{
    HostInstance& instance = *node.Instance();
    switch (action.kind) {
    case SceneActionKind::Show:
        transcript.Line("instance " + std::to_string(node.Number()) + ": " + node.Settings());
        break;
    case SceneActionKind::Set:
        instance.SetParameter(action.parameter, action.value);
        break;
    case SceneActionKind::Panic:
        instance.SetParameter(kParameterPanic, 1.0f);
        panicked.push_back(&node);
        break;
    case SceneActionKind::SaveChunk:
        SaveChunk(action, node);
        break;
    case SceneActionKind::LoadChunk:
        LoadChunk(action, node);
        break;
    case SceneActionKind::Suspend:
        instance.Suspend();
        break;
    case SceneActionKind::Resume:
        instance.Resume();
        break;
    case SceneActionKind::Close:
        CloseNode(node);
        break;
    case SceneActionKind::OpenEditor:
        OpenEditor(action, node);
        break;
    case SceneActionKind::CloseEditor:
        if (window)
            window->CloseEditor(node.Number());
        break;
    default:
        break;
    }
}

void ScenePlayer::SaveChunk(const SceneAction& action, SceneNode& node)
{
    const std::vector<unsigned char> chunk = node.Instance()->GetChunk(action.program);
    if (chunk.empty())
        Fail(action.place, "instance " + std::to_string(node.Number()) + " gave no " +
                               ChunkName(action.program) + " chunk");
    else if (!WriteBytes(action.file, chunk))
        Fail(action.place, "cannot write " + action.file);
}

// A refused chunk is an answer of the plug-in's, which the scene may be
// there to show: it is told, not failed.
void ScenePlayer::LoadChunk(const SceneAction& action, SceneNode& node)
{
    std::vector<unsigned char> chunk;
    if (!ReadBytes(action.file, chunk)) {
        Fail(action.place, "cannot read " + action.file);
        return;
    }
    if (node.Instance()->SetChunk(chunk, action.program) == 0)
        transcript.Line("instance " + std::to_string(node.Number()) + " refuses the " +
                        ChunkName(action.program) + " chunk from " + action.file);
}

void ScenePlayer::OpenEditor(const SceneAction& action, SceneNode& node)
{
    if (!EnsureWindow()) {
        Fail(action.place, "the editor needs an X display, and " +
                               std::string(display ? "the window" : "the display") +
                               " could not be opened");
        return;
    }
    if (!window->OpenEditor(node.Number(), node.Instance()->Effect()))
        Fail(action.place,
             "the editor of instance " + std::to_string(node.Number()) + " did not open");
}

// Hosts close the editor before the plug-in; the output the node handed
// over until now still counts for the block it came in.
void ScenePlayer::CloseNode(SceneNode& node)
{
    if (window)
        window->CloseEditor(node.Number());
    node.Close(played + 1);
}

}  // namespace tarvenna::host
