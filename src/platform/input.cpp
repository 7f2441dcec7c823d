#include "platform/input.h"

#include <SDL.h>

#include "platform/seams.h"

int key_eventPress[kKeySlots];
int key_eventPress_old[kKeySlots];
int key_eventPush[kKeySlots];

static SDL_Joystick* joys;

// Joystick buttons 0 to 9 feed these slots.
static const int kButtonSlot[10] = {12, 15, 14, 13, 11, 10, 17, 16, 9, 8};
constexpr int kAxisThreshold = 16384;

void KeyInit() {
    for (int i = 0; i < kKeySlots; i++) key_eventPress[i] = key_eventPress_old[i] = key_eventPush[i] = 0;
    initPAD();
}

int initPAD() {
    joys = nullptr;
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) < 0) return 0;
    if (SDL_NumJoysticks() > 0) {
        joys = SDL_JoystickOpen(0);
        SDL_JoystickEventState(SDL_ENABLE);
    }
    return 1;
}

void closePAD() {
    if (joys && SDL_JoystickOpened(0)) SDL_JoystickClose(joys);
    joys = nullptr;
}

static void ReadPad(int axes[2], int buttons[10]) {
    if (g_seams.pad && g_seams.pad(axes, buttons)) return;
    if (!joys) return;
    for (int a = 0; a < 2; a++) axes[a] = SDL_JoystickGetAxis(joys, a);
    for (int b = 0; b < 10; b++) buttons[b] = SDL_JoystickGetButton(joys, b);
}

void KeyInput() {
    const Uint8* keys = SDL_GetKeyState(nullptr);
    int axes[2] = {0, 0};
    int buttons[10] = {0};
    ReadPad(axes, buttons);

    int* press = key_eventPress;
    for (int i = 0; i < kKeySlots; i++) press[i] = 0;
    if (keys[SDLK_UP] == 1 || keys[SDLK_KP8] == 1 || axes[1] < -kAxisThreshold) press[0] = 1;
    if (keys[SDLK_LEFT] == 1 || keys[SDLK_KP4] == 1 || axes[0] < -kAxisThreshold) press[2] = 1;
    if (keys[SDLK_DOWN] == 1 || keys[SDLK_KP2] == 1 || axes[1] > kAxisThreshold) press[4] = 1;
    if (keys[SDLK_RIGHT] == 1 || keys[SDLK_KP6] == 1 || axes[0] > kAxisThreshold) press[6] = 1;
    if (keys[SDLK_z] == 1) press[12] = 1;
    if (keys[SDLK_c] == 1) press[14] = 1;
    if (keys[SDLK_x] == 1) press[15] = 1;
    if (keys[SDLK_ESCAPE]) press[kKeyQuit] = 1;
    // Keyboard players get the volume buttons too; '+' is shift and '=' on many layouts.
    if (keys[SDLK_EQUALS] == 1 || keys[SDLK_PLUS] == 1 || keys[SDLK_KP_PLUS] == 1) press[kKeyVolumeUp] = 1;
    if (keys[SDLK_MINUS] == 1 || keys[SDLK_KP_MINUS] == 1) press[kKeyVolumeDown] = 1;
    for (int b = 0; b < 10; b++)
        if (buttons[b]) press[kButtonSlot[b]] = 1;

    for (int i = 0; i < kKeySlots; i++) {
        key_eventPush[i] = press[i] && !key_eventPress_old[i] ? 1 : 0;
        key_eventPress_old[i] = press[i];
    }
}

// Slots come from the settings record, which is read from disk: anything
// outside the table is simply never held.
int IsPushKey(int slot) { return slot >= 0 && slot < kKeySlots && key_eventPush[slot] == 1 ? 1 : 0; }
int IsPressKey(int slot) { return slot >= 0 && slot < kKeySlots && key_eventPress[slot] == 1 ? 1 : 0; }
int IsPushOKKey() { return IsPushKey(kKeyOk); }
int IsPushCancelKey() { return IsPushKey(kKeyCancel); }
