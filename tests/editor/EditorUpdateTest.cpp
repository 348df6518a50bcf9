// Update notifications: what reaches the panel, and when.
#include "EditorFixture.h"

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

TEST_F(EditorFixture, FullRefreshSupersedesPendingIndexedOnes)
{
    OpenAndSettle();
    editor().postUpdateIndexed(5);
    editor().postUpdate();
    editor().idle();
    editor().idle();
    EXPECT_TRUE(Refreshed({-1}));
}

// The toolkit's idle thread may run a pass between two posts: every pass
// refreshes what was posted since the one before, each index once and in
// index order, so the refreshes are ascending runs that cover what was
// posted, the two posted last in the last run.
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
    const auto covered = [&] {
        const Refreshes all = editor().Refreshes();
        return std::set<long>(all.begin(), all.end()) == std::set<long>{0, 3, 200, 255};
    };
    ASSERT_TRUE(tarvenna::test::WaitUntil(covered))
        << ::testing::PrintToString(editor().Refreshes());
    const Refreshes all = editor().Refreshes();
    std::vector<Refreshes> runs(1);
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (i > 0 && all[i] <= all[i - 1])
            runs.emplace_back();
        runs.back().push_back(all[i]);
    }
    EXPECT_LE(runs.size(), 3u) << ::testing::PrintToString(all);
    EXPECT_EQ(runs.back().front(), 0) << ::testing::PrintToString(all);
    EXPECT_EQ(runs.back().back(), 255) << ::testing::PrintToString(all);
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
