// Update notifications: what reaches the panel, and when.
#include "EditorFixture.h"

#include <vector>

namespace {

using Refreshes = std::vector<long>;

TEST_F(EditorFixture, OpeningRefreshesEverythingOnTheNextIdlePass)
{
    editor().open(kParent);
    EXPECT_TRUE(editor().refreshes.empty());
    editor().idle();
    editor().idle();
    EXPECT_EQ(editor().refreshes, Refreshes{-1});
}

TEST_F(EditorFixture, FullRefreshSupersedesPendingIndexedOnes)
{
    OpenAndSettle();
    editor().postUpdateIndexed(5);
    editor().postUpdate();
    editor().idle();
    editor().idle();
    EXPECT_EQ(editor().refreshes, Refreshes{-1});
}

TEST_F(EditorFixture, PostedIndicesAreRefreshedOnceInIndexOrder)
{
    OpenAndSettle();
    editor().postUpdateIndexed(200);
    editor().postUpdateIndexed(3);
    editor().postUpdateIndexed(200);
    editor().postUpdateIndexed(0);
    editor().postUpdateIndexed(255);
    editor().idle();
    editor().idle();
    EXPECT_EQ(editor().refreshes, (Refreshes{0, 3, 200, 255}));
}

TEST_F(EditorFixture, IndicesOutsideTheTableAreIgnored)
{
    OpenAndSettle();
    editor().postUpdateIndexed(256);
    editor().postUpdateIndexed(-1);
    editor().idle();
    editor().updateAtIndex(256);
    editor().updateAtIndex(-1);
    EXPECT_TRUE(editor().refreshes.empty());
}

TEST_F(EditorFixture, UpdateAtIndexRefreshesAtOnceAndDropsThePendingEntry)
{
    OpenAndSettle();
    editor().postUpdateIndexed(7);
    editor().updateAtIndex(7);
    EXPECT_EQ(editor().refreshes, Refreshes{7});
    editor().idle();
    EXPECT_EQ(editor().refreshes, Refreshes{7});
}

TEST_F(EditorFixture, ClosedEditorRefreshesNothing)
{
    editor().postUpdateIndexed(3);
    editor().postUpdate();
    editor().idle();
    editor().update();
    editor().updateIndexed();
    editor().updateAtIndex(3);
    EXPECT_TRUE(editor().refreshes.empty());

    OpenAndSettle();
    editor().close();
    editor().postUpdateIndexed(4);
    editor().updateIndexed();
    editor().updateAtIndex(4);
    editor().idle();
    EXPECT_TRUE(editor().refreshes.empty());
}

// Marks posted while closed are superseded by the opening's full refresh.
TEST_F(EditorFixture, ReopeningRefreshesEverythingOnly)
{
    OpenAndSettle();
    editor().close();
    editor().postUpdateIndexed(9);
    editor().open(kParent);
    editor().idle();
    editor().idle();
    EXPECT_EQ(editor().refreshes, Refreshes{-1});
}

// Settled first: the idle thread takes a refresh left pending as well, and
// could make the null entry look as if it had refreshed.
TEST_F(EditorFixture, IdleEntryDrivesTheEditorItIsGiven)
{
    OpenAndSettle();
    SPluginEditor::idlestatic(nullptr);
    EXPECT_TRUE(editor().refreshes.empty());
    editor().postUpdate();
    SPluginEditor::idlestatic(&editor());
    EXPECT_EQ(editor().refreshes, Refreshes{-1});
}

}  // namespace
