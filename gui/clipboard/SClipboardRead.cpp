// Reading the selection: asking its owner to convert it to text into our
// property, waiting for its answer, and reading the property, whole or in
// the pieces of an incremental answer.
#include "gui/clipboard/SClipboard.h"

#include "gui/clipboard/SData.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>

#include <algorithm>
#include <chrono>

namespace kvor::file {

namespace {

using Clock = std::chrono::steady_clock;

// How long an owner may keep silent, before its answer and between the
// pieces of an incremental one.
constexpr std::chrono::milliseconds kSilence(1000);
// The longest pause between two looks at the reader connection.
constexpr std::chrono::milliseconds kLookPause(10);
// The most events one look takes off the reader connection.
constexpr int kReaderLookEvents = 4096;
// One request's share of a property: 65536 units of 32 bits, 256 KiB.
constexpr long kPieceUnits = 65536;
constexpr unsigned long kPieceBytes = kPieceUnits * 4;
// The most pieces of an incremental answer: the cap in pieces of 4 KiB. An
// owner that sends a byte at a time must not keep the caller for hours.
constexpr int kMostPieces = 4096;

// One reply to XGetWindowProperty, freed with it.
struct Piece {
    Piece() = default;
    Piece(const Piece&) = delete;
    Piece& operator=(const Piece&) = delete;
    ~Piece()
    {
        if (bytes != nullptr)
            XFree(bytes);
    }

