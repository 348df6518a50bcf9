// Plain-text copy and paste through the X selection "CLIPBOARD".
#pragma once

#include "runtime/STimer.h"
#include "runtime/datastring.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

typedef struct _XDisplay Display;
typedef union _XEvent XEvent;

namespace kvor::gui {
class SControl;
class SData;
}  // namespace kvor::gui

namespace kvor::file {

// 1 while a clipboard of the process is open: one at a time may be.
extern std::atomic<uint8_t> clipboardopen;

// Two X connections of its own: one reads other clients' selections, the
// other owns the selection and is served by a thread of ours, so that our
// text stays available whatever the caller's thread is doing. Nothing
// happens for data before an owner control was given to Open.
class SClipboard {
public:
    using Text = data::datastring<32, char>;

    // The longest text GetData takes, in bytes: an owner that offers more,
    // in one property or in pieces, is refused as soon as that is known.
    static constexpr std::size_t kMaxTextBytes = 16u << 20;

    SClipboard();
    SClipboard(const SClipboard&) = delete;
    SClipboard& operator=(const SClipboard&) = delete;
    // Stops the serving thread and waits for it before the connections go.
    ~SClipboard();

    // False without an owner; true without a change while any clipboard of
    // the process is open; otherwise keeps the owner and opens when both
    // windows exist.
    bool Open(gui::SControl* newOwner);
    void Close();
    // Empties the served text while open. The selection stays ours.
    bool Empty();

    // Serves a copy of a text as the selection; false for any other format
    // (the served text is then empty) or when the selection could not be
    // taken. The clipboard stays open.
    bool SetData(const gui::SData& data);
    // The selection's text, when format asks for text and another client
    // (or this one) owns it and answers within about a second, and sends
    // each piece of an incremental answer within a second of the one
    // before. Closes the clipboard after an answer.
    bool GetData(gui::SData& data, int format);

    // No formats beyond text exist.
    int RegisterFormat(const char*) { return 0; }
    int CountFormats() { return 0; }
    SClipboard* GetRegisteredFormats(gui::SControl* newOwner);

    // Answers one waiting selection request, as the serving thread does;
    // nonzero when there was one.
    int CheckEvent();
    // Answers the given selection request.
    void ServeEvent(XEvent* event);

    bool IsServing() const { return serverThread.IsRunning(); }
    // The window that owns the selection while our text is served.
    unsigned long ServerWindow() const { return serverWindow; }

private:
    // Is handed each event taken off a connection; true keeps it and ends
    // the taking.
    using EventUse = std::function<bool(const XEvent&)>;

    bool OpenImplicitly();
    void OpenConnections();
    void MakeReaderWindow();
    void ServePending();
    bool IsRequestToUs(const XEvent& event) const;
    void Answer(const XEvent& event);
    bool AwaitReader(const EventUse& wanted, XEvent& found);
    void DropStaleAnswers();
    bool ReadAnswer(std::string& received);
    bool ReadIncrementally(std::string& received, unsigned long lowerBound);
    bool GiveUpIncrement();

    // Takes up to most of the events the connection has received, in turn,
    // stopping after the first that use keeps; returns how many it took.
    // Whatever is not kept is dropped: a peer must not fill our queue.
    static int TakeEvents(Display* display, int most, const EventUse& use);
    // Frees the event entries Xlib keeps for reuse, which it would otherwise
    // hold for as long as the connection lives.
    static void ReleaseSpareEvents(Display* display);

    std::vector<Text> formatNames;
    // The served text; it and the server connection are used only under
    // serverLock, by the serving thread and by the caller's SetData.
    Text text;
    Display* readerDisplay = nullptr;
    Display* serverDisplay = nullptr;
    unsigned long readerWindow = 0;
    unsigned long serverWindow = 0;
    threading::SPeriodicThread serverThread;
    std::atomic<uint8_t> serverRunning{0};
    unsigned long readerSelection = 0;
    unsigned long serverSelection = 0;
    unsigned long transferProperty = 0;
    // Targets answered with more than the plain text. Atoms belong to the
    // server, so these serve both connections.
    unsigned long targetsAtom = 0;
    unsigned long utf8Atom = 0;
    // The type of an answer that comes in pieces.
    unsigned long incrAtom = 0;
    gui::SControl* owner = nullptr;
    std::mutex serverLock;
    std::mutex readerLock;
};

}  // namespace kvor::file
