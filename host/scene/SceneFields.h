// The fields of one JSON object of a scene, read with the place the object
// has in the file so that every complaint can say where it is. Used only
// by the scene reader's sources.
#pragma once

#define JSON_NOEXCEPTION
#include <nlohmann/json.hpp>

#include <vector>
#include <optional>
#include <string>

#include "host/scene/Scene.h"

namespace tarvenna::host {

class SceneFields {
public:
    // `place` is "" for the top level, else e.g. "nodes[2]". `error` is
    // where the first complaint goes.
    SceneFields(const nlohmann::json& value, std::string place, std::string& error);

    const nlohmann::json& Value() const { return value; }
    // Each of these is false, with the complaint written, when the value
    // is not what it should be.
    bool IsObject();
    bool OnlyFields(const std::vector<const char*>& names);

    bool Has(const char* name) const;
    const nlohmann::json& Field(const char* name) const { return value[name]; }
    // Fields that are left out keep what the output holds.
    bool Integer(const char* name, long low, long high, long& out);
    bool Integer(const char* name, long low, long high, std::optional<long>& out);
    bool Number(const char* name, double low, double high, double& out);
    bool Boolean(const char* name, std::optional<bool>& out);
    bool Text(const char* name, std::string& out);
    bool Text(const char* name, std::optional<std::string>& out);

    std::string PlaceOf(const char* name) const;
    std::string PlaceOf(const char* name, std::size_t index) const;
    bool Fail(const std::string& where, const std::string& what);

private:
    const nlohmann::json& value;
    std::string place;
    std::string& error;
};

// How a JSON value is called in messages: "a text", "a number", ...
std::string JsonKind(const nlohmann::json& value);

// What reading a node or an action needs to know of the scene read so far.
struct SceneContext {
    std::string folder;
    VstInt32 blockSize = 256;
    float sampleRate = 44100.0f;
    // The scene's "blocks" when it gives them.
    std::optional<long> blocks;
};

// A file named in the scene: as it is when absolute, else in `folder`.
std::string ScenePath(const SceneContext& context, const std::string& file);

// One node ("nodes[i]", or a Create action's fields). `extra` names the
// fields of the object that are not the node's (an action's own).
bool ReadSceneNode(SceneFields& fields, const SceneContext& context,
                   const std::vector<const char*>& extra, SceneNodeSetup& node);
// One action ("actions[i]"); Create actions read their node here too.
bool ReadSceneAction(SceneFields& fields, const SceneContext& context, SceneAction& action);

}  // namespace tarvenna::host
