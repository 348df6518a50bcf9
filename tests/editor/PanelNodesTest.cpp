// The panel's texts and its node list, with nodes made in-process under our
// host library and their panels on a private X server: what the list and
// the ID label hold is read from the widgets themselves.
#include "tests/gui/ToolkitDisplay.h"

#include "editor/NodeListText.h"
#include "editor/SPluginEditor.h"
#include "editor/SPluginPanel.h"
#include "editor/SStaticData.h"
#include "gui/widgets/SButton.h"
#include "gui/widgets/SLabel.h"
#include "gui/widgets/SListBox.h"
#include "gui/widgets/SSlider.h"
#include "host/Host.h"
#include "plugin/ParameterIndex.h"
#include "relay/VSTPlugin.h"
#include "tests/support/WaitUntil.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string NodeLine(int port, int id, bool sends)
{
    kvor::data::datastring<32, char> text;
    AppendNodeListLine(text, port, id, sends);
    return text.data;
}

using tarvenna::test::WaitUntil;

std::string IdText(int id)
{
    kvor::data::datastring<32, char> text;
    AppendNodeIdText(text, id);
    return text.data;
}

TEST(NodeTexts, TwoDigitsUpToNineThenPlainDecimal)
{
    EXPECT_EQ(NodeLine(3, 7, false), "Port 3:   ID: 07 (R)");
    EXPECT_EQ(NodeLine(1, 2, true), "Port 1:   ID: 02 (S)");
    EXPECT_EQ(NodeLine(8, 64, true), "Port 8:   ID: 64 (S)");
    EXPECT_EQ(IdText(9), "ID:  09");
    EXPECT_EQ(IdText(10), "ID:  10");
}

// A node whose editor the test can reach.
class PanelNode : public VSTPlugin {
public:
    using VSTPlugin::VSTPlugin;
    SPluginEditor* Editor() const { return static_cast<SPluginEditor*>(pluginEditor); }
};

class PanelNodes : public tarvenna::test::ToolkitSuite<PanelNodes> {
public:
    static std::vector<std::string> Screens() { return {"640x480x24"}; }

protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ToolkitSuite::SetUp());
        parent =
            XCreateSimpleWindow(display(), DefaultRootWindow(display()), 0, 0, 170, 200, 0, 0, 0);
        XSync(display(), False);
    }
    void TearDown() override
    {
        instances.clear();  // panels go before their parent window
        XDestroyWindow(display(), parent);
        XSync(display(), False);
    }

    PanelNode* Make(int mode, int port)
    {
        PanelNode* node = nullptr;
        int result = 0;
        instances.push_back(host.Instantiate([&](audioMasterCallback callback) {
            node = new PanelNode(callback, result, SPluginEditor::Make);
            return node->getAeffect();
        }));
        EXPECT_EQ(result, 0);
        instances.back()->SetParameter(kParameterMode, static_cast<float>(mode));
        instances.back()->SetParameter(kParameterPort, static_cast<float>(port) / 7.0f);
        return node;
    }
    // The node's panel, opened in our window with no display handed over.
    SPluginPanel* OpenPanel(PanelNode* node)
    {
        node->dispatcher(effEditOpen, 0, 0, reinterpret_cast<void*>(parent), 0.0f);
        return node->Editor()->Panel();
    }
    static std::vector<std::string> Items(SPluginPanel* panel)
    {
        std::vector<std::string> items;
        for (int i = 0; i < panel->Nodes()->CountItems(); ++i)
            items.emplace_back(panel->Nodes()->GetItem(static_cast<unsigned>(i)));
        return items;
    }
    // What a click on the Nodes button does; the idle pass switches the
    // view.
    static bool PressNodes(SPluginPanel* panel)
    {
        const bool nodes = !panel->NodeView();
        panel->NodesButton()->Toggle();
        return WaitUntil([&] { return panel->NodeView() == nodes; });
    }
    static bool Lists(SPluginPanel* panel, const std::string& line)
    {
        return WaitUntil([&] {
            const std::vector<std::string> items = Items(panel);
            return std::find(items.begin(), items.end(), line) != items.end();
        });
    }
    // Wheel presses on the list, through the server to the event thread.
    void Wheel(SPluginPanel* panel, unsigned button, int times)
    {
        XEvent event{};
        event.xbutton.type = ButtonPress;
        event.xbutton.window = panel->Nodes()->GetWindow();
        event.xbutton.button = button;
        event.xbutton.same_screen = True;
        for (int i = 0; i < times; ++i)
            XSendEvent(display(), event.xbutton.window, False, ButtonPressMask, &event);
        XFlush(display());
    }

    tarvenna::host::Host host;
    std::vector<std::unique_ptr<tarvenna::host::HostInstance>> instances;
    ::Window parent = 0;
};

TEST_F(PanelNodes, ListsEveryNodeByPortAndSelectsItsOwn)
{
    PanelNode* sender = Make(0, 0);
    PanelNode* receiver = Make(1, 0);
    PanelNode* other = Make(1, 3);
    SPluginPanel* panel = OpenPanel(receiver);
    ASSERT_NE(panel, nullptr);
    ASSERT_FALSE(panel->NodeView());
    ASSERT_FALSE(panel->Nodes()->IsShown());

    ASSERT_TRUE(PressNodes(panel));
    const std::vector<std::string> expected = {NodeLine(1, sender->nodeId, true),
                                               NodeLine(1, receiver->nodeId, false),
                                               NodeLine(4, other->nodeId, false)};
    EXPECT_EQ(Items(panel), expected);
    EXPECT_EQ(panel->Nodes()->GetSelection(), 1) << "the receiver's own line";
    // The view flag turns before the list is shown, within the same pass.
    EXPECT_TRUE(WaitUntil([&] { return panel->Nodes()->IsShown(); }));

    EXPECT_TRUE(PressNodes(panel)) << "back to the controls";
}

