// The built module's LV2 face, hosted here as an LV2 host hosts it (one
// process, the module loaded once): LV2 instances are nodes like the VST 2
// ones, so an LV2 sender reaches LV2 and VST 2 receivers of its port and a
// VST 2 sender reaches an LV2 receiver, each note at its frame; the state
// saved from one instance gives another the same settings.
#include <gtest/gtest.h>

#include "host/Host.h"
#include "host/RelayParameters.h"
#include "lv2/Lv2Uris.h"

#include <lv2/atom/util.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <dlfcn.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tarvenna::host::test {
namespace {

using namespace lv2face;

constexpr uint32_t kFrames = 256;

class UridMap {
public:
    LV2_URID_Map map{this, &UridMap::Map};
    LV2_Feature feature{LV2_URID__map, &map};

private:
    static LV2_URID Map(LV2_URID_Map_Handle handle, const char* uri)
    {
        auto& ids = static_cast<UridMap*>(handle)->ids;
        return ids.emplace(uri, static_cast<LV2_URID>(ids.size() + 1)).first->second;
    }
    std::map<std::string, LV2_URID> ids;
};

// One LV2 instance with its buffers, run a block at a time.
class Lv2Instance {
public:
    Lv2Instance(const LV2_Descriptor* descriptor, UridMap& urids, float mode, float port)
        : descriptor(descriptor),
          map(urids.map)
    {
        const LV2_Feature* features[] = {&urids.feature, nullptr};
        handle = descriptor->instantiate(descriptor, 48000.0, "", features);
        if (handle == nullptr)
            return;
        controls[kPortMode - kPortMode] = mode;
        controls[kPortRelayPort - kPortMode] = port;
        for (uint32_t p = 0; p < 4; ++p)
            descriptor->connect_port(handle, p, audio[p].data());
        descriptor->connect_port(handle, kPortMidiIn, in.data());
        descriptor->connect_port(handle, kPortMidiOut, out.data());
        for (uint32_t p = kPortMode; p <= kPortPanic; ++p)
            descriptor->connect_port(handle, p, &controls[p - kPortMode]);
        descriptor->activate(handle);
    }
    ~Lv2Instance()
    {
        if (handle != nullptr) {
            descriptor->deactivate(handle);
            descriptor->cleanup(handle);
        }
    }
    bool Made() const { return handle != nullptr; }
    LV2_Handle Handle() const { return handle; }

    // Runs a block with these MIDI events in; the notes that came out as
    // "+key@frame" and "-key@frame".
    std::string Run(const std::vector<std::pair<uint32_t, std::vector<uint8_t>>>& events)
    {
        auto* sequence = reinterpret_cast<LV2_Atom_Sequence*>(in.data());
        sequence->atom = {sizeof(LV2_Atom_Sequence_Body), Urid(LV2_ATOM__Sequence)};
        sequence->body = {0, 0};
        for (const auto& [frame, bytes] : events) {
            struct {
                LV2_Atom_Event head;
                uint8_t data[8];
            } event = {};
            event.head.time.frames = frame;
            event.head.body = {static_cast<uint32_t>(bytes.size()), Urid(LV2_MIDI__MidiEvent)};
            std::copy(bytes.begin(), bytes.end(), event.data);
            lv2_atom_sequence_append_event(sequence, in.size() * 8, &event.head);
        }
        auto* output = reinterpret_cast<LV2_Atom_Sequence*>(out.data());
        output->atom = {static_cast<uint32_t>(out.size() * 8 - sizeof(LV2_Atom)), 0};
        descriptor->run(handle, kFrames);
        std::string notes;
        LV2_ATOM_SEQUENCE_FOREACH(output, event)
        {
            const auto* data = static_cast<const uint8_t*>(LV2_ATOM_BODY_CONST(&event->body));
            if (event->body.type != Urid(LV2_MIDI__MidiEvent) || (data[0] & 0xE0) != 0x80)
                continue;
            const bool on = (data[0] & 0xF0) == 0x90 && data[2] != 0;
            notes += std::string(notes.empty() ? "" : " ") + (on ? "+" : "-") +
                     std::to_string(data[1]) + "@" + std::to_string(event->time.frames);
        }
        return notes;
    }

private:
    LV2_URID Urid(const char* uri) { return map.map(map.handle, uri); }

    const LV2_Descriptor* descriptor;
    LV2_URID_Map& map;
    LV2_Handle handle = nullptr;
    std::vector<float> audio[4] = {std::vector<float>(kFrames), std::vector<float>(kFrames),
                                   std::vector<float>(kFrames), std::vector<float>(kFrames)};
    std::vector<uint64_t> in = std::vector<uint64_t>(1024);
    std::vector<uint64_t> out = std::vector<uint64_t>(2048);
    float controls[4] = {};
};

std::string VstNotes(HostInstance& node)
{
    std::string notes;
    for (const VstMidiEvent& event : node.Recorded().midiOut) {
        if ((event.midiData[0] & 0xE0) != 0x80)
            continue;
        const bool on = (event.midiData[0] & 0xF0) == 0x90 && event.midiData[2] != 0;
        notes += std::string(notes.empty() ? "" : " ") + (on ? "+" : "-") +
                 std::to_string(static_cast<uint8_t>(event.midiData[1])) + "@" +
                 std::to_string(event.deltaFrames);
    }
    node.ClearRecorded();
    return notes;
}

class Lv2Face : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(module.Loaded()) << module.Error();
        const auto entry = reinterpret_cast<const LV2_Descriptor* (*)(uint32_t)>(
            dlsym(module.Handle(), "lv2_descriptor"));
        ASSERT_NE(entry, nullptr) << "no lv2_descriptor";
        descriptor = entry(0);
        ASSERT_NE(descriptor, nullptr);
        EXPECT_STREQ(descriptor->URI, kPluginUri);
        EXPECT_EQ(entry(1), nullptr);
    }

    std::unique_ptr<HostInstance> VstNode(bool receive, int port)
    {
        std::unique_ptr<HostInstance> node = host.Instantiate(module);
        node->Open();
        node->SetSampleRate(48000.0f);
        node->SetBlockSize(kFrames);
        node->Resume();
        node->SetParameter(kParameterPort, RelayPortValue(port));
        node->SetParameter(kParameterMode, receive ? 1.0f : 0.0f);
        return node;
    }

    Module module{TARVENNA_MODULE_PATH};
    Host host;
    UridMap urids;
    const LV2_Descriptor* descriptor = nullptr;
};

