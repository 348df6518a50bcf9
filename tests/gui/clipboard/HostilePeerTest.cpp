// The clipboard against peers that send too much: a text as large as the
// cap in one property, one byte more, an owner that never stops appending,
// xclip's incremental answers, and a flood of events at the serving window.
#include "tests/gui/clipboard/ClipboardFixture.h"
#include "tests/gui/clipboard/HostileOwner.h"
#include "tests/support/AddressSanitizer.h"

#include <malloc.h>

namespace cliptest {
namespace {

using kvor::file::SClipboard;
using kvor::gui::SData;
using std::chrono::milliseconds;

constexpr std::size_t kCap = SClipboard::kMaxTextBytes;
// Copying 16 MiB through AddressSanitizer's checked memcpy on a loaded
// machine takes about a second by itself.
constexpr long kReadLimitMs = TARVENNA_ADDRESS_SANITIZER ? 3000 : 1000;

bool Paste(SClipboard& clipboard, SData& data)
{
    return clipboard.GetData(data, SData::kFormatText);
}

// Bytes the heap has handed out and not had back, on every thread.
long HeapInUse()
{
    const struct mallinfo2 heap = mallinfo2();
    return static_cast<long>(heap.uordblks + heap.hblkhd);
}

TEST_F(ClipboardTest, TextsUpToTheCapAreReadInUnderASecondAndLargerOnesAreRefused)
{
    SClipboard clipboard;
    ASSERT_TRUE(clipboard.Open(owner.get()));
    SData data;
    // The owner writes the 16 MiB into the server before it answers, which
    // on a loaded machine can take longer than the second the reader waits
    // for an answer: such a paste is refused rightly, and is tried again.
    bool pasted = false;
    for (int attempt = 0; attempt < 3 && !pasted; ++attempt) {
        HostileOwner peer(server->server.Name(), kCap, false);
        const auto asked = std::chrono::steady_clock::now();
        pasted = Paste(clipboard, data);
        const auto unset = std::chrono::steady_clock::time_point{};
        ASSERT_TRUE(tarvenna::test::WaitUntil([&] { return peer.answeredAt.load() != unset; }));
        const auto answered = peer.answeredAt.load();
        if (!pasted) {
            EXPECT_GE(std::chrono::duration_cast<milliseconds>(answered - asked).count(), 900)
                << "ms the owner took: refused although it answered in time";
            continue;
        }
        const auto read = std::chrono::steady_clock::now() - answered;
        EXPECT_LT(std::chrono::duration_cast<milliseconds>(read).count(), kReadLimitMs)
            << "ms after the answer was complete";
        ASSERT_EQ(data.GetSize(), kCap + 1);
        EXPECT_TRUE(peer.text == data.GetTextData());
    }
    ASSERT_TRUE(pasted) << "three owners in a row took more than a second to answer";
    data.SetTextData("kept");
    {
        HostileOwner peer(server->server.Name(), kCap + 1, false);
        bool got = true;
        EXPECT_LT(TimeOf([&] { got = Paste(clipboard, data); }).count(), 2000);
        EXPECT_FALSE(got);
        EXPECT_STREQ(data.GetTextData(), "kept");
    }

    // Never past what the property held when the reading began.
    HostileOwner endless(server->server.Name(), 1 << 20, true);
    bool got = false;
    EXPECT_LT(TimeOf([&] { got = Paste(clipboard, data); }).count(), 3000);
    ASSERT_TRUE(got);
    EXPECT_GE(data.GetSize(), (1u << 20) + 1);
    EXPECT_LE(data.GetSize(), kCap + 1);
    EXPECT_TRUE(std::string(data.GetTextData(), 1 << 20) == endless.text);
}

TEST_F(ClipboardTest, XclipsIncrementalAnswersComeBackWholeUpToTheCap)
{
    SClipboard clipboard;
    ASSERT_TRUE(clipboard.Open(owner.get()));
    SData data;
    std::FILE* peer = PeerCopies(Letters(3000000));
    ASSERT_TRUE(Paste(clipboard, data));
    EXPECT_EQ(data.GetSize(), 3000001u);
    EXPECT_TRUE(Letters(3000000) == data.GetTextData());
    PeerEnds(peer);

    // Refused once its pieces pass the cap; the next paste is not disturbed.
    peer = PeerCopies(Letters(kCap + 1));
    EXPECT_FALSE(Paste(clipboard, data));
    PeerEnds(peer);
    peer = PeerCopies("after");
    ASSERT_TRUE(Paste(clipboard, data));
    EXPECT_STREQ(data.GetTextData(), "after");
    PeerEnds(peer);
}

// The flood waits on the connection that made the window, which the next
// paste reads through.
TEST_F(ClipboardTest, AFloodAtTheServingWindowCostsNoMemoryAndSetDataStillAnswersAtOnce)
{
    SClipboard clipboard;
    ASSERT_TRUE(clipboard.Open(owner.get()));
    ASSERT_TRUE(clipboard.SetData(SData(SData::kFormatText, "before", 0)));
    const long before = HeapInUse();
    FloodWindow(server->server.Name(), clipboard.ServerWindow(), 100000);
    bool set = false;
    const auto setting =
        TimeOf([&] { set = clipboard.SetData(SData(SData::kFormatText, "flooded", 0)); });
    EXPECT_LT(setting.count(), 100);
    EXPECT_TRUE(set);
    EXPECT_EQ(PeerPrints(), "flooded");
    SData data;
    ASSERT_TRUE(Paste(clipboard, data));
    EXPECT_STREQ(data.GetTextData(), "flooded");
    EXPECT_LT(HeapInUse() - before, 1 << 20) << "bytes more than before the flood";
}

}  // namespace
}  // namespace cliptest
