#include "tests/gui/ToolkitDisplay.h"

#include "tests/gui/ToolkitResources.h"
#include "gui/Connections.h"

#include <X11/Xlib.h>

namespace tarvenna::test {

ToolkitDisplay::ToolkitDisplay(std::vector<std::string> screens,
                               std::vector<std::string> extraArguments)
    : server_(std::move(screens), std::move(extraArguments))
{
    if (!server_.Running())
        return;
    display_ = XOpenDisplay(server_.Name().c_str());
    if (display_ == nullptr)
        return;
    previous_ = dps;
    dps = display_;
    ToolkitResources().ClearColours();
    ToolkitResources().AddStandardColours();
    // What the module's start-up does: the toolkit draws with this table.
    kvor::gui::SetSharedResources(&ToolkitResources());
}

ToolkitDisplay::~ToolkitDisplay()
{
    if (display_ == nullptr)
        return;
    // Cached fonts belong to this connection and go with it.
    kvor::gui::SetSharedResources(nullptr);
    ToolkitResources().Clear();
    ToolkitResources().ClearColours();
    dps = previous_;
    XCloseDisplay(display_);
}

std::string ToolkitDisplay::error() const
{
    if (!server_.Running())
        return server_.Error();
    return display_ == nullptr ? "cannot connect to " + server_.Name() : "";
}

namespace {

int errorsSeen = 0;

int CountingHandler(Display*, XErrorEvent*)
{
    ++errorsSeen;
    return 0;
}

}  // namespace

XErrorCounter::XErrorCounter(Display* display) : display_(display)
{
    XSync(display_, False);
    errorsSeen = 0;
    previous_ = XSetErrorHandler(CountingHandler);
}

XErrorCounter::~XErrorCounter()
{
    XSync(display_, False);
    XSetErrorHandler(previous_);
}

int XErrorCounter::count() const
{
    XSync(display_, False);
    return errorsSeen;
}

}  // namespace tarvenna::test
