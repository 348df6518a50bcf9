// An action of a scene: what the host does to a node before a block.
#include <utility>

#include "host/RelayParameters.h"
#include "host/scene/SceneFields.h"

namespace tarvenna::host {

namespace {

struct Verb {
    const char* name;
    SceneActionKind kind;
    bool needsNode;
};

const Verb kVerbs[] = {
    {"show", SceneActionKind::Show, false},
    {"set", SceneActionKind::Set, true},
    {"panic", SceneActionKind::Panic, true},
    {"save-chunk", SceneActionKind::SaveChunk, true},
    {"load-chunk", SceneActionKind::LoadChunk, true},
    {"suspend", SceneActionKind::Suspend, true},
    {"resume", SceneActionKind::Resume, true},
    {"create", SceneActionKind::Create, false},
    {"close", SceneActionKind::Close, true},
    {"open-editor", SceneActionKind::OpenEditor, true},
    {"close-editor", SceneActionKind::CloseEditor, true},
};

const Verb* FindVerb(const std::string& name)
{
    for (const Verb& verb : kVerbs)
        if (name == verb.name)
            return &verb;
    return nullptr;
}

std::string VerbList()
{
    std::string list;
    for (const Verb& verb : kVerbs)
        list += (list.empty() ? "" : ", ") + std::string(verb.name);
    return list;
}

// The fields an action of this kind may have besides block, do, node, say.
std::vector<const char*> OwnFields(SceneActionKind kind)
{
    switch (kind) {
    case SceneActionKind::Set:
        return {"parameter", "value"};
    case SceneActionKind::SaveChunk:
    case SceneActionKind::LoadChunk:
        return {"file", "chunk"};
    default:
        return {};
    }
}

// By name with the value in the parameter's own terms, or by index with
// the value the plug-in takes.
bool ReadNamedValue(SceneFields& fields, const std::string& name, SceneAction& action)
{
    const nlohmann::json& value = fields.Field("value");
    const std::string place = fields.PlaceOf("value");
    if (name == "mode") {
        action.parameter = kParameterMode;
        if (value != "Send" && value != "Receive")
            return fields.Fail(place, "the mode is \"Send\" or \"Receive\", not " + value.dump());
        action.value = value == "Send" ? 0.0f : 1.0f;
    } else if (name == "port") {
        action.parameter = kParameterPort;
        if (!value.is_number_integer() || value < 1 || value > kRelayPorts)
            return fields.Fail(place, "the port is 1 to 8, not " + value.dump());
        action.value = RelayPortValue(value.get<int>());
    } else if (name == "thru" || name == "panic") {
        action.parameter = name == "thru" ? kParameterThru : kParameterPanic;
        if (!value.is_boolean())
            return fields.Fail(place, name + " is true or false, not " + value.dump());
        action.value = value.get<bool>() ? 1.0f : 0.0f;
    } else {
        return fields.Fail(fields.PlaceOf("parameter"),
                           "is \"mode\", \"port\", \"thru\", \"panic\" or an index, not \"" + name +
                               "\"");
    }
    return true;
}

bool ReadSet(SceneFields& fields, SceneAction& action)
{
    if (!fields.Has("parameter") || !fields.Has("value"))
        return fields.Fail(fields.PlaceOf(fields.Has("parameter") ? "value" : "parameter"),
                           "is missing; \"set\" needs a parameter and a value");
    const nlohmann::json& parameter = fields.Field("parameter");
    if (parameter.is_string())
        return ReadNamedValue(fields, parameter.get<std::string>(), action);
    long index = 0;
    double value = 0.0;
    if (!fields.Integer("parameter", 0, 1000, index))
        return false;
    if (!fields.Field("value").is_number())
        return fields.Fail(fields.PlaceOf("value"),
                           "with a parameter index, the value is a number from 0 to 1");
    if (!fields.Number("value", 0.0, 1.0, value))
        return false;
    action.parameter = static_cast<VstInt32>(index);
    action.value = static_cast<float>(value);
    return true;
}

bool ReadChunk(SceneFields& fields, const SceneContext& context, SceneAction& action)
{
    std::string file;
    std::optional<std::string> chunk;
    if (!fields.Text("file", file) || !fields.Text("chunk", chunk))
        return false;
    if (file.empty())
        return fields.Fail(fields.PlaceOf("file"), "is missing; a chunk action needs its file");
    if (chunk && *chunk != "bank" && *chunk != "program")
        return fields.Fail(fields.PlaceOf("chunk"),
                           "is \"bank\" or \"program\", not \"" + *chunk + "\"");
    action.file = ScenePath(context, file);
    action.program = chunk && *chunk == "program";
    return true;
}

bool ReadVerb(SceneFields& fields, SceneAction& action, const Verb*& verb)
{
    std::string name;
    if (!fields.Text("do", name))
        return false;
    if (name.empty()) {
        if (action.say.empty())
            return fields.Fail(fields.PlaceOf("do"),
                               "is missing; an action needs \"do\" or at least \"say\"");
        return true;
    }
    verb = FindVerb(name);
    if (verb == nullptr)
        return fields.Fail(fields.PlaceOf("do"),
                           "\"" + name + "\" is no action (known: " + VerbList() + ")");
    action.kind = verb->kind;
    return true;
}

}  // namespace

bool ReadSceneAction(SceneFields& fields, const SceneContext& context, SceneAction& action)
{
    const Verb* verb = nullptr;
    if (!fields.IsObject() || !fields.Text("say", action.say) || !ReadVerb(fields, action, verb))
        return false;
    if (!fields.Has("block"))
        return fields.Fail(fields.PlaceOf("block"), "is missing; every action has its block");
    long node = 0;
    if (!fields.Integer("block", 0, 100000000L, action.block) ||
        !fields.Integer("node", 1, 100000, node))
        return false;
    action.node = static_cast<int>(node);
    if (verb != nullptr && verb->needsNode && node == 0)
        return fields.Fail(fields.PlaceOf("node"),
                           "is missing; \"" + std::string(verb->name) + "\" needs its node");
    const std::vector<const char*> common{"block", "do", "node", "say"};
    if (action.kind == SceneActionKind::Create)
        return ReadSceneNode(fields, context, common, action.created);
    std::vector<const char*> names = common;
    const std::vector<const char*> own = OwnFields(action.kind);
    names.insert(names.end(), own.begin(), own.end());
    if (!fields.OnlyFields(names))
        return false;
    if (action.kind == SceneActionKind::Set)
        return ReadSet(fields, action);
    if (action.kind == SceneActionKind::SaveChunk || action.kind == SceneActionKind::LoadChunk)
        return ReadChunk(fields, context, action);
    return true;
}

}  // namespace tarvenna::host
