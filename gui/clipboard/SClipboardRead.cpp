// Reading the selection: asking its owner to convert it to text into our
// property, waiting for its answer, and reading the property piece by piece.
#include "gui/clipboard/SClipboard.h"

#include "gui/clipboard/SData.h"
#include "runtime/SThread.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace kvor::file {

namespace {

// About one second in all before an owner counts as not answering.
constexpr int kNotifyLooks = 100;
constexpr unsigned kNotifyPauseMs = 10;
// One piece of the property: 1024 units of 32 bits, 4096 bytes.
constexpr long kPieceUnits = 1024;

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
    unsigned long property = None;
    if (!AwaitNotify(property))
        return false;

    Text received;
    if (property != None)
        ReadProperty(received);
    const bool taken = received.length > 1;
    if (taken) {
        data.SetTextData(received.data);
        data.SetSize(received.length);
    }
    clipboardopen = 0;
    return taken;
}

// An owner that answered an earlier request too late must not have its
// answer taken for this one's.
void SClipboard::DropStaleAnswers()
{
    XSync(readerDisplay, False);
    XEvent event;
    while (XCheckTypedWindowEvent(readerDisplay, readerWindow, SelectionNotify, &event)) {
    }
    XDeleteProperty(readerDisplay, readerWindow, transferProperty);
}

bool SClipboard::AwaitNotify(unsigned long& property)
{
    XEvent event;
    for (int look = 0; look < kNotifyLooks; ++look) {
        if (look > 0)
            threading::SThread::Sleep(kNotifyPauseMs);
        if (XCheckTypedWindowEvent(readerDisplay, readerWindow, SelectionNotify, &event) &&
            event.xselection.selection == readerSelection) {
            property = event.xselection.property;
            return true;
        }
    }
    return false;
}

// The property is deleted with its last piece. Owners commonly answer a
// request for STRING with UTF-8 text, which is taken as text as well; a
// piece of any other type ends the reading.
void SClipboard::ReadProperty(Text& received)
{
    long offset = 0;
    for (;;) {
        Atom type = None;
        int unitBits = 0;
        unsigned long items = 0;
        unsigned long remaining = 0;
        unsigned char* piece = nullptr;
        if (XGetWindowProperty(readerDisplay, readerWindow, transferProperty, offset, kPieceUnits,
                               True, AnyPropertyType, &type, &unitBits, &items, &remaining,
                               &piece) != Success)
            return;
        const bool isText = (type == XA_STRING || type == utf8Atom) && unitBits == 8;
        if (isText && piece != nullptr)
            received.Append(reinterpret_cast<const char*>(piece));
        if (piece != nullptr)
            XFree(piece);
        if (!isText || remaining == 0)
            return;
        offset += static_cast<long>(items / 4);
    }
}

}  // namespace kvor::file
