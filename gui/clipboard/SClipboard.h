// Plain-text copy and paste through the X selection "CLIPBOARD".
#pragma once

#include "runtime/STimer.h"
#include "runtime/datastring.h"

#include <atomic>
#include <cstdint>
#include <mutex>
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
    // (or this one) owns it and answers within about a second. Closes the
    // clipboard after reading.
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
    bool OpenImplicitly();
    void OpenConnections();
    void ServePending();
    void Answer(const XEvent& event);
    bool AwaitNotify(unsigned long& property);
    void DropStaleAnswers();
    void ReadProperty(Text& received);

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
    gui::SControl* owner = nullptr;
    std::mutex serverLock;
    std::mutex readerLock;
};

}  // namespace kvor::file
