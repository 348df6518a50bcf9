// A control that owns child controls. Children are heap objects; once added
// the window deletes them, last to first, when it goes.
#pragma once

#include "gui/SControl.h"

#include <atomic>
#include <vector>

namespace kvor::gui {

struct SWindowID {
    SControl* control;
    unsigned identifier;
};

class SWindow : public SControl {
public:
    SWindow() = default;
    SWindow(SGlobals* globals, SControl* parent, unsigned id, const char* name, int flags, int x,
            int y, int w, int h, int parentWindow, bool unused);
    ~SWindow() override;

    void CleanRessources() override;
    void Retire() override;
    void LoadControls() override {}
    void ReparentChildren() override {}
    void EnableChildren(bool enable) override;
    void Minimized() override;
    void WindowClose() override;
    void WindowMinimize(bool restore) override;
    void WindowMaximize(bool maximize) override;
    void RefreshControls(long) override {}
    void MousePosition(int x, int y) override;
    void UpdateModifiers(int state, bool flag) override;
    void TimerProc(int) override {}
    void Run() override;
    void Stop() override;
    void EnableHandlers() override {}
    void ShowMenu(const Point& where) override;
    void CloseMenu() override;
    bool IsSubcontrol(unsigned id) override;

    // Ignores null and controls already added; takes ownership.
    virtual void Add(SControl* child);
    // Gives ownership back, or deletes the child when destroy is set.
    virtual void Remove(SControl* child, bool destroy);
    virtual bool IsSubcontrol(int window);
    // Reads the display's events into the event procedure until Stop().
    // A popup window returns 0; any other window releases its resources and
    // ends the process.
    virtual int Loop();
    virtual SWindow* GetMenu() { return menu; }
    // Replaces (and deletes) an attached menu; the menu becomes a child.
    virtual void SetMenu(SWindow* newMenu);
    virtual void TooltipEnable(bool) {}

    const std::vector<SWindowID>& Children() const { return children; }
    int LowestChildId() const { return lowestChild; }
    int HighestChildId() const { return highestChild; }
    bool IsRunning() const { return running.load(); }
    bool MenuShown() const { return menuShown != 0; }

protected:
    void ForgetChild(SControl* child) override;

private:
    void DeleteChildren();
    void UpdateChildRange();

    std::vector<SWindowID> children;
    int32_t lowestChild = -1;
    int32_t highestChild = -1;
    SWindow* menu = nullptr;
    uint8_t menuShown = 0;
    std::atomic<bool> running{false};
};

}  // namespace kvor::gui
