// The key translation table, symbol by symbol.
#include <gtest/gtest.h>

#include "gui/Keys.h"
#include "gui/SControl.h"

#include <X11/keysym.h>

using namespace kvor::gui;

namespace {

void ExpectKey(unsigned long symbol, int keyClass, int key, int flag = -1)
{
    const SKeyTranslation translation = TranslateKeySymbol(symbol);
    EXPECT_EQ(translation.keyClass, keyClass) << std::hex << symbol;
    EXPECT_EQ(translation.key, key) << std::hex << symbol;
    EXPECT_EQ(translation.modifierFlag, flag) << std::hex << symbol;
}

}  // namespace

TEST(KeysTest, CharactersAndTheirKeypadTwins)
{
    ExpectKey(XK_space, 0, 32);
    ExpectKey(XK_KP_Space, 0, 32);
    ExpectKey(XK_asterisk, 0, 42);
    ExpectKey(XK_KP_Multiply, 0, 42);
    ExpectKey(XK_KP_Add, 0, 43);
    ExpectKey(XK_KP_Separator, 0, 44);
    ExpectKey(XK_KP_Subtract, 0, 45);
    ExpectKey(XK_KP_Decimal, 0, 46);
    ExpectKey(XK_KP_Divide, 0, 47);
    ExpectKey(XK_KP_Equal, 0, 61);
    ExpectKey(XK_0, 0, 48);
    ExpectKey(XK_KP_5, 0, 53);
    ExpectKey(XK_KP_9, 0, 57);
}

TEST(KeysTest, EditingKeysAndTheirKeypadTwins)
{
    ExpectKey(XK_Return, 4, 0);
    ExpectKey(XK_KP_Enter, 4, 0);
    ExpectKey(XK_Escape, 4, 1);
    ExpectKey(XK_KP_Tab, 4, 2);
    ExpectKey(XK_BackSpace, 4, 3);
    ExpectKey(XK_KP_Delete, 4, 4);
    ExpectKey(XK_Insert, 4, 5);
    ExpectKey(XK_KP_Up, 4, 6);
    ExpectKey(XK_Down, 4, 7);
    ExpectKey(XK_Left, 4, 8);
    ExpectKey(XK_KP_Right, 4, 9);
    ExpectKey(XK_Prior, 4, 10);
    ExpectKey(XK_KP_Next, 4, 11);
    ExpectKey(XK_Home, 4, 12);
    ExpectKey(XK_KP_End, 4, 13);
    ExpectKey(XK_Caps_Lock, 4, 14);
    ExpectKey(XK_Print, 4, 15);
    ExpectKey(XK_Pause, 4, 16);
    ExpectKey(XK_Break, 4, 16);
}

TEST(KeysTest, ModifiersFunctionKeysAndTheRest)
{
    ExpectKey(XK_Shift_R, 3, 17, context::kMouseShift);
    ExpectKey(XK_Control_L, 3, 18, context::kMouseControl);
    ExpectKey(XK_Alt_R, 3, 19, context::kMouseAlt);
    ExpectKey(XK_KP_F1, 5, XK_KP_F1);
    ExpectKey(XK_F24, 5, XK_F24);
    ExpectKey(XK_a, 0, XK_a);
    ExpectKey(XK_KP_Begin, 0, XK_KP_Begin);
}
