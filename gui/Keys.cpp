#include "gui/Keys.h"

#include "gui/SControl.h"

#include <X11/keysym.h>

namespace kvor::gui {

namespace {

struct KeyRow {
    unsigned long symbol;
    SKeyTranslation translation;
};

constexpr SKeyTranslation Editing(int key) { return {kKeyEditing, key, -1}; }
constexpr SKeyTranslation Modifier(int key, int flag) { return {kKeyModifier, key, flag}; }

constexpr KeyRow kEditingKeys[] = {
    {XK_Return, Editing(0)},
    {XK_KP_Enter, Editing(0)},
    {XK_Escape, Editing(1)},
    {XK_Tab, Editing(2)},
    {XK_KP_Tab, Editing(2)},
    {XK_BackSpace, Editing(3)},
    {XK_Delete, Editing(4)},
    {XK_KP_Delete, Editing(4)},
    {XK_Insert, Editing(5)},
    {XK_KP_Insert, Editing(5)},
    {XK_Up, Editing(6)},
    {XK_KP_Up, Editing(6)},
    {XK_Down, Editing(7)},
    {XK_KP_Down, Editing(7)},
    {XK_Left, Editing(8)},
    {XK_KP_Left, Editing(8)},
    {XK_Right, Editing(9)},
    {XK_KP_Right, Editing(9)},
    {XK_Prior, Editing(10)},
    {XK_KP_Prior, Editing(10)},
    {XK_Next, Editing(11)},
    {XK_KP_Next, Editing(11)},
    {XK_Home, Editing(12)},
    {XK_KP_Home, Editing(12)},
    {XK_End, Editing(13)},
    {XK_KP_End, Editing(13)},
    {XK_Caps_Lock, Editing(14)},
    {XK_Print, Editing(15)},
    {XK_Pause, Editing(16)},
    {XK_Break, Editing(16)},
    {XK_Shift_L, Modifier(17, context::kMouseShift)},
    {XK_Shift_R, Modifier(17, context::kMouseShift)},
    {XK_Control_L, Modifier(18, context::kMouseControl)},
    {XK_Control_R, Modifier(18, context::kMouseControl)},
    {XK_Alt_L, Modifier(19, context::kMouseAlt)},
    {XK_Alt_R, Modifier(19, context::kMouseAlt)},
};

// Keypad twins of the characters: each keypad symbol and the character it
// stands for.
constexpr unsigned long kKeypadCharacters[][2] = {
    {XK_KP_Space, ' '},    {XK_KP_Multiply, '*'}, {XK_KP_Add, '+'},    {XK_KP_Separator, ','},
    {XK_KP_Subtract, '-'}, {XK_KP_Decimal, '.'},  {XK_KP_Divide, '/'}, {XK_KP_Equal, '='},
};

bool IsCharacter(unsigned long symbol)
{
    switch (symbol) {
    case XK_space:
    case XK_asterisk:
    case XK_plus:
    case XK_comma:
    case XK_minus:
    case XK_period:
    case XK_slash:
    case XK_equal:
        return true;
    default:
        return symbol >= XK_0 && symbol <= XK_9;
    }
}

bool IsFunction(unsigned long symbol)
{
    return (symbol >= XK_KP_F1 && symbol <= XK_KP_F4) || (symbol >= XK_F1 && symbol <= XK_F24);
}

}  // namespace

SKeyTranslation TranslateKeySymbol(unsigned long symbol)
{
    const int raw = static_cast<int>(symbol);
    if (IsCharacter(symbol))
        return {kKeyCharacter, raw, -1};
    if (symbol >= XK_KP_0 && symbol <= XK_KP_9)
        return {kKeyCharacter, static_cast<int>('0' + (symbol - XK_KP_0)), -1};
    for (const auto& twin : kKeypadCharacters) {
        if (twin[0] == symbol)
            return {kKeyCharacter, static_cast<int>(twin[1]), -1};
    }
    for (const KeyRow& row : kEditingKeys) {
        if (row.symbol == symbol)
            return row.translation;
    }
    if (IsFunction(symbol))
        return {kKeyFunction, raw, -1};
    return {kKeyCharacter, raw, -1};
}

}  // namespace kvor::gui
