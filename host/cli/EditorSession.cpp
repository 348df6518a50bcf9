#include "host/cli/EditorSession.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <memory>

#include "host/EditorHost.h"
#include "host/Host.h"
#include "host/Module.h"
#include "host/PngWriter.h"
#include "plugin/ParameterIndex.h"

namespace tarvenna::host {

namespace {

// Once the editor is open: its rectangle, a while of its events, the
// screenshot. False when the screenshot was asked for and not saved.
bool ShowEditor(EditorHost& editor, const EditorSessionOptions& options, std::ostream& out,
                std::ostream& err)
{
    const EditorHostRecord opened = editor.Recorded();
    if (opened.rect)
        out << "editor rectangle: " << opened.rect->right - opened.rect->left << " x "
            << opened.rect->bottom - opened.rect->top << '\n';
    editor.Pump(options.milliseconds);
    const EditorHostRecord record = editor.Recorded();
    out << "events read: " << record.eventsRead << ", dispatched: " << record.eventsDispatched
        << ", windows with a procedure: " << record.procedureWindows.size() << '\n';
    if (options.screenshot.empty())
        return true;
    if (!editor.Screenshot(options.screenshot)) {
        err << "cannot save the screenshot to " << options.screenshot << '\n';
        return false;
    }
    out << "screenshot: " << options.screenshot << '\n';
    return true;
}

// Where the panel's Nodes button is, in the editor's window.
constexpr int kNodesX = 19;
constexpr int kNodesY = 179;
// Room between the two windows of a pair.
constexpr int kPairGap = 10;

EditorHostOptions OptionsFor(const EditorSessionOptions& options, int x)
{
    EditorHostOptions editorOptions;
    editorOptions.passDisplay = !options.displayZero;
    editorOptions.delivery = options.reparent ? EventDelivery::Reparent : EventDelivery::Property;
    editorOptions.x = x;
    return editorOptions;
}

// Two images side by side on a black ground.
RgbImage SideBySide(const RgbImage& left, const RgbImage& right, int gap)
{
    RgbImage joined;
    joined.width = left.width + gap + right.width;
    joined.height = std::max(left.height, right.height);
    joined.pixels.assign(static_cast<std::size_t>(joined.width) * joined.height * 3, 0);
    auto paste = [&joined](const RgbImage& part, int atX) {
        for (int y = 0; y < part.height; ++y)
            std::copy_n(&part.pixels[static_cast<std::size_t>(y) * part.width * 3], part.width * 3,
                        &joined.pixels[(static_cast<std::size_t>(y) * joined.width + atX) * 3]);
    };
    paste(left, 0);
    paste(right, left.width + gap);
    return joined;
}

// A sender and a receiver of port 1, the receiver's node list shown.
bool ShowPair(Display* display, Host& host, Module& module, const EditorSessionOptions& options,
              std::ostream& out, std::ostream& err)
{
    std::unique_ptr<HostInstance> sender = host.Instantiate(module);
    std::unique_ptr<HostInstance> receiver = host.Instantiate(module);
    if (!sender || !receiver) {
        err << "no instance: " << host.LastError() << '\n';
        return false;
    }
    for (HostInstance* instance : {sender.get(), receiver.get()}) {
        instance->Open();
        instance->Resume();
    }
    receiver->SetParameter(kParameterMode, 1.0f);
    EditorHost left(sender->Effect(), display, OptionsFor(options, 0));
    EditorHost right(receiver->Effect(), display, OptionsFor(options, 200));
    if (!left.Open() || !right.Open()) {
        err << "the plug-in did not open its editors\n";
        return false;
    }
    right.Pump(200);
    right.Click(kNodesX, kNodesY);
    for (int waited = 0; waited < options.milliseconds; waited += 20) {
        left.Pump(10);
        right.Pump(10);
    }
    RgbImage leftPixels, rightPixels;
    if (options.screenshot.empty())
        return true;
    if (!left.Capture(leftPixels) || !right.Capture(rightPixels) ||
        !WritePng(options.screenshot, SideBySide(leftPixels, rightPixels, kPairGap))) {
        err << "cannot save the screenshot to " << options.screenshot << '\n';
        return false;
    }
    out << "screenshot: " << options.screenshot << '\n';
    return true;
}

// The display outlives the module: a plug-in given the host's display keeps
// it until it is unloaded.
bool RunWithDisplay(Display* display, const std::string& modulePath, const HostConfig& config,
                    const EditorSessionOptions& options, std::ostream& out, std::ostream& err)
{
    Module module(modulePath);
    if (!module.Loaded()) {
        err << "cannot load " << modulePath << ": " << module.Error() << '\n';
        return false;
    }
    Host host(config);
    if (options.pair) {
        const bool shown = ShowPair(display, host, module, options, out, err);
        module.Unload();
        return shown;
    }
    std::unique_ptr<HostInstance> instance = host.Instantiate(module);
    if (!instance) {
        err << "no instance: " << host.LastError() << '\n';
        return false;
    }
    instance->Open();
    instance->Resume();
    bool shown = false;
    {
        EditorHost editor(instance->Effect(), display, OptionsFor(options, 0));
        if (editor.Open())
            shown = ShowEditor(editor, options, out, err);
        else
            err << "the plug-in did not open its editor\n";
    }
    instance->Suspend();
    instance.reset();
    module.Unload();
    return shown;
}

}  // namespace

int RunEditorSession(const std::string& modulePath, const HostConfig& config,
                     const EditorSessionOptions& options, std::ostream& out, std::ostream& err)
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        err << "cannot open the X display " << XDisplayName(nullptr) << '\n';
        return 1;
    }
    const bool shown = RunWithDisplay(display, modulePath, config, options, out, err);
    XCloseDisplay(display);
    return shown ? 0 : 1;
}

}  // namespace tarvenna::host
