// The editor opcodes that the plug-in base answers itself.
#include "RecordingEditor.h"
#include "TestPlugin.h"

#include <gtest/gtest.h>

namespace {

// Stand-ins for the host's window and X display: the editor keeps and
// compares them but, with a host that sizes its own window, never uses them.
void* const kParent = reinterpret_cast<void*>(uintptr_t{0x2a00001});
Display* const kHostDisplay = reinterpret_cast<Display*>(uintptr_t{0x1000});
Display* const kOtherDisplay = reinterpret_cast<Display*>(uintptr_t{0x2000});

class EditorOpcodes : public ::testing::Test {
protected:
    EditorOpcodes()
    {
        FakeHost::Reset().sizeWindowAnswer = 1;
        editor = new RecordingEditor(*hosted.plugin, hosted.result);
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
    EXPECT_EQ(Open(kHostDisplay, nullptr), 0);
    EXPECT_EQ(dp.load(), nullptr);
    EXPECT_FALSE(editor->IsOpen());
    EXPECT_TRUE(hosted.plugin->EditorClosed());
}

TEST_F(EditorOpcodes, FirstDisplayGivenIsKept)
{
    EXPECT_EQ(Open(kHostDisplay), 1);
    EXPECT_EQ(dp.load(), kHostDisplay);
    EXPECT_EQ(hosted.Dispatch(effEditClose), 1);
    EXPECT_EQ(Open(kOtherDisplay), 1);
    EXPECT_EQ(dp.load(), kHostDisplay);
}

TEST_F(EditorOpcodes, OpeningWithoutDisplayLeavesItUnset)
{
    EXPECT_EQ(Open(nullptr), 1);
    EXPECT_EQ(dp.load(), nullptr);
    EXPECT_EQ(Open(kHostDisplay), 1);
    EXPECT_EQ(dp.load(), kHostDisplay);
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
// not refresh the panel from the host's thread.
TEST_F(EditorOpcodes, HostIdleDoesNotReachTheEditor)
{
    Open(nullptr);
    EXPECT_EQ(hosted.Dispatch(effEditIdle), 0);
    EXPECT_TRUE(editor->refreshes.empty());
    editor->idle();
    EXPECT_EQ(editor->refreshes, std::vector<long>{-1});
}

}  // namespace
