#include "gui/SWindow.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdlib>

namespace kvor::gui {

SWindow::SWindow(SGlobals* globals, SControl* parent, unsigned id, const char* name, int flags,
                 int x, int y, int w, int h, int parentWindow, bool unused)
    : SControl(globals, parent, id, name, flags, x, y, w, h, parentWindow, unused)
{
}

SWindow::~SWindow()
{
    releasing = true;
    CleanUp();
    DeleteChildren();
}

// Each child leaves the list before it is deleted, so its destructor finds
// nothing to forget here.
void SWindow::DeleteChildren()
{
    while (!children.empty()) {
        SControl* child = children.back().control;
        children.pop_back();
        if (child == menu)
            menu = nullptr;
        child->owner = nullptr;
        delete child;
    }
    UpdateChildRange();
    RemoveStyle(kStyleHasChildren);
}

void SWindow::Retire()
{
    for (const SWindowID& child : children)
        if (child.control != nullptr)
            child.control->Retire();
    SControl::Retire();
}

void SWindow::CleanRessources()
{
    releasing = true;
    if (!HasStyle(kStyleApplication) && !HasStyle(kStylePopup))
        return;
    CleanUp();
    DeleteChildren();
    ReleaseWindow();
}

void SWindow::UpdateChildRange()
{
    lowestChild = -1;
    highestChild = -1;
    for (const SWindowID& entry : children) {
        const int id = static_cast<int>(entry.identifier);
        if (lowestChild == -1 || id < lowestChild)
            lowestChild = id;
        if (highestChild == -1 || id > highestChild)
            highestChild = id;
    }
}

void SWindow::Add(SControl* child)
{
    if (child == nullptr || child == this || child->owner == this)
        return;
    if (child->owner != nullptr)
        child->owner->ForgetChild(child);
    AddStyle(kStyleHasChildren);
    children.push_back({child, child->GetId()});
    child->owner = this;
    UpdateChildRange();
}

// The entry is found by the child itself: identifiers need not be unique,
// and removing another child's entry would leave a deleted child listed.
void SWindow::Remove(SControl* child, bool destroy)
{
    const auto found =
        std::find_if(children.begin(), children.end(),
                     [child](const SWindowID& entry) { return entry.control == child; });
    if (found != children.end()) {
        children.erase(found);
        child->owner = nullptr;
    }
    if (child == menu)
        menu = nullptr;
    if (destroy)
        delete child;
    if (children.empty())
        RemoveStyle(kStyleHasChildren);
    UpdateChildRange();
}

void SWindow::ForgetChild(SControl* child)
{
    const auto found =
        std::find_if(children.begin(), children.end(),
                     [child](const SWindowID& entry) { return entry.control == child; });
    if (found == children.end())
        return;
    children.erase(found);
    if (child == menu)
        menu = nullptr;
    if (children.empty())
        RemoveStyle(kStyleHasChildren);
    UpdateChildRange();
}

bool SWindow::IsSubcontrol(unsigned id)
{
    if (id == identifier)
        return true;
    for (const SWindowID& entry : children) {
        if (entry.control->IsSubcontrol(id))
            return true;
    }
    return false;
}

bool SWindow::IsSubcontrol(int otherWindow)
{
    if (otherWindow != 0 &&
        static_cast<unsigned long>(static_cast<unsigned>(otherWindow)) == window.load())
        return true;
    for (const SWindowID& entry : children) {
        if (entry.control->IsSubcontrol(static_cast<unsigned>(otherWindow)))
            return true;
    }
    return false;
}

void SWindow::EnableChildren(bool enable)
{
    for (const SWindowID& entry : children)
        entry.control->Enable(enable);
}

void SWindow::Minimized()
{
    for (const SWindowID& entry : children)
        entry.control->Minimized();
}

void SWindow::MousePosition(int x, int y) { SControl::MousePosition(x, y); }

void SWindow::UpdateModifiers(int mask, bool flag)
{
    SControl::UpdateModifiers(mask, flag);
    if (input == nullptr)
        return;
    for (const SWindowID& entry : children) {
        context::SInput* other = entry.control->input;
        if (other == nullptr)
            continue;
        other->keyState = input->keyState;
        for (int flagIndex : {context::kMouseAlt, context::kMouseShift, context::kMouseControl})
            other->flags[flagIndex] = input->flags[flagIndex];
    }
}

void SWindow::Run() { running = true; }

void SWindow::Stop() { running = false; }

void SWindow::WindowMaximize(bool maximize)
{
    if (maximize)
        RemoveState(kStateNotMaximized);
    else
        AddState(kStateNotMaximized);
}

void SWindow::WindowMinimize(bool restore)
{
    Display* display = GetDisplay();
    if (display == nullptr)
        return;
    const Atom changeState = XInternAtom(display, "WM_CHANGE_STATE", True);
    if (changeState == None)
        return;
    const Window target = parent != nullptr ? parent->GetWindow() : window.load();
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.display = display;
    event.xclient.window = target;
    event.xclient.message_type = changeState;
    event.xclient.format = 32;
    event.xclient.data.l[0] = restore ? NormalState : IconicState;
    XSendEvent(display, DefaultRootWindow(display), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(display);
}

void SWindow::WindowClose()
{
    running = false;
    if (parent != nullptr)
        delete parent;
    else
        delete this;
    std::exit(0);
}

int SWindow::Loop()
{
    Display* display = GetDisplay();
    running = true;
    while (running.load() && display != nullptr) {
        XEvent event;
        XNextEvent(display, &event);
        SControl::eventProc(&event);
    }
    if (HasStyle(kStylePopup))
        return 0;
    CleanRessources();
    std::exit(0);
}

void SWindow::SetMenu(SWindow* newMenu)
{
    if (menu != nullptr) {
        SWindow* old = menu;
        menu = nullptr;
        menuShown = 0;
        Remove(old, true);
    }
    menu = newMenu;
    if (menu != nullptr)
        Add(menu);
}

void SWindow::ShowMenu(const Point& where)
{
    if (menu == nullptr || menuShown)
        return;
    menu->SetPosition(where.x, where.y);
    menu->Show();
    menu->Focus(true);
    menuShown = 1;
}

void SWindow::CloseMenu()
{
    if (menu != nullptr)
        menu->Hide();
    menuShown = 0;
}

}  // namespace kvor::gui
