// The first joystick through SDL's joystick API, which the desktop's SDL and
// emscripten's (over the browser's gamepads) both offer.
#include <SDL.h>

#include "platform/host.h"

static SDL_Joystick* joystick;

bool SdlOpenPad() {
    joystick = nullptr;
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) < 0) return false;
    if (SDL_NumJoysticks() > 0) {
        joystick = SDL_JoystickOpen(0);
        SDL_JoystickEventState(SDL_ENABLE);
    }
    return true;
}

void SdlClosePad() {
    if (joystick && SDL_JoystickOpened(0)) SDL_JoystickClose(joystick);
    joystick = nullptr;
}

bool SdlReadPad(int axes[2], int buttons[kPadButtons]) {
    if (!joystick) return false;
    for (int a = 0; a < 2; a++) axes[a] = SDL_JoystickGetAxis(joystick, a);
    for (int b = 0; b < kPadButtons; b++) buttons[b] = SDL_JoystickGetButton(joystick, b);
    return true;
}
