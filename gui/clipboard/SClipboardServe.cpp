// Serving our text: taking the selection, and answering other clients'
// requests for it on the serving thread (or the caller's, by CheckEvent).
#include "gui/clipboard/SClipboard.h"

#include "gui/XErrorTrap.h"
#include "gui/clipboard/SData.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace kvor::file {

namespace {

// The most events one look takes off the server connection, and the most
// requests it answers: a look holds the server lock, which SetData, Empty
// and the destructor wait for.
constexpr int kServerLookEvents = 4096;
constexpr int kAnswersPerLook = 16;

// The most bytes one property change may carry on this connection, with
// room for the request's own header.
long LargestProperty(Display* display)
{
    constexpr long kHeaderBytes = 64;
    long units = XExtendedMaxRequestSize(display);
    if (units == 0)
        units = XMaxRequestSize(display);
    return units * 4 - kHeaderBytes;
}

}  // namespace

bool SClipboard::SetData(const gui::SData& data)
{
    if (!OpenImplicitly())
        return false;
    std::lock_guard<std::mutex> guard(serverLock);
    text.Clear(false);
    if (data.GetFormat() != gui::SData::kFormatText)
        return false;
    text.Append(data.GetTextData());
    XSetSelectionOwner(serverDisplay, serverSelection, serverWindow, CurrentTime);
    XFlush(serverDisplay);
    return XGetSelectionOwner(serverDisplay, serverSelection) == serverWindow;
}

// One look per period takes every event that has come in meanwhile (up to
// the look's share) and answers the requests among them, up to the look's
// share too; the rest are dropped, so a client that floods our window or
// our selection costs a bounded wait and no memory. Lost ownership leaves a
// clear event that nobody needs.
void SClipboard::ServePending()
{
    std::lock_guard<std::mutex> guard(serverLock);
    if (serverRunning == 0 || serverDisplay == nullptr || serverWindow == 0)
        return;
    int answered = 0;
    TakeEvents(serverDisplay, kServerLookEvents, [&](const XEvent& event) {
        if (IsRequestToUs(event) && answered < kAnswersPerLook) {
            Answer(event);
            ++answered;
        }
        return false;
    });
    ReleaseSpareEvents(serverDisplay);
}

int SClipboard::CheckEvent()
{
    std::lock_guard<std::mutex> guard(serverLock);
    if (serverDisplay == nullptr || serverWindow == 0)
        return 0;
    XEvent request;
    bool found = false;
    TakeEvents(serverDisplay, kServerLookEvents, [&](const XEvent& event) {
        found = IsRequestToUs(event);
        if (found)
            request = event;
        return found;
    });
    if (found)
        Answer(request);
    ReleaseSpareEvents(serverDisplay);
    return found ? 1 : 0;
}

bool SClipboard::IsRequestToUs(const XEvent& event) const
{
    return event.type == SelectionRequest && event.xselectionrequest.owner == serverWindow;
}

void SClipboard::ServeEvent(XEvent* event)
{
    if (event == nullptr || event->type != SelectionRequest)
        return;
    std::lock_guard<std::mutex> guard(serverLock);
    if (serverDisplay != nullptr)
        Answer(*event);
}

// Called under serverLock. The list of targets is answered as a list, UTF-8
// text as UTF-8 (our text is passed on as it was given), every other target
// as STRING. A client that names no property gets the target as property,
// as the conventions ask; a text too long for one request is refused. The
// requestor may be gone by now, so its errors are trapped, not fatal.
void SClipboard::Answer(const XEvent& event)
{
    const XSelectionRequestEvent& request = event.xselectionrequest;
    XSelectionEvent notify{};
    notify.type = SelectionNotify;
    notify.display = request.display;
    notify.requestor = request.requestor;
    notify.selection = request.selection;
    notify.target = request.target;
    notify.property = request.property != None ? request.property : request.target;
    notify.time = request.time;

    gui::XErrorTrap trap(serverDisplay);
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data);
    const int count = static_cast<int>(text.length - 1);
    if (request.target == targetsAtom) {
        const Atom targets[] = {targetsAtom, utf8Atom, XA_STRING};
        XChangeProperty(serverDisplay, request.requestor, notify.property, XA_ATOM, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(targets), 3);
    } else if (count > LargestProperty(serverDisplay)) {
        notify.property = None;
    } else {
        const Atom type = request.target == utf8Atom ? utf8Atom : XA_STRING;
        XChangeProperty(serverDisplay, request.requestor, notify.property, type, 8, PropModeReplace,
                        bytes, count);
    }
    XSendEvent(serverDisplay, request.requestor, False, 0, reinterpret_cast<XEvent*>(&notify));
    trap.Sync();
}

}  // namespace kvor::file
