// The window in which tarvenna-host shows the editors of a scene's nodes:
// one top-level window of the host's, a slot for each node side by side
// (eight to a row) with the node's number above it, and each editor opened
// in its slot as a Linux host embeds one. One loop reads the display's
// events for all of them, hands the editors theirs through "_XEventProc"
// and sends them effEditIdle.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/EditorHost.h"

typedef struct _XDisplay Display;

namespace tarvenna::host {

struct RgbImage;

class SceneWindow {
public:
    // `display` must outlive this object. `passDisplay`: what effEditOpen
    // is given (the display, or 0).
    SceneWindow(Display* display, int slots, const std::string& title, bool passDisplay);
    // Closes the editors still open and destroys the window.
    ~SceneWindow();

    SceneWindow(const SceneWindow&) = delete;
    SceneWindow& operator=(const SceneWindow&) = delete;

    // False when the window could not be made and mapped.
    bool Usable() const { return window != 0 && mapped; }
    // The user asked the window to close (or it was destroyed).
    bool Closed() const { return closed; }
    unsigned long Window() const { return window; }

    // Node numbers count from 1. False when the plug-in does not open it.
    bool OpenEditor(int node, AEffect* effect);
    // Closes the node's editor and gives up its slot's window; the host
    // does this before it closes the node.
    void CloseEditor(int node);
    bool EditorOpen(int node) const;

    // Reads and delivers events for `milliseconds` (at least one pass) and
    // drives the open editors' idle.
    void Pump(int milliseconds);
    // The whole window, every panel in it.
    bool Capture(RgbImage& image);

private:
    void HandleOwn(XEvent& event);
    void DrawLabels();
    EditorHost* AnyHost() const;

    Display* display;
    int slots;
    bool passDisplay;
    unsigned long window = 0;
    unsigned long deleteAtom = 0;
    bool mapped = false;
    bool closed = false;
    std::vector<std::unique_ptr<EditorHost>> hosts;
};

}  // namespace tarvenna::host
