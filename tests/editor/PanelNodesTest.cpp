// The panel's texts and its node list, with nodes made in-process under our
// host library and their panels on a private X server: what the list and
// the ID label hold is read from the widgets themselves.
#include "tests/gui/ToolkitDisplay.h"

#include "editor/NodeListText.h"
#include "editor/SPluginEditor.h"
#include "editor/SPluginPanel.h"
#include "gui/SEvent.h"
#include "gui/widgets/SButton.h"
#include "gui/widgets/SLabel.h"
#include "gui/widgets/SListBox.h"
#include "host/Host.h"
#include "relay/VSTPlugin.h"
#include "tests/support/WaitUntil.h"

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
    SPluginEditor* Editor() const { return pluginEditor; }
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
            node = new PanelNode(callback, result);
            return node->getAeffect();
        }));
        EXPECT_EQ(result, 0);
        instances.back()->SetParameter(0, static_cast<float>(mode));
        instances.back()->SetParameter(1, static_cast<float>(port) / 7.0f);
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
    // What a click on the Nodes button reports to the panel.
    static void PressNodes(SPluginPanel* panel)
    {
        kvor::gui::SEvent event;
        event.code = kvor::gui::kEventValueChanged;
        event.kind = kvor::gui::kEventKindValue;
        event.sender = panel->NodesButton();
        panel->ParseEvent(&event);
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

    PressNodes(panel);
    EXPECT_TRUE(panel->NodeView());
    const std::vector<std::string> expected = {NodeLine(1, sender->nodeId, true),
                                               NodeLine(1, receiver->nodeId, false),
                                               NodeLine(4, other->nodeId, false)};
    EXPECT_EQ(Items(panel), expected);
    EXPECT_EQ(panel->Nodes()->GetSelection(), 1) << "the receiver's own line";

    PressNodes(panel);
    EXPECT_FALSE(panel->NodeView());
}

TEST_F(PanelNodes, TheListIsRebuiltOnlyWhileShown)
{
    PanelNode* first = Make(0, 2);
    SPluginPanel* panel = OpenPanel(first);
    PressNodes(panel);
    PressNodes(panel);  // back to the controls: the list is hidden
    const std::vector<std::string> before = Items(panel);

    PanelNode* late = Make(1, 2);
    panel->RefreshControls(VSTPlugin::kNodeListChanged);
    EXPECT_EQ(Items(panel), before) << "a hidden list is left alone";

    PressNodes(panel);
    const std::vector<std::string> after = Items(panel);
    EXPECT_EQ(after.size(), before.size() + 1);
    EXPECT_NE(std::find(after.begin(), after.end(), NodeLine(3, late->nodeId, false)), after.end());
    Make(1, 2);
    panel->RefreshControls(VSTPlugin::kNodeListChanged);
    EXPECT_EQ(Items(panel).size(), after.size() + 1) << "a shown list follows";
}

TEST_F(PanelNodes, TheIdLabelShowsTheNodeAfterTheFullRefresh)
{
    PanelNode* node = Make(0, 0);
    SPluginPanel* panel = OpenPanel(node);
    panel->RefreshControls(-1);
    EXPECT_EQ(std::string(panel->IdLabel()->GetLabel().data), IdText(node->nodeId));
    EXPECT_EQ(panel->ModeButtons().size(), 2u);
    EXPECT_EQ(panel->PortButtons().size(), 8u);
    // The idle thread refreshes the same buttons after the opening; a
    // refresh clears every port button before it sets the node's.
    EXPECT_TRUE(tarvenna::test::WaitUntil([&] {
        return panel->PortButtons()[0]->GetValue() == 1 && panel->ModeButtons()[0]->GetValue() == 1;
    })) << "a sender on port 1: Send and port 1 on";
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
    PressNodes(panel);
    node->dispatcher(effEditClose, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(OpenPanel(node), panel);
    EXPECT_EQ(editor->Container(), container);
    EXPECT_EQ(editor->MessageDialog(), dialog);
    EXPECT_TRUE(panel->NodeView()) << "the view survives closing";
}

}  // namespace
