// The keyboard keys the game reads, under names of its own: each platform's
// host reports them from its own key codes.
#pragma once

enum KeyboardKey {
    KB_UP,
    KB_KP8,
    KB_LEFT,
    KB_KP4,
    KB_DOWN,
    KB_KP2,
    KB_RIGHT,
    KB_KP6,
    KB_Z,
    KB_C,
    KB_X,
    KB_ESCAPE,
    KB_EQUALS,
    KB_PLUS,
    KB_KP_PLUS,
    KB_MINUS,
    KB_KP_MINUS,
    KB_SPACE,
    KB_RETURN,  // not while it is the Enter of Alt+Enter, which switches full screen only
    KB_KP_ENTER,
    kKeyboardKeys
};
