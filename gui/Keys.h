// Turns X key symbols into the (class, key) pairs that controls receive in
// KeyStateChanged.
#pragma once

namespace kvor::gui {

enum SKeyClass : int {
    kKeyCharacter = 0,
    kKeyModifier = 3,
    kKeyEditing = 4,
    kKeyFunction = 5,
};

struct SKeyTranslation {
    int keyClass;
    int key;
    // The mouse-state flag that the key holds while down (Shift, Control,
    // Alt), or -1.
    int modifierFlag;
};

SKeyTranslation TranslateKeySymbol(unsigned long keySymbol);

}  // namespace kvor::gui
