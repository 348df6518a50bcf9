// Update notifications: what reaches the panel, and when.
#include "EditorFixture.h"

#include <algorithm>
#include <set>
#include <vector>

namespace {

using Refreshes = std::vector<long>;

TEST_F(EditorFixture, OpeningRefreshesEverythingOnTheNextIdlePass)
{
    editor().open(kParent);
    EXPECT_EQ(editor().refreshesOnMakersThread, 0) << "not while opening";
    editor().idle();
    EXPECT_TRUE(Refreshed({-1}));
}

// The toolkit's idle thread may take 5 before the full refresh is posted;
// once that is, 5 is not refreshed on its own any more.
TEST_F(EditorFixture, FullRefreshSupersedesPendingIndexedOnes)
{
    OpenAndSettle();
    editor().postUpdateIndexed(5);
    editor().postUpdate();
    editor().idle();
    editor().idle();
    ASSERT_TRUE(tarvenna::test::WaitUntil([&] {
        const Refreshes all = editor().Refreshes();
        return std::find(all.begin(), all.end(), -1) != all.end();
    }));
    const Refreshes all = editor().Refreshes();
    EXPECT_TRUE(all == Refreshes{-1} || all == (Refreshes{5, -1})) << ::testing::PrintToString(all);
}

// The toolkit's idle thread may run a pass while the indices are posted,
// beside the test's own: every index is refreshed after it was posted, once
// for each pass that took it, so 200, posted twice, at most twice and the
// others once.
TEST_F(EditorFixture, PostedIndicesAreEachRefreshedOncePerPass)
{
    OpenAndSettle();
    editor().postUpdateIndexed(200);
    editor().postUpdateIndexed(3);
    editor().postUpdateIndexed(200);
    editor().postUpdateIndexed(0);
    editor().postUpdateIndexed(255);
    editor().idle();
    editor().idle();
    const auto covered = [&] {
        const Refreshes all = editor().Refreshes();
        return std::set<long>(all.begin(), all.end()) == std::set<long>{0, 3, 200, 255};
    };
    ASSERT_TRUE(tarvenna::test::WaitUntil(covered))
        << ::testing::PrintToString(editor().Refreshes());
    const Refreshes all = editor().Refreshes();
    for (long once : {0L, 3L, 255L})
        EXPECT_EQ(std::count(all.begin(), all.end(), once), 1) << ::testing::PrintToString(all);
    EXPECT_LE(std::count(all.begin(), all.end(), 200L), 2) << ::testing::PrintToString(all);
}

TEST_F(EditorFixture, IndicesOutsideTheTableAreIgnored)
{
    OpenAndSettle();
    editor().postUpdateIndexed(256);
    editor().postUpdateIndexed(-1);
    editor().idle();
    editor().updateAtIndex(256);
    editor().updateAtIndex(-1);
    EXPECT_TRUE(editor().Refreshes().empty());
}

// The toolkit's idle thread may take the posted entry before updateAtIndex
// comes (then it refreshed 7 once already); either way the caller's thread
// refreshes at once, and no pass refreshes 7 after that.
TEST_F(EditorFixture, UpdateAtIndexRefreshesAtOnceAndDropsThePendingEntry)
{
    OpenAndSettle();
    const int before = editor().refreshesOnMakersThread;
    editor().postUpdateIndexed(7);
    editor().updateAtIndex(7);
    EXPECT_EQ(editor().refreshesOnMakersThread, before + 1) << "at once, on the caller's thread";
    const Refreshes atOnce = editor().Refreshes();
    EXPECT_TRUE(atOnce == Refreshes{7} || atOnce == (Refreshes{7, 7}));
    editor().idle();
    EXPECT_EQ(editor().Refreshes(), atOnce) << "the entry was dropped";
}

TEST_F(EditorFixture, ClosedEditorRefreshesNothing)
{
    editor().postUpdateIndexed(3);
    editor().postUpdate();
    editor().idle();
    editor().update();
    editor().updateIndexed();
    editor().updateAtIndex(3);
    EXPECT_TRUE(editor().Refreshes().empty());

    OpenAndSettle();
    editor().close();
    editor().postUpdateIndexed(4);
    editor().updateIndexed();
    editor().updateAtIndex(4);
    editor().idle();
    EXPECT_TRUE(editor().Refreshes().empty());
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
    EXPECT_TRUE(Refreshed({-1}));
}

// Settled first: the idle thread takes a refresh left pending as well, and
// could make the null entry look as if it had refreshed.
TEST_F(EditorFixture, IdleEntryDrivesTheEditorItIsGiven)
{
    OpenAndSettle();
    SPluginEditor::idlestatic(nullptr);
    EXPECT_TRUE(editor().Refreshes().empty());
    editor().postUpdate();
    SPluginEditor::idlestatic(&editor());
    EXPECT_TRUE(Refreshed({-1}));
}

}  // namespace
