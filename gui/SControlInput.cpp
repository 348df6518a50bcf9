// The mouse and keyboard state a control keeps between events.
#include "gui/SControl.h"

#include <X11/X.h>

#include <algorithm>

namespace kvor::gui {

namespace context {

SInput::SInput() { Reset(); }

void SInput::Reset()
{
    reserved0 = 0;
    x = -1;
    y = -1;
    dx = 0;
    dy = 0;
    std::fill(std::begin(flags), std::end(flags), false);
    lastButton = 0;
    lastPressTime = 0;
    reserved1 = -1;
    keyState = 0;
}

}  // namespace context

bool* SControl::MouseState() { return input != nullptr ? input->flags : nullptr; }

bool SControl::MouseTracking() { return input != nullptr && input->flags[context::kMouseTracking]; }

void SControl::MousePosition(int x, int y)
{
    if (input == nullptr)
        return;
    if (x == input->x && y == input->y) {
        input->dx = 0;
        input->dy = 0;
        input->flags[context::kMouseMoving] = false;
        return;
    }
    input->dx = x - input->x;
    input->dy = y - input->y;
    input->x = x;
    input->y = y;
    input->flags[context::kMouseMoving] = true;
    MousePosChanged(input->dx, input->dy);
}

namespace {

void SetModifierFlags(context::SInput& input, int mask)
{
    input.flags[context::kMouseShift] = (mask & ShiftMask) != 0;
    input.flags[context::kMouseControl] = (mask & ControlMask) != 0;
    input.flags[context::kMouseAlt] = (mask & Mod1Mask) != 0;
}

}  // namespace

void SControl::Modifiers(int mask)
{
    if (input != nullptr)
        SetModifierFlags(*input, mask);
}

void SControl::KeyStateSet(int mask)
{
    if (input == nullptr)
        return;
    SetModifierFlags(*input, mask);
    input->keyState = mask;
}

int SControl::KeyStateGet() const { return input != nullptr ? input->keyState : 0; }

void SControl::UpdateModifiers(int, bool)
{
    if (input != nullptr)
        SetModifierFlags(*input, input->keyState);
}

void SControl::AddKeyShortcut(int keySymbol, int word, int extra)
{
    shortcuts.push_back({word, keySymbol, extra});
}

}  // namespace kvor::gui
