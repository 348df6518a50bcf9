// The top of a scene file: the JSON text itself, the scene's own fields,
// the host's answers, and the checks that need the whole scene.
#include "host/scene/SceneReader.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>

#include "host/scene/SceneFields.h"

namespace tarvenna::host {

namespace {

using Json = nlohmann::json;

// Only parse errors matter here: the document itself is built by a second,
// ordinary parse once the text is known to be good.
class ErrorLocator : public nlohmann::json_sax<Json> {
public:
    std::string message;

    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t&) override { return true; }
    bool string(string_t&) override { return true; }
    bool binary(binary_t&) override { return true; }
    bool start_object(std::size_t) override { return true; }
    bool key(string_t&) override { return true; }
    bool end_object() override { return true; }
    bool start_array(std::size_t) override { return true; }
    bool end_array() override { return true; }
    bool parse_error(std::size_t, const std::string&,
                     const nlohmann::detail::exception& problem) override
    {
        // "[json.exception.parse_error.101] parse error at line 2, column 5: ..."
        message = problem.what();
        const std::size_t at = message.find(" at line ");
        if (at != std::string::npos)
            message = message.substr(at + 4);
        return false;
    }
};

bool Parse(const std::string& text, Json& document, std::string& error)
{
    document = Json::parse(text, nullptr, false);
    if (!document.is_discarded())
        return true;
    ErrorLocator locator;
    Json::sax_parse(text, &locator);
    error = locator.message.empty() ? "not JSON" : locator.message;
    return false;
}

bool ReadHost(SceneFields& top, SceneHostAnswers& host)
{
    std::string error;
    SceneFields fields(top.Field("host"), "host", error);
    std::optional<long> version, vendorVersion;
    const bool read =
        fields.IsObject() &&
        fields.OnlyFields({"product", "vendor", "version", "vendorVersion", "passesDisplay"}) &&
        fields.Text("product", host.product) && fields.Text("vendor", host.vendor) &&
        fields.Integer("version", 0, 1000000000L, version) &&
        fields.Integer("vendorVersion", 0, 1000000000L, vendorVersion) &&
        fields.Boolean("passesDisplay", host.passesDisplay);
    if (!read)
        return top.Fail("", error);
    if (version)
        host.version = *version;
    if (vendorVersion)
        host.vendorVersion = *vendorVersion;
    return true;
}

bool ReadTiming(SceneFields& top, Scene& scene, SceneContext& context)
{
    long blockSize = scene.blockSize;
    double rate = scene.sampleRate;
    std::optional<long> blocks;
    if (!top.Integer("blockSize", 1, 8192, blockSize) ||
        !top.Number("sampleRate", 1000.0, 768000.0, rate) ||
        !top.Integer("blocks", 0, 100000000L, blocks))
        return false;
    scene.blockSize = static_cast<VstInt32>(blockSize);
    scene.sampleRate = static_cast<float>(rate);
    context.blockSize = scene.blockSize;
    context.sampleRate = scene.sampleRate;
    context.blocks = blocks;
    scene.blocks = blocks.value_or(0);
    return true;
}

template <typename Item, typename ReadItem>
bool ReadList(SceneFields& top, const char* name, std::vector<Item>& items, ReadItem read)
{
    if (!top.Has(name))
        return true;
    const Json& list = top.Field(name);
    if (!list.is_array())
        return top.Fail(name, "must be a list [ ... ], not " + JsonKind(list));
    std::string error;
    for (std::size_t i = 0; i < list.size(); ++i) {
        SceneFields fields(list[i], top.PlaceOf(name, i), error);
        items.emplace_back();
        if (!read(fields, items.back()))
            return top.Fail("", error);
    }
    return true;
}

// Nodes are numbered in order of creation and never again: every action
// must name one that exists at its block.
bool CheckNodes(SceneFields& top, const Scene& scene)
{
    int created = static_cast<int>(scene.nodes.size());
    std::map<int, long> closedAt;
    for (const SceneAction& action : scene.actions) {
        const std::string where = action.place + ".node";
        if (action.kind == SceneActionKind::Create) {
            ++created;
            if (action.node != 0 && action.node != created)
                return top.Fail(where, "a created node gets number " + std::to_string(created) +
                                           ", not " + std::to_string(action.node));
            continue;
        }
        if (action.node > created)
            return top.Fail(where, "node " + std::to_string(action.node) +
                                       " does not exist yet at block " +
                                       std::to_string(action.block));
        const auto closed = closedAt.find(action.node);
        if (closed != closedAt.end())
            return top.Fail(where, "node " + std::to_string(action.node) + " was closed at block " +
                                       std::to_string(closed->second));
        if (action.kind == SceneActionKind::Close)
            closedAt[action.node] = action.block;
    }
    return true;
}

// Without "blocks" the scene lasts until its last input or action.
bool SettleLength(SceneFields& top, Scene& scene, bool declared)
{
    long last = 0;
    for (const SceneNodeSetup& node : scene.nodes)
        if (!node.input.empty())
            last = std::max(last, node.input.back().block);
    for (const SceneAction& action : scene.actions) {
        if (!action.created.input.empty())
            last = std::max(last, action.created.input.back().block);
        if (declared && action.block > scene.blocks + 1)
            return top.Fail(action.place + ".block",
                            "block " + std::to_string(action.block) +
                                " is past the end: the "
                                "scene has " +
                                std::to_string(scene.blocks) +
                                " blocks, and its last actions come at block " +
                                std::to_string(scene.blocks + 1));
        last = std::max(last, action.block);
    }
    if (!declared)
        scene.blocks = std::max(last, 1L);
    return true;
}

bool ReadDocument(const Json& document, Scene& scene, SceneContext& context, std::string& error)
{
    SceneFields top(document, "", error);
    if (!top.IsObject() ||
        !top.OnlyFields(
            {"title", "blockSize", "sampleRate", "blocks", "host", "nodes", "actions"}) ||
        !top.Text("title", scene.title) || !ReadTiming(top, scene, context))
        return false;
    if (top.Has("host") && !ReadHost(top, scene.host))
        return false;
    const bool read =
        ReadList(top, "nodes", scene.nodes,
                 [&](SceneFields& fields, SceneNodeSetup& node) {
                     return ReadSceneNode(fields, context, {}, node);
                 }) &&
        ReadList(top, "actions", scene.actions, [&](SceneFields& fields, SceneAction& action) {
            action.place = top.PlaceOf("actions", scene.actions.size() - 1);
            return ReadSceneAction(fields, context, action);
        });
    if (!read)
        return false;
    std::stable_sort(scene.actions.begin(), scene.actions.end(),
                     [](const SceneAction& a, const SceneAction& b) { return a.block < b.block; });
    return SettleLength(top, scene, context.blocks.has_value()) && CheckNodes(top, scene);
}

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return "";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

bool ReadSceneText(const std::string& text, const std::string& name, const std::string& folder,
                   Scene& scene, std::string& error)
{
    scene = Scene{};
    scene.file = name;
    scene.folder = folder;
    SceneContext context;
    context.folder = folder;
    Json document;
    std::string problem;
    if (!Parse(text, document, problem) || !ReadDocument(document, scene, context, problem)) {
        error = name + ": " + problem;
        return false;
    }
    return true;
}

bool ReadSceneFile(const std::string& path, Scene& scene, std::string& error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = path + ": cannot be read";
        return false;
    }
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    return ReadSceneText(text, path, FolderOf(path), scene, error);
}

}  // namespace tarvenna::host