TEST_F(Lv2Face, NodesOfBothFacesRelayToEachOtherAtTheirFrames)
{
    Lv2Instance sender(descriptor, urids, 0.0f, 3.0f);
    Lv2Instance receiver(descriptor, urids, 1.0f, 3.0f);
    ASSERT_TRUE(sender.Made() && receiver.Made());
    std::unique_ptr<HostInstance> vstReceiver = VstNode(true, 3);
    std::unique_ptr<HostInstance> vstSender = VstNode(false, 5);
    Lv2Instance otherReceiver(descriptor, urids, 1.0f, 5.0f);
    // A few blocks for everyone first: the controls reach the nodes, and a
    // node that changed its mode or port flushes over two blocks.
    for (int block = 0; block < 3; ++block) {
        for (Lv2Instance* node : {&sender, &receiver, &otherReceiver})
            node->Run({});
        vstReceiver->RunBlock(std::vector<MidiMessage>{}, kFrames);
        vstSender->RunBlock(std::vector<MidiMessage>{}, kFrames);
    }
    VstNotes(*vstReceiver);

    EXPECT_EQ(sender.Run({{10, {0x90, 60, 100}}, {12, {0xF8}}, {100, {0x80, 60, 0}}}), "")
        << "Thru is off; the clock byte is no note";
    EXPECT_EQ(receiver.Run({}), "+60@10 -60@100");
    vstReceiver->RunBlock(std::vector<MidiMessage>{}, kFrames);
    EXPECT_EQ(VstNotes(*vstReceiver), "+60@10 -60@100");

    vstSender->RunBlock(std::vector<MidiMessage>{{30, 0x90, 64, 90}, {200, 0x80, 64, 0}}, kFrames);
    EXPECT_EQ(otherReceiver.Run({}), "+64@30 -64@200");
    EXPECT_EQ(receiver.Run({}), "") << "port 3 heard port 5";
}

// The settings travel in LV2's state as the bank chunk a VST 2 host saves:
// one saved by a VST 2 node (with a program name the controls do not carry)
// restored into an LV2 instance is what that instance saves; a chunk cut
// short is refused and changes nothing.
TEST_F(Lv2Face, StateIsTheBankChunkAndABadOneChangesNothing)
{
    std::unique_ptr<HostInstance> vstNode = VstNode(true, 6);
    vstNode->SetProgramName("Lead");
    const std::vector<unsigned char> bank = vstNode->GetChunk(false);
    ASSERT_FALSE(bank.empty());

    Lv2Instance node(descriptor, urids, 1.0f, 6.0f);
    ASSERT_TRUE(node.Made());
    node.Run({});
    const auto* state =
        static_cast<const LV2_State_Interface*>(descriptor->extension_data(LV2_STATE__interface));
    ASSERT_NE(state, nullptr);
    struct Stored {
        std::vector<unsigned char> bytes;
        uint32_t type = 0;
    } stored{bank, urids.map.map(urids.map.handle, LV2_ATOM__Chunk)};
    const auto retrieve = [](LV2_State_Handle handle, uint32_t, size_t* size, uint32_t* type,
                             uint32_t* flags) -> const void* {
        auto& from = *static_cast<Stored*>(handle);
        *size = from.bytes.size();
        *type = from.type;
        *flags = LV2_STATE_IS_POD;
        return from.bytes.data();
    };
    const auto store = [](LV2_State_Handle handle, uint32_t, const void* value, size_t size,
                          uint32_t type, uint32_t) {
        auto& into = *static_cast<Stored*>(handle);
        into.bytes.assign(static_cast<const unsigned char*>(value),
                          static_cast<const unsigned char*>(value) + size);
        into.type = type;
        return LV2_STATE_SUCCESS;
    };
    ASSERT_EQ(state->restore(node.Handle(), retrieve, &stored, 0, nullptr), LV2_STATE_SUCCESS);
    Stored saved;
    ASSERT_EQ(state->save(node.Handle(), store, &saved, 0, nullptr), LV2_STATE_SUCCESS);
    EXPECT_EQ(saved.bytes, bank);
    EXPECT_EQ(saved.type, stored.type);

    Stored cut{std::vector<unsigned char>(bank.begin(), bank.begin() + 20), stored.type};
    EXPECT_NE(state->restore(node.Handle(), retrieve, &cut, 0, nullptr), LV2_STATE_SUCCESS);
    ASSERT_EQ(state->save(node.Handle(), store, &saved, 0, nullptr), LV2_STATE_SUCCESS);
    EXPECT_EQ(saved.bytes, bank) << "the settings are as they were";
}

}  // namespace
}  // namespace tarvenna::host::test
