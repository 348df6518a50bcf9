#include "host/EditorSession.h"

#include <X11/Xlib.h>

#include <memory>

#include "host/EditorHost.h"
#include "host/Host.h"
#include "host/Module.h"

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
    std::unique_ptr<HostInstance> instance = host.Instantiate(module);
    if (!instance) {
        err << "no instance: " << host.LastError() << '\n';
        return false;
    }
    instance->Open();
    instance->Resume();
    bool shown = false;
    {
        EditorHostOptions editorOptions;
        editorOptions.passDisplay = !options.displayZero;
        editorOptions.delivery =
            options.reparent ? EventDelivery::Reparent : EventDelivery::Property;
        EditorHost editor(instance->Effect(), display, editorOptions);
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
