// Sizing: the plug-in's rectangle, the host's window-size request, and
// resizing the host's window when the host will not.
#include "EditorFixture.h"

namespace {

ERect PluginRect(TestPlugin& plugin)
{
    ERect* rect = nullptr;
    plugin.dispatcher(effEditGetRect, 0, 0, &rect, 0.0f);
    return *rect;
}

void ExpectRect(const ERect& rect, int bottom, int right)
{
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.bottom, bottom);
    EXPECT_EQ(rect.right, right);
}

class SizeAnswers : public EditorFixture, public ::testing::WithParamInterface<VstIntPtr> {};

TEST_P(SizeAnswers, OpeningResizesTheParentUnlessTheHostSaysYes)
{
    answers.canDo["sizeWindow"] = GetParam();
    editor().open(kParent);

    EXPECT_EQ(LastRequest(audioMasterCanDo).text, "sizeWindow");
    const tarvenna::host::RequestRecord sizing = LastRequest(audioMasterSizeWindow);
    EXPECT_EQ(sizing.index, 170);
    EXPECT_EQ(sizing.value, 200);
    if (GetParam() == 1) {
        EXPECT_TRUE(editor().parentResizes.empty());
    } else {
        ASSERT_EQ(editor().parentResizes.size(), 1u);
        EXPECT_EQ(editor().parentResizes[0].width, 170);
        EXPECT_EQ(editor().parentResizes[0].height, 200);
        EXPECT_EQ(editor().parentResizes[0].sizeWindowRequestsBefore, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(HostAnswers, SizeAnswers, ::testing::Values(1, 0, -1, 2));

TEST_F(EditorFixture, SetSizeWritesThePluginsRectangle)
{
    editor().SetSize(300, 120);
    ExpectRect(PluginRect(plugin()), 120, 300);
    EXPECT_EQ(LastRequest(audioMasterSizeWindow).index, 300);
    EXPECT_EQ(LastRequest(audioMasterSizeWindow).value, 120);
}

TEST_F(EditorFixture, ResizeOnlyTellsTheHost)
{
    answers.canDo["sizeWindow"] = 0;
    editor().Resize(180, 220);
    ExpectRect(PluginRect(plugin()), 220, 180);
    EXPECT_EQ(Requests(audioMasterCanDo), 0u);
    EXPECT_EQ(Requests(audioMasterSizeWindow), 1u);
    EXPECT_TRUE(editor().parentResizes.empty());
}

TEST_F(EditorFixture, ChangeSizeGrowsTheRectangle)
{
    editor().ChangeSize(0, 0);
    EXPECT_EQ(Requests(audioMasterSizeWindow), 0u);

    editor().ChangeSize(10, 20);
    ExpectRect(PluginRect(plugin()), 220, 180);
    EXPECT_EQ(LastRequest(audioMasterSizeWindow).index, 180);
    EXPECT_EQ(LastRequest(audioMasterSizeWindow).value, 220);
    EXPECT_TRUE(editor().parentResizes.empty());
}

TEST_F(EditorFixture, ChangeSizeResizesTheParentWhenTheHostCannot)
{
    answers.canDo["sizeWindow"] = -1;
    editor().ChangeSize(-20, 5);
    ASSERT_EQ(editor().parentResizes.size(), 1u);
    EXPECT_EQ(editor().parentResizes[0].width, 150);
    EXPECT_EQ(editor().parentResizes[0].height, 205);
    EXPECT_EQ(editor().parentResizes[0].sizeWindowRequestsBefore, 0);
    EXPECT_EQ(LastRequest(audioMasterSizeWindow).index, 150);
    EXPECT_EQ(LastRequest(audioMasterSizeWindow).value, 205);
}

TEST_F(EditorFixture, EditorRectangleIsThePanelSize) { ExpectRect(*editor().GetRect(), 200, 170); }

}  // namespace
