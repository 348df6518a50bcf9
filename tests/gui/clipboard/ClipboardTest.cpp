// The clipboard against xclip on a private X server: what we copy is what
// the peer pastes, what the peer copies comes back whole, and owners that
// are missing or never answer cost no more than about a second.
#include "tests/gui/clipboard/ClipboardFixture.h"

#include "runtime/STimer.h"
#include "tests/support/ProcessThreads.h"

namespace cliptest {
namespace {

using kvor::file::clipboardopen;
using kvor::file::SClipboard;
using kvor::gui::SData;
using std::chrono::milliseconds;

// Far below the second an unanswered request costs, with room for the
// emulator.
constexpr milliseconds kAtOnce(500);

SData Text(const char* text) { return SData(SData::kFormatText, text, 0); }

std::string TextOf(const SData& data) { return data.GetTextData() ? data.GetTextData() : ""; }

TEST_F(ClipboardTest, TextSetHereIsWhatThePeerPrintsForEveryTarget)
{
    SClipboard clipboard;
    ASSERT_TRUE(clipboard.Open(owner.get()));
    const std::string copied = "Tarvenna, port 3\nsecond line";
    ASSERT_TRUE(clipboard.SetData(Text(copied.c_str())));
    EXPECT_EQ(SelectionOwner(), clipboard.ServerWindow());
    EXPECT_EQ(clipboardopen.load(), 1) << "SetData leaves the clipboard open";
    EXPECT_EQ(PeerPrints(), copied) << "xclip printed nothing: is it installed?";
    EXPECT_EQ(PeerPrints("-t STRING"), copied);
    EXPECT_EQ(PeerPrints("-t TARGETS"), "TARGETS\nUTF8_STRING\nSTRING\n");

    // Emptied, or given anything but text, the selection stays ours with
    // nothing in it.
    EXPECT_TRUE(clipboard.Empty());
    EXPECT_EQ(PeerPrints(), "");
    ASSERT_TRUE(clipboard.SetData(Text("again")));
    const int value = 7;
    EXPECT_FALSE(clipboard.SetData(SData(SData::kFormatInteger, &value, sizeof value)));
    EXPECT_EQ(SelectionOwner(), clipboard.ServerWindow());
    EXPECT_EQ(PeerPrints(), "");
}

TEST_F(ClipboardTest, TextThePeerCopiesComesBackWholeAndClosesTheClipboard)
{
    SClipboard clipboard;
    ASSERT_TRUE(clipboard.Open(owner.get()));
    SData data;
    std::FILE* peer = PeerCopies("pasted from the peer");
    ASSERT_TRUE(clipboard.GetData(data, SData::kFormatText));
    EXPECT_EQ(TextOf(data), "pasted from the peer");
    EXPECT_EQ(data.GetSize(), 21u);
    EXPECT_EQ(clipboardopen.load(), 0);
    PeerEnds(peer);

    // A longer text; the owner given to Open before is used again.
    std::string longText;
    while (longText.size() < 10000)
        longText += static_cast<char>('a' + longText.size() % 26);
    peer = PeerCopies(longText);
    ASSERT_TRUE(clipboard.GetData(data, SData::kFormatText));
    EXPECT_EQ(data.GetSize(), 10001u);
    EXPECT_EQ(TextOf(data), longText);
    PeerEnds(peer);
}

TEST_F(ClipboardTest, NonTextFormatsAndAMissingOwnerAnswerFalseAtOnce)
{
    SClipboard clipboard;
    ASSERT_TRUE(clipboard.Open(owner.get()));
    SetOwner(silent);
    const int value = 42;
    SData data(SData::kFormatInteger, &value, sizeof value);
    bool got = true;
    EXPECT_LT(TimeOf([&] { got = clipboard.GetData(data, SData::kFormatInteger); }), kAtOnce);
    EXPECT_FALSE(got);
    XEvent event;
    XSync(display, False);
    EXPECT_FALSE(XCheckTypedWindowEvent(display, silent, SelectionRequest, &event))
        << "the owner was asked for a format we never read";

    SetOwner(None);
    EXPECT_LT(TimeOf([&] { got = clipboard.GetData(data, SData::kFormatText); }), kAtOnce);
    EXPECT_FALSE(got);
    ASSERT_NE(data.GetValueI(), nullptr) << "the data is left as it was";
    EXPECT_EQ(*data.GetValueI(), 42);
}

TEST_F(ClipboardTest, AnOwnerThatNeverAnswersIsGivenUpAfterAboutOneSecond)
{
    SClipboard clipboard;
    ASSERT_TRUE(clipboard.Open(owner.get()));
    SetOwner(silent);
    SData data = Text("kept");
    bool got = true;
    const milliseconds waited = TimeOf([&] { got = clipboard.GetData(data, SData::kFormatText); });
    EXPECT_FALSE(got);
    EXPECT_GE(waited, milliseconds(950));
    EXPECT_LT(waited, milliseconds(5000));
    EXPECT_EQ(TextOf(data), "kept");

    XEvent event;
    ASSERT_TRUE(NextEvent(silent, SelectionRequest, event)) << "it was asked";
    EXPECT_EQ(event.xselectionrequest.target, XA_STRING);
    EXPECT_EQ(event.xselectionrequest.property, XInternAtom(display, "KVOR_CLIPBOARD", False));
}

TEST_F(ClipboardTest, OneClipboardOfTheProcessIsOpenAtATime)
{
    SClipboard first, second;
    EXPECT_FALSE(first.Open(nullptr));
    EXPECT_FALSE(first.SetData(Text("no owner yet")));
    ASSERT_TRUE(first.Open(owner.get()));
    kvor::gui::SWindow other(&globals, nullptr, 2, "other", 0, 0, 0, 10, 10, 0, false);
    EXPECT_TRUE(second.Open(&other)) << "already open";
    EXPECT_FALSE(second.SetData(Text("x"))) << "the second was given no owner";

    // An emptied text served by the first comes back as nothing at all.
    ASSERT_TRUE(first.SetData(Text("to be emptied")));
    EXPECT_TRUE(first.Empty());
    first.Close();
    EXPECT_FALSE(first.Empty()) << "closed";
    ASSERT_TRUE(second.Open(&other));
    SData data = Text("untouched");
    EXPECT_FALSE(second.GetData(data, SData::kFormatText));
    EXPECT_EQ(TextOf(data), "untouched");
    EXPECT_EQ(second.GetRegisteredFormats(owner.get()), &second);
    EXPECT_EQ(clipboardopen.load(), 0);
}

// A request that names no property is answered in the target's name.
TEST_F(ClipboardTest, ARequestHandedInIsAnsweredOnTheCallersThread)
{
    SClipboard clipboard;
    ASSERT_TRUE(clipboard.Open(owner.get()));
    ASSERT_TRUE(clipboard.SetData(Text("served")));
    EXPECT_EQ(clipboard.CheckEvent(), 0) << "no request is waiting";
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    XEvent request{};
    request.xselectionrequest = {
        SelectionRequest, 0,    False, display,    clipboard.ServerWindow(), silent,
        clipboardAtom,    utf8, None,  CurrentTime};
    clipboard.ServeEvent(&request);
    XEvent notify;
    ASSERT_TRUE(NextEvent(silent, SelectionNotify, notify));
    EXPECT_EQ(notify.xselection.property, utf8);
    Atom type = None;
    int bits = 0;
    unsigned long items = 0, remaining = 0;
    unsigned char* value = nullptr;
    ASSERT_EQ(XGetWindowProperty(display, silent, utf8, 0, 64, True, AnyPropertyType, &type, &bits,
                                 &items, &remaining, &value),
              Success);
    EXPECT_EQ(type, utf8);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(value), items), "served");
    XFree(value);
}

TEST_F(ClipboardTest, DestroyingAClipboardEndsItsServingThreadAtOnce)
{
    const int threadsBefore = tarvenna::test::ThreadsOfProcess();
    const unsigned workersBefore = kvor::threading::SPeriodicThread::LiveThreads();
    {
        SClipboard clipboard;
        EXPECT_TRUE(clipboard.IsServing());
        EXPECT_EQ(tarvenna::test::ThreadsOfProcess(), threadsBefore + 1);
        ASSERT_TRUE(clipboard.Open(owner.get()));
        ASSERT_TRUE(clipboard.SetData(Text("last words")));
    }
    EXPECT_EQ(kvor::threading::SPeriodicThread::LiveThreads(), workersBefore)
        << "the thread has returned by the time the destructor has";
    EXPECT_TRUE(tarvenna::test::WaitUntil(
        [&] { return tarvenna::test::ThreadsOfProcess() == threadsBefore; }));
    EXPECT_EQ(SelectionOwner(), static_cast<Window>(None)) << "the owning window is gone";
}

}  // namespace
}  // namespace cliptest