    Atom type = None;
    int unitBits = 0;
    unsigned long items = 0;
    // Bytes after this piece.
    unsigned long remaining = 0;
    unsigned char* bytes = nullptr;
};

// False when the property is missing or cannot be read.
bool ReadPiece(Display* display, Window window, Atom property, long offset, long units,
               Piece& piece)
{
    return XGetWindowProperty(display, window, property, offset, units, False, AnyPropertyType,
                              &piece.type, &piece.unitBits, &piece.items, &piece.remaining,
                              &piece.bytes) == Success &&
           piece.type != None;
}

// Owners commonly answer a request for STRING with UTF-8 text, which is
// taken as text as well.
bool IsText(const Piece& piece, Atom utf8)
{
    return (piece.type == XA_STRING || piece.type == utf8) && piece.unitBits == 8;
}

// Appends the text property whole: as many bytes as its first piece
// announces, however much an owner appends meanwhile. False for anything
// but text, and for more than room bytes, before any of it is read.
bool ReadText(Display* display, Window window, Atom property, Atom utf8, std::size_t room,
              std::string& received)
{
    Piece first;
    if (!ReadPiece(display, window, property, 0, kPieceUnits, first) || !IsText(first, utf8))
        return false;
    const unsigned long announced = first.items + first.remaining;
    if (announced > room)
        return false;
    received.append(reinterpret_cast<const char*>(first.bytes), first.items);
    unsigned long got = first.items;
    while (got < announced) {
        // Pieces start at whole units: every piece before the last is full.
        Piece next;
        if (got % kPieceBytes != 0 ||
            !ReadPiece(display, window, property, static_cast<long>(got / 4), kPieceUnits, next) ||
            !IsText(next, utf8) || next.items == 0)
            return false;
        const unsigned long taken = std::min(next.items, announced - got);
        received.append(reinterpret_cast<const char*>(next.bytes), taken);
        got += taken;
    }
    return true;
}

}  // namespace

bool SClipboard::GetData(gui::SData& data, int format)
{
    if (!OpenImplicitly())
        return false;
    // Asked before anything goes to the server.
    if (format != gui::SData::kFormatText)
        return false;
    std::lock_guard<std::mutex> guard(readerLock);
    if (XGetSelectionOwner(readerDisplay, readerSelection) == None)
        return false;
    DropStaleAnswers();
    XConvertSelection(readerDisplay, readerSelection, XA_STRING, transferProperty, readerWindow,
                      CurrentTime);
    XFlush(readerDisplay);
    XEvent notify;
    const bool answered = AwaitReader(
        [this](const XEvent& event) {
            return event.type == SelectionNotify && event.xselection.requestor == readerWindow &&
                   event.xselection.selection == readerSelection;
        },
        notify);
    std::string received;
    const bool taken = answered && notify.xselection.property != None && ReadAnswer(received) &&
                       received.c_str()[0] != 0;
    ReleaseSpareEvents(readerDisplay);
    if (!answered)
        return false;
    if (taken)
        data.SetTextData(received.c_str());
    clipboardopen = 0;
    return taken;
}

// An owner that answered an earlier request too late must not have its
// answer taken for this one's: whatever has come in by now is old.
void SClipboard::DropStaleAnswers()
{
    XDeleteProperty(readerDisplay, readerWindow, transferProperty);
    XSync(readerDisplay, False);
    TakeEvents(readerDisplay, XEventsQueued(readerDisplay, QueuedAfterReading),
               [](const XEvent&) { return false; });
}

// Looks at what has come in, then waits for more, until the wanted event
// has come or the owner has kept silent for too long.
bool SClipboard::AwaitReader(const EventUse& wanted, XEvent& found)
{
    const Clock::time_point giveUp = Clock::now() + kSilence;
    for (;;) {
        bool kept = false;
        TakeEvents(readerDisplay, kReaderLookEvents, [&](const XEvent& event) {
            kept = wanted(event);
            if (kept)
                found = event;
            return kept;
        });
        if (kept)
            return true;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(giveUp - Clock::now());
        if (left.count() <= 0)
            return false;
        if (XEventsQueued(readerDisplay, QueuedAlready) == 0) {
            pollfd input{ConnectionNumber(readerDisplay), POLLIN, 0};
            poll(&input, 1, static_cast<int>(std::min(left, kLookPause).count()));
        }
    }
}

// The property is deleted once read, as the owner expects. An answer of
// type INCR announces one in pieces.
bool SClipboard::ReadAnswer(std::string& received)
{
    Piece head;
    const bool there = ReadPiece(readerDisplay, readerWindow, transferProperty, 0, 1, head);
    // Some owners (xclip) leave the announced size out.
    if (there && head.type == incrAtom && head.unitBits == 32)
        return ReadIncrementally(
            received, head.items > 0 ? *reinterpret_cast<const unsigned long*>(head.bytes) : 0);
    const unsigned long announced = there ? head.items + head.remaining : 0;
    bool whole = false;
    if (there && IsText(head, utf8Atom) && announced <= kMaxTextBytes) {
        received.reserve(announced);
        whole = ReadText(readerDisplay, readerWindow, transferProperty, utf8Atom, kMaxTextBytes,
                         received);
    }
    XDeleteProperty(readerDisplay, readerWindow, transferProperty);
    XFlush(readerDisplay);
    return whole;
}

// Deleting the announcement asks for the first piece, deleting a piece for
// the next; an empty piece is the last. The size announced is a lower
// bound, so the text may still grow past the cap on the way.
bool SClipboard::ReadIncrementally(std::string& received, unsigned long lowerBound)
{
    if (lowerBound > kMaxTextBytes)
        return GiveUpIncrement();
    received.reserve(lowerBound);
    const auto newPiece = [this](const XEvent& event) {
        return event.type == PropertyNotify && event.xproperty.window == readerWindow &&
               event.xproperty.atom == transferProperty &&
               event.xproperty.state == PropertyNewValue;
    };
    for (int piece = 0; piece <= kMostPieces; ++piece) {
        XDeleteProperty(readerDisplay, readerWindow, transferProperty);
        XFlush(readerDisplay);
        // A change made before we deleted the last piece finds nothing.
        for (bool there = false; !there;) {
            XEvent event;
            if (!AwaitReader(newPiece, event))
                return GiveUpIncrement();
            Piece head;
            there = ReadPiece(readerDisplay, readerWindow, transferProperty, 0, 0, head);
        }
        const std::size_t before = received.size();
        if (!ReadText(readerDisplay, readerWindow, transferProperty, utf8Atom,
                      kMaxTextBytes - before, received))
            return GiveUpIncrement();
        if (received.size() == before) {
            XDeleteProperty(readerDisplay, readerWindow, transferProperty);
            XFlush(readerDisplay);
            return true;
        }
    }
    return GiveUpIncrement();
}

// The owner is asked for its next piece and finds the window gone, which
// tells it to stop; waiting for the deletion instead, it would wait
// forever, and a window kept would get the piece in the next transfer.
bool SClipboard::GiveUpIncrement()
{
    XDeleteProperty(readerDisplay, readerWindow, transferProperty);
    MakeReaderWindow();
    return false;
}

}  // namespace kvor::file
