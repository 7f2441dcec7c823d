// The keyboard keys the game reads, under names of its own: each platform's
// host reports them from its own key codes.
#pragma once

// The one list of keys: the game's name, SDL's key (expanded only by the
// desktop's host) and the browser's key `code` by where the key sits (null:
// no key of its own there; the '+' apart from '=' and the keypad's). KB_RETURN
// is not held while it is the Enter of Alt+Enter, which switches full screen
// only.
#define TAVIKORO_KEYS(X)                            \
    X(KB_UP, SDLK_UP, "ArrowUp")                    \
    X(KB_KP8, SDLK_KP8, "Numpad8")                  \
    X(KB_LEFT, SDLK_LEFT, "ArrowLeft")              \
    X(KB_KP4, SDLK_KP4, "Numpad4")                  \
    X(KB_DOWN, SDLK_DOWN, "ArrowDown")              \
    X(KB_KP2, SDLK_KP2, "Numpad2")                  \
    X(KB_RIGHT, SDLK_RIGHT, "ArrowRight")           \
    X(KB_KP6, SDLK_KP6, "Numpad6")                  \
    X(KB_Z, SDLK_z, "KeyZ")                         \
    X(KB_C, SDLK_c, "KeyC")                         \
    X(KB_X, SDLK_x, "KeyX")                         \
    X(KB_ESCAPE, SDLK_ESCAPE, "Escape")             \
    X(KB_EQUALS, SDLK_EQUALS, "Equal")              \
    X(KB_PLUS, SDLK_PLUS, nullptr)                  \
    X(KB_KP_PLUS, SDLK_KP_PLUS, "NumpadAdd")        \
    X(KB_MINUS, SDLK_MINUS, "Minus")                \
    X(KB_KP_MINUS, SDLK_KP_MINUS, "NumpadSubtract") \
    X(KB_SPACE, SDLK_SPACE, "Space")                \
    X(KB_RETURN, SDLK_RETURN, "Enter")              \
    X(KB_KP_ENTER, SDLK_KP_ENTER, "NumpadEnter")

#define TAVIKORO_KEY_NAME(name, sdl, code) name,
enum KeyboardKey { TAVIKORO_KEYS(TAVIKORO_KEY_NAME) kKeyboardKeys };
#undef TAVIKORO_KEY_NAME
