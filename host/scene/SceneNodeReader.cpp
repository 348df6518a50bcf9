// A node of a scene: its settings, what the scene expects of it, and the
// MIDI its host plays into it, written out or taken from a MIDI file.
#include <algorithm>
#include <cmath>

#include "host/scene/MidiFile.h"
#include "host/RelayParameters.h"
#include "host/scene/SceneFields.h"

namespace tarvenna::host {

namespace {

// Data bytes that follow each kind of channel message.
int DataBytes(int status) { return (status & 0xf0) == 0xc0 || (status & 0xf0) == 0xd0 ? 1 : 2; }

bool ReadMessage(SceneFields& fields, SceneMidi& midi)
{
    const nlohmann::json& bytes = fields.Field("midi");
    const std::string place = fields.PlaceOf("midi");
    if (!bytes.is_array() || bytes.empty())
        return fields.Fail(place, "must be a list of the message's bytes, e.g. [144, 60, 100]");
    std::vector<long> values;
    for (const nlohmann::json& byte : bytes) {
        if (!byte.is_number_integer() || byte.get<long long>() < 0 || byte.get<long long>() > 255)
            return fields.Fail(place, "holds " + byte.dump() + ", which is no byte (0 to 255)");
        values.push_back(static_cast<long>(byte.get<long long>()));
    }
    if (values[0] < 0x80 || values[0] >= 0xf0)
        return fields.Fail(place, "must start with the status byte of a channel message (128 to "
                                  "239), not " +
                                      std::to_string(values[0]));
    const std::size_t expected = 1 + static_cast<std::size_t>(DataBytes(values[0]));
    if (values.size() != expected)
        return fields.Fail(place, "a message with status " + std::to_string(values[0]) + " has " +
                                      std::to_string(expected) + " bytes, not " +
                                      std::to_string(values.size()));
    for (std::size_t i = 1; i < values.size(); ++i)
        if (values[i] > 127)
            return fields.Fail(place, "data bytes are 0 to 127, not " + std::to_string(values[i]));
    midi.status = static_cast<std::uint8_t>(values[0]);
    midi.data1 = static_cast<std::uint8_t>(values[1]);
    midi.data2 = values.size() > 2 ? static_cast<std::uint8_t>(values[2]) : 0;
    return true;
}

bool ReadEvent(SceneFields& fields, const SceneContext& context, SceneMidi& midi)
{
    if (!fields.IsObject() || !fields.OnlyFields({"block", "frame", "midi"}))
        return false;
    if (!fields.Has("block") || !fields.Has("midi"))
        return fields.Fail(fields.PlaceOf(fields.Has("block") ? "midi" : "block"),
                           "is missing; an event needs a block and its midi bytes");
    const long last = context.blocks.value_or(100000000L);
    long frame = 0;
    if (!fields.Integer("block", 1, last, midi.block) ||
        !fields.Integer("frame", 0, context.blockSize - 1, frame))
        return false;
    midi.frame = static_cast<VstInt32>(frame);
    return ReadMessage(fields, midi);
}

// The file's time becomes a block and a frame at the scene's rate; events
// after the scene's last block are not played.
bool ReadFile(SceneFields& fields, const SceneContext& context, std::vector<SceneMidi>& input)
{
    if (!fields.OnlyFields({"file", "track", "startBlock"}))
        return false;
    std::string file;
    long track = 0;
    long start = 1;
    if (!fields.Text("file", file) || !fields.Integer("track", 0, 65535, track) ||
        !fields.Integer("startBlock", 1, 100000000L, start))
        return false;
    std::vector<TimedMidi> events;
    std::string error;
    if (!ReadMidiFile(ScenePath(context, file), static_cast<int>(track), events, error))
        return fields.Fail(fields.PlaceOf("file"), error);
    for (const TimedMidi& event : events) {
        const long long sample = std::llround(event.seconds * context.sampleRate);
        SceneMidi midi{start + static_cast<long>(sample / context.blockSize),
                       static_cast<VstInt32>(sample % context.blockSize), event.status, event.data1,
                       event.data2};
        if (!context.blocks || midi.block <= *context.blocks)
            input.push_back(midi);
    }
    return true;
}

bool ReadInputItem(SceneFields& fields, const SceneContext& context, std::vector<SceneMidi>& input)
{
    if (!fields.IsObject())
        return false;
    if (fields.Has("file"))
        return ReadFile(fields, context, input);
    SceneMidi midi;
    if (!ReadEvent(fields, context, midi))
        return false;
    input.push_back(midi);
    return true;
}

// A list of events and files, or one file.
bool ReadInput(SceneFields& node, const SceneContext& context, std::vector<SceneMidi>& input)
{
    const nlohmann::json& value = node.Field("input");
    std::string error;
    if (value.is_object()) {
        SceneFields file(value, node.PlaceOf("input"), error);
        if (!ReadFile(file, context, input))
            return node.Fail("", error);
    } else if (value.is_array()) {
        for (std::size_t i = 0; i < value.size(); ++i) {
            SceneFields item(value[i], node.PlaceOf("input", i), error);
            if (!ReadInputItem(item, context, input))
                return node.Fail("", error);
        }
    } else {
        return node.Fail(node.PlaceOf("input"),
                         "must be a list of events or a MIDI file { \"file\": ... }");
    }
    std::stable_sort(input.begin(), input.end(), [](const SceneMidi& a, const SceneMidi& b) {
        return a.block != b.block ? a.block < b.block : a.frame < b.frame;
    });
    return true;
}

bool ReadMode(SceneFields& fields, SceneNodeSetup& node)
{
    std::optional<std::string> mode;
    if (!fields.Text("mode", mode))
        return false;
    if (!mode)
        return true;
    if (*mode != "Send" && *mode != "Receive")
        return fields.Fail(fields.PlaceOf("mode"),
                           "must be \"Send\" or \"Receive\", not \"" + *mode + "\"");
    node.mode = *mode == "Send" ? NodeMode::Send : NodeMode::Receive;
    return true;
}

}  // namespace

std::string ScenePath(const SceneContext& context, const std::string& file)
{
    if (file.empty() || file[0] == '/' || context.folder.empty())
        return file;
    return context.folder + "/" + file;
}

bool ReadSceneNode(SceneFields& fields, const SceneContext& context,
                   const std::vector<const char*>& extra, SceneNodeSetup& node)
{
    std::vector<const char*> names{"mode", "port", "thru", "input", "silent", "output"};
    names.insert(names.end(), extra.begin(), extra.end());
    if (!fields.IsObject() || !fields.OnlyFields(names) || !ReadMode(fields, node))
        return false;
    std::optional<long> port;
    std::optional<bool> silent;
    std::string output;
    if (!fields.Integer("port", 1, kRelayPorts, port) || !fields.Boolean("thru", node.thru) ||
        !fields.Boolean("silent", silent) || !fields.Text("output", output))
        return false;
    if (port)
        node.port = static_cast<int>(*port);
    node.silent = silent.value_or(false);
    node.output = output.empty() ? "" : ScenePath(context, output);
    return !fields.Has("input") || ReadInput(fields, context, node.input);
}

}  // namespace tarvenna::host