TEST_F(PanelNodes, TheListFollowsTheNodesShownOrNot)
{
    SPluginPanel* panel = OpenPanel(Make(0, 2));
    ASSERT_TRUE(PressNodes(panel));
    EXPECT_TRUE(Lists(panel, NodeLine(3, Make(1, 2)->nodeId, false))) << "a shown list follows";
    ASSERT_TRUE(PressNodes(panel));
    PanelNode* late = Make(1, 2);
    ASSERT_TRUE(PressNodes(panel));
    EXPECT_TRUE(Lists(panel, NodeLine(3, late->nodeId, false)));
}

TEST_F(PanelNodes, TheIdLabelShowsTheNodeAfterTheFullRefresh)
{
    PanelNode* node = Make(0, 0);
    SPluginPanel* panel = OpenPanel(node);
    EXPECT_TRUE(WaitUntil(
        [&] { return std::string(panel->IdLabel()->LabelNow().data) == IdText(node->nodeId); }));
    EXPECT_EQ(panel->ModeButtons().size(), 2u);
    EXPECT_EQ(panel->PortButtons().size(), 8u);
    EXPECT_TRUE(WaitUntil([&] {
        return panel->PortButtons()[0]->GetValue() == 1 && panel->ModeButtons()[0]->GetValue() == 1;
    })) << "a sender on port 1: Send and port 1 on";
}

// Under eight rows fit. A refresh leaves the rows in view where they were,
// or shows the last ones when the list got too short for them, and the bar
// says so.
TEST_F(PanelNodes, ARefreshKeepsTheScrollPositionAndTheBarAgrees)
{
    PanelNode* own = Make(1, 0);
    for (int i = 0; i < 24; ++i)
        Make(i % 2, i % 8);
    SPluginPanel* panel = OpenPanel(own);
    SPluginPanel::NodeList* list = panel->Nodes();
    ASSERT_TRUE(PressNodes(panel));
    Wheel(panel, Button4, 20);
    ASSERT_TRUE(WaitUntil([&] { return list->scrollPosition.load() == 100; }));
    Wheel(panel, Button5, 2);
    ASSERT_TRUE(WaitUntil([&] { return list->scrollPosition.load() == 76; }));
    const int top = list->ScrollOffset();

    for (int i = 0; i < 8; ++i)
        Make(1, 7);
    ASSERT_TRUE(WaitUntil([&] { return list->CountItems() == 33; }));
    EXPECT_NEAR(list->ScrollOffset(), top, 2) << "the same rows in view";
    EXPECT_EQ(list->ScrollBar()->GetValue(), list->scrollPosition.load());

    Wheel(panel, Button5, 6);
    ASSERT_TRUE(WaitUntil([&] { return list->ScrollBar()->GetValue() < 20; }));
    instances.resize(10);  // the panel's own node first
    ASSERT_TRUE(WaitUntil([&] { return list->CountItems() == 10; }));
    EXPECT_EQ(list->ScrollOffset(), 10 * SPluginPanel::NodeList::kRowHeight - 105)
        << "the last rows";
    EXPECT_EQ(list->scrollPosition.load(), 0);
    EXPECT_EQ(list->ScrollBar()->GetValue(), 0);
}

}  // namespace

namespace {

TEST_F(PanelNodes, ReopeningKeepsTheOnePanelContainerAndDialog)
{
    PanelNode* node = Make(1, 5);
    SPluginPanel* panel = OpenPanel(node);
    SPluginEditor* editor = node->Editor();
    kvor::gui::SControl* container = editor->Container();
    kvor::gui::SMessageDialog* dialog = editor->MessageDialog();
    ASSERT_NE(container, nullptr);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(PressNodes(panel));
    node->dispatcher(effEditClose, 0, 0, nullptr, 0.0f);
    PanelNode* meanwhile = Make(0, 5);
    EXPECT_EQ(OpenPanel(node), panel);
    EXPECT_EQ(editor->Container(), container);
    EXPECT_EQ(editor->MessageDialog(), dialog);
    EXPECT_TRUE(panel->NodeView()) << "the view survives closing";
    EXPECT_TRUE(Lists(panel, NodeLine(6, meanwhile->nodeId, true)))
        << "the list shows the nodes of now";
}

TEST_F(PanelNodes, SwitchingTheNodeOffDarkensItsLamps)
{
    PanelNode* node = Make(0, 0);
    tarvenna::host::HostInstance& instance = *instances.back();
    instance.Resume();
    SPluginPanel* panel = OpenPanel(node);
    const int orange = statdata.Colour(SStaticData::kOrange);
    const int black = statdata.Colour(SStaticData::kBlack);
    ASSERT_TRUE(WaitUntil([&] {
        instance.RunBlock({{0, 0x90, 60, 100}, {8, 0x80, 60, 0}}, 32);
        return panel->MidiInLamp()->Colour() == orange;
    }));
    instance.Suspend();
    EXPECT_TRUE(WaitUntil([&] {
        return panel->MidiInLamp()->Colour() == black && panel->MidiOutLamp()->Colour() == black;
    }));
}

}  // namespace
