// The editor opcodes that the plug-in base answers itself.
#include "RecordingEditor.h"
#include "TestPlugin.h"

#include <gtest/gtest.h>

#include "editor/SPluginPanel.h"
#include "host/testing/Xvfb.h"
#include "tests/support/WaitUntil.h"

#include <X11/Xlib.h>

namespace {

// A stand-in for the host's window: without a display the editor keeps it
// but makes no windows in it.
void* const kParent = reinterpret_cast<void*>(uintptr_t{0x2a00001});
// Any non-null pointer: refused before the editor is reached.
Display* const kSomeDisplay = reinterpret_cast<Display*>(uintptr_t{0x1000});

// Two connections of a host to a private X server, and a window of the
// first: a display handed over makes the editor build its panel on it.
class HostDisplays {
public:
    HostDisplays() : server({"640x480x24"})
    {
        if (!server.Running())
            return;
        first = XOpenDisplay(server.Name().c_str());
        second = XOpenDisplay(server.Name().c_str());
        if (first != nullptr)
            window = XCreateSimpleWindow(first, DefaultRootWindow(first), 0, 0, 170, 200, 0, 0, 0);
        if (first != nullptr)
            XSync(first, False);
    }
    ~HostDisplays()
    {
        if (second != nullptr)
            XCloseDisplay(second);
        if (first != nullptr)
            XCloseDisplay(first);
    }
    bool Ready() const { return first != nullptr && second != nullptr && window != 0; }
    void* Parent() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(window)); }

    tarvenna::host::Xvfb server;
    Display* first = nullptr;
    Display* second = nullptr;
    Window window = 0;
};

class EditorOpcodes : public ::testing::Test {
protected:
    EditorOpcodes()
    {
        editor = new RecordingEditor(*hosted.plugin, hosted.result, *hosted.instance);
        hosted.plugin->ReplaceEditor(editor);
    }

    VstIntPtr Open(Display* display, void* parent = kParent)
    {
        return hosted.Dispatch(effEditOpen, 0, reinterpret_cast<VstIntPtr>(display), parent);
    }

    DisplayGuard displays;
    HostedPlugin hosted;
    RecordingEditor* editor;  // owned by the plug-in
};

TEST_F(EditorOpcodes, RectangleBeforeOpeningIs170By200)
{
    ERect* rect = nullptr;
    const VstIntPtr answer = hosted.Dispatch(effEditGetRect, 0, 0, &rect);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(answer, reinterpret_cast<VstIntPtr>(rect));
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 200);
    EXPECT_EQ(rect->right, 170);
}

TEST_F(EditorOpcodes, NullPointersAreAnsweredWithZero)
{
    EXPECT_EQ(hosted.Dispatch(effEditGetRect, 0, 0, nullptr), 0);
    EXPECT_EQ(Open(kSomeDisplay, nullptr), 0);
    EXPECT_EQ(dp.load(), nullptr);
    EXPECT_FALSE(editor->IsOpen());
    EXPECT_TRUE(hosted.plugin->EditorClosed());
}

// A host with a connection per window: the second opening's panel is made
// on the second connection, and an info box would go there too.
TEST_F(EditorOpcodes, EachOpeningUsesTheDisplayItWasGiven)
{
    HostDisplays host;
    ASSERT_TRUE(host.Ready()) << host.server.Error();
    EXPECT_EQ(Open(host.first, host.Parent()), 1);
    EXPECT_EQ(dp.load(), host.first);
    ASSERT_NE(editor->Panel(), nullptr);
    EXPECT_EQ(editor->Panel()->GetDisplay(), host.first);
    EXPECT_EQ(hosted.Dispatch(effEditClose), 1);
    EXPECT_EQ(Open(host.second, host.Parent()), 1);
    EXPECT_EQ(dp.load(), host.second);
    EXPECT_EQ(editor->Panel()->GetDisplay(), host.second);
    EXPECT_EQ(hosted.Dispatch(effEditClose), 1);
    hosted.instance.reset();  // the panel goes before the displays
}

TEST_F(EditorOpcodes, OpeningWithoutDisplayLeavesItUnset)
{
    HostDisplays host;
    ASSERT_TRUE(host.Ready()) << host.server.Error();
    EXPECT_EQ(Open(nullptr), 1);
    EXPECT_EQ(dp.load(), nullptr);
    EXPECT_EQ(hosted.Dispatch(effEditClose), 1);
    EXPECT_EQ(Open(host.first, host.Parent()), 1);
    EXPECT_EQ(dp.load(), host.first);
    EXPECT_EQ(hosted.Dispatch(effEditClose), 1);
    hosted.instance.reset();  // the panel goes before the displays
}

TEST_F(EditorOpcodes, EditorClosedFollowsOpenAndClose)
{
    EXPECT_TRUE(hosted.plugin->EditorClosed());
    Open(nullptr);
    EXPECT_FALSE(hosted.plugin->EditorClosed());
    EXPECT_TRUE(editor->IsOpen());
    EXPECT_EQ(hosted.Dispatch(effEditClose), 1);
    EXPECT_TRUE(hosted.plugin->EditorClosed());
    EXPECT_FALSE(editor->IsOpen());
    Open(nullptr);
    EXPECT_FALSE(hosted.plugin->EditorClosed());
}

// The editor runs from the toolkit's idle thread; the host's idle call must
// not refresh the panel from the host's thread. The idle thread itself may
// take the opening's refresh at any moment (it did on i386 under load).
TEST_F(EditorOpcodes, HostIdleDoesNotReachTheEditor)
{
    Open(nullptr);
    EXPECT_EQ(hosted.Dispatch(effEditIdle), 0);
    EXPECT_EQ(editor->refreshesOnMakersThread, 0);
    editor->idle();
    // A pass of the idle thread that took it may still be on its way.
    EXPECT_TRUE(tarvenna::test::WaitUntil([&] {
        return editor->Refreshes() == std::vector<long>{-1};
    })) << "one full refresh, by either thread";
}

}  // namespace
