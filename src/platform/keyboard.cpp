#include "platform/keyboard.h"

#include <SDL.h>

static const SDLKey kSymbols[kKeyboardKeys] = {
    SDLK_UP, SDLK_KP8, SDLK_LEFT,   SDLK_KP4,    SDLK_DOWN, SDLK_KP2,     SDLK_RIGHT, SDLK_KP6,     SDLK_z,
    SDLK_c,  SDLK_x,   SDLK_ESCAPE, SDLK_EQUALS, SDLK_PLUS, SDLK_KP_PLUS, SDLK_MINUS, SDLK_KP_MINUS};

void ReadKeyboard(bool held[kKeyboardKeys]) {
    const Uint8* keys = SDL_GetKeyState(nullptr);
    for (int k = 0; k < kKeyboardKeys; k++) held[k] = keys[kSymbols[k]] == 1;
    held[KB_ESCAPE] = keys[SDLK_ESCAPE] != 0;
}
