// Opening and closing: what the editor records in the plug-in and in the
// instance's globals.
#include "EditorFixture.h"

namespace {

TEST_F(EditorFixture, OpeningRecordsTheParentWindowAndClosingForgetsIt)
{
    EXPECT_TRUE(editor().open(kParent));
    SGlobals& globals = *plugin().Globals();
    EXPECT_EQ(globals.parentWindow, reinterpret_cast<uintptr_t>(kParent));
    EXPECT_TRUE(editor().IsOpen());
    EXPECT_FALSE(plugin().EditorClosed());

    editor().close();
    EXPECT_EQ(globals.parentWindow, 0u);
    EXPECT_EQ(globals.currentCursor, nullptr);
    EXPECT_FALSE(editor().IsOpen());
    EXPECT_TRUE(plugin().EditorClosed());
}

// The openings also draw identifiers for the panel, its controls and its
// idle timer; the editor's number is drawn from the same counter.
TEST_F(EditorFixture, EachOpeningTakesTheNextIdentifier)
{
    EXPECT_EQ(editor().EditorNumber(), 0);
    editor().open(kParent);
    const int first = editor().EditorNumber();
    EXPECT_GT(first, 0);
    EXPECT_GE(plugin().Globals()->identifierCounter.load(), first);
    editor().close();
    editor().open(kParent);
    EXPECT_GT(editor().EditorNumber(), first);
    EXPECT_GE(plugin().Globals()->identifierCounter.load(), editor().EditorNumber());
}

TEST_F(EditorFixture, MissingPluginTextsLeaveTheGlobalsAsTheyWere)
{
    SGlobals& globals = *plugin().Globals();
    globals.binaryName.Append("earlier");
    editor().open(kParent);
    EXPECT_STREQ(globals.binaryName.data, "earlier");
    EXPECT_STREQ(globals.binaryDirectory.data, "");
}

TEST_F(EditorFixture, DestroyingAnOpenEditorClosesIt)
{
    editor().open(kParent);
    recording.reset();
    EXPECT_TRUE(plugin().EditorClosed());
    EXPECT_EQ(plugin().Globals()->parentWindow, 0u);
}

}  // namespace
