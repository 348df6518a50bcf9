// The built module's LV2 face, hosted here as an LV2 host hosts it (one
// process, the module loaded once): LV2 instances are nodes like the VST 2
// ones, so an LV2 sender reaches LV2 and VST 2 receivers of its port and a
// VST 2 sender reaches an LV2 receiver, each note at its frame; the state
// saved from one instance gives another the same settings; the node's
// panel opens as an LV2 UI in a window of the host's.
#include <gtest/gtest.h>

#include "host/Host.h"
#include "host/RelayParameters.h"
#include "host/testing/Xvfb.h"
#include "lv2/Lv2Node.h"
#include "lv2/Lv2Uris.h"
#include "host/testing/Lv2Instance.h"
#include "tests/support/Clicks.h"
#include "tests/support/WaitUntil.h"

#include <lv2/atom/util.h>
#include <lv2/core/lv2.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/midi/midi.h>
#include <lv2/state/state.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <dlfcn.h>

#include <cmath>
#include <map>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace tarvenna::host::test {
namespace {

using namespace lv2face;
using tarvenna::host::Lv2Instance;
using tarvenna::host::UridMap;

constexpr uint32_t kFrames = Lv2Instance::kFrames;

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

// A host that passes a block longer than the maximum it announced has it
// run in pieces: what the node hands its own host keeps its frames.
TEST_F(Lv2Face, ABlockLongerThanTheAnnouncedMaximumKeepsEveryFrame)
{
    Lv2Instance sender(descriptor, urids, 0.0f, 4.0f, 64);
    ASSERT_TRUE(sender.Made());
    sender.Control(kPortThru) = 1.0f;
    for (int block = 0; block < 3; ++block)
        sender.Run({});
    EXPECT_EQ(sender.Run({{10, {0x90, 60, 100}},
                          {100, {0x80, 60, 0}},
                          {200, {0x90, 62, 90}},
                          {255, {0x80, 62, 0}}}),
              "+60@10 -60@100 +62@200 -62@255");

    // An event that claims more bytes than the sequence holds ends the
    // reading where it lies, in the middle as at the end.
    sender.Fill({{5, {0x90, 61, 100}}});
    LV2_Atom_Sequence* in = sender.Input();
    for (const LV2_Atom_Event event :
         {LV2_Atom_Event{{6}, {0xFFFFFFF0u, urids(LV2_MIDI__MidiEvent)}},
          LV2_Atom_Event{{7}, {3, urids(LV2_MIDI__MidiEvent)}}}) {
        auto* at = reinterpret_cast<uint8_t*>(&in->body) + in->atom.size;
        std::memcpy(at, &event, sizeof event);
        std::memcpy(at + sizeof event, "\x80\x3D\0\0\0\0\0\0", 8);
        in->atom.size += sizeof event + 8;
    }
    sender.RunOnly(Lv2Instance::kFrames);
    EXPECT_EQ(sender.Notes(), "+61@5");
}

// The settings travel in LV2's state as the bank chunk a VST 2 host saves:
// one saved by a VST 2 node (with a program name the controls do not carry)
// restored into an LV2 instance is what that instance saves, and it reaches
// the UI as the panel's changes do (for the host's ports to follow). The
// host's ports still decide: one the host did not restore with the state is
// handed over at the next run. A chunk cut short is refused and changes
// nothing, as do controls that are not numbers.
TEST_F(Lv2Face, StateIsTheBankChunkAndBadInputChangesNothing)
{
    const auto chunkOf = [this](int port) {
        std::unique_ptr<HostInstance> vstNode = VstNode(true, port);
        vstNode->SetProgramName("Lead");
        return vstNode->GetChunk(false);
    };
    const std::vector<unsigned char> bank = chunkOf(6);
    ASSERT_FALSE(bank.empty());

    Lv2Instance node(descriptor, urids, 0.0f, 1.0f);
    ASSERT_TRUE(node.Made());
    node.Run({});
    ASSERT_EQ(node.Restore(bank), LV2_STATE_SUCCESS);
    std::vector<unsigned char> saved;
    uint32_t type = 0;
    ASSERT_EQ(node.Save(saved, &type), LV2_STATE_SUCCESS);
    EXPECT_EQ(saved, bank);
    EXPECT_EQ(type, urids(LV2_ATOM__Chunk));
    std::map<uint32_t, float> forTheHost;
    Lv2Node::PanelChanges written;
    static_cast<const Lv2Node*>(node.Handle())
        ->TakePanelChanges(written, [&](uint32_t port, float value) { forTheHost[port] = value; });
    EXPECT_EQ(forTheHost, (std::map<uint32_t, float>{
                              {kPortMode, 1.0f}, {kPortRelayPort, 6.0f}, {kPortThru, 0.0f}}));

    node.Control(kPortMode) = 1.0f;  // restored by the host; the relay port left at 1
    node.Run({});
    const std::vector<unsigned char> shown = chunkOf(1);
    ASSERT_EQ(node.Save(saved), LV2_STATE_SUCCESS);
    EXPECT_EQ(saved, shown);

    EXPECT_NE(node.Restore(std::vector<unsigned char>(bank.begin(), bank.begin() + 20)),
              LV2_STATE_SUCCESS);
    for (uint32_t port : {kPortMode, kPortRelayPort, kPortThru})
        node.Control(port) = std::nanf("");
    node.Run({});
    ASSERT_EQ(node.Save(saved), LV2_STATE_SUCCESS);
    EXPECT_EQ(saved, shown) << "the settings are as they were";
}

// The X server is there before the module loads: the panel lives on the
// module's own connection, made at load.
struct ExportedXvfb {
    ExportedXvfb() { server.ExportDisplay(); }
    Xvfb server;
};

class Lv2Panel : protected ExportedXvfb, public Lv2Face {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.Running()) << server.Error();
        Lv2Face::SetUp();
        const auto entry = reinterpret_cast<const LV2UI_Descriptor* (*)(uint32_t)>(
            dlsym(module.Handle(), "lv2ui_descriptor"));
        ASSERT_NE(entry, nullptr) << "no lv2ui_descriptor";
        ui = entry(0);
        ASSERT_NE(ui, nullptr);
        EXPECT_EQ(entry(1), nullptr);
        display = XOpenDisplay(server.Name().c_str());
        ASSERT_NE(display, nullptr);
        parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 300, 300, 0, 0, 0);
        XMapWindow(display, parent);
        XSync(display, False);
    }
    void TearDown() override
    {
        if (display != nullptr)
            XCloseDisplay(display);
    }

    const LV2UI_Descriptor* ui = nullptr;
    Display* display = nullptr;
    Window parent = 0;
};

struct Written {
    std::vector<std::pair<uint32_t, float>> values;
    bool elsewhere = false;  // a write from a thread other than the idle caller's
    std::thread::id host = std::this_thread::get_id();
};

// The panel shows inside the host's window at its size; what a click on
// it changes reaches the host's control ports through the write function,
// from the host's idle calls only.
TEST_F(Lv2Panel, ShowsInTheHostsWindowAndWritesWhatAClickChanges)
{
    Lv2Instance node(descriptor, urids, 0.0f, 1.0f);
    ASSERT_TRUE(node.Made());
    node.Run({});
    Written written;
    const auto write = [](LV2UI_Controller controller, uint32_t port, uint32_t size,
                          uint32_t format, const void* buffer) {
        auto& into = *static_cast<Written*>(controller);
        into.elsewhere = into.elsewhere || std::this_thread::get_id() != into.host;
        if (format == 0 && size == sizeof(float))
            into.values.emplace_back(port, *static_cast<const float*>(buffer));
    };
    std::pair<int, int> size;
    LV2UI_Resize resize{&size, [](LV2UI_Feature_Handle handle, int width, int height) {
                            *static_cast<std::pair<int, int>*>(handle) = {width, height};
                            return 0;
                        }};
    LV2_Feature instance{LV2_INSTANCE_ACCESS_URI, node.Handle()};
    LV2_Feature parentWindow{LV2_UI__parent, reinterpret_cast<void*>(parent)};
    LV2_Feature resizing{LV2_UI__resize, &resize};
    const LV2_Feature* features[] = {&urids.feature, &instance, &parentWindow, &resizing, nullptr};
    LV2UI_Widget widget = nullptr;
    LV2UI_Handle handle = ui->instantiate(ui, kPluginUri, "", write, &written, &widget, features);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(size, std::make_pair(170, 200));
    const auto panel = static_cast<Window>(reinterpret_cast<uintptr_t>(widget));
    Window root = 0, panelParent = 0, *children = nullptr;
    unsigned count = 0;
    ASSERT_TRUE(XQueryTree(display, panel, &root, &panelParent, &children, &count));
    XFree(children);
    EXPECT_EQ(panelParent, parent) << "the widget is the panel, inside the host's window";

    const auto* idle =
        static_cast<const LV2UI_Idle_Interface*>(ui->extension_data(LV2_UI__idleInterface));
    ASSERT_NE(idle, nullptr);
    const auto heard = [&](uint32_t port, float value) {
        return tarvenna::test::WaitUntil([&] {
            idle->idle(handle);
            for (const auto& [at, was] : written.values)
                if (at == port && was == value)
                    return true;
            return false;
        });
    };
    tarvenna::test::ClickInWindow(display, panel, 113, 72);  // Receive
    EXPECT_TRUE(heard(kPortMode, 1.0f));
    tarvenna::test::ClickInWindow(display, panel, 96, 130);  // port 7
    EXPECT_TRUE(heard(kPortRelayPort, 7.0f));
    EXPECT_FALSE(written.elsewhere);
    ui->cleanup(handle);

    // A host that cleans up an instance before its UI: the UI stops.
    auto first = std::make_unique<Lv2Instance>(descriptor, urids, 0.0f, 1.0f);
    LV2_Feature firstInstance{LV2_INSTANCE_ACCESS_URI, first->Handle()};
    features[1] = &firstInstance;
    handle = ui->instantiate(ui, kPluginUri, "", write, &written, &widget, features);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(idle->idle(handle), 0);
    first.reset();
    EXPECT_NE(idle->idle(handle), 0) << "the UI goes on with its node gone";
    ui->cleanup(handle);
}

}  // namespace
}  // namespace tarvenna::host::test
