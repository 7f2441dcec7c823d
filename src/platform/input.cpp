#include "platform/input.h"

#include "platform/host.h"
#include "platform/keyboard.h"

int key_eventPress[kKeySlots];
int key_eventPress_old[kKeySlots];
int key_eventPush[kKeySlots];

// Joystick buttons 0 to 9 feed these slots.
static const int kButtonSlot[kPadButtons] = {12, 15, 14, 13, 11, 10, 17, 16, 9, 8};
constexpr int kAxisThreshold = 16384;

void KeyInit() {
    for (int i = 0; i < kKeySlots; i++) key_eventPress[i] = key_eventPress_old[i] = key_eventPush[i] = 0;
    initPAD();
}

int initPAD() { return g_host.openPad() ? 1 : 0; }
void closePAD() { g_host.closePad(); }

void KeyInput() {
    bool keys[kKeyboardKeys];
    g_host.readKeys(keys);
    int axes[2] = {0, 0};
    int buttons[kPadButtons] = {0};
    g_host.readPad(axes, buttons);  // leaves them at rest when there is no joystick

    int* press = key_eventPress;
    for (int i = 0; i < kKeySlots; i++) press[i] = 0;
    if (keys[KB_UP] || keys[KB_KP8] || axes[1] < -kAxisThreshold) press[0] = 1;
    if (keys[KB_LEFT] || keys[KB_KP4] || axes[0] < -kAxisThreshold) press[2] = 1;
    if (keys[KB_DOWN] || keys[KB_KP2] || axes[1] > kAxisThreshold) press[4] = 1;
    if (keys[KB_RIGHT] || keys[KB_KP6] || axes[0] > kAxisThreshold) press[6] = 1;
    // Z, and Space and Enter for players who expect the one button there.
    if (keys[KB_Z] || keys[KB_SPACE] || keys[KB_RETURN] || keys[KB_KP_ENTER]) press[12] = 1;
    if (keys[KB_C]) press[14] = 1;
    if (keys[KB_X]) press[15] = 1;
    if (keys[KB_ESCAPE]) press[kKeyQuit] = 1;
    // Keyboard players get the volume buttons too; '+' is shift and '=' on many layouts.
    if (keys[KB_EQUALS] || keys[KB_PLUS] || keys[KB_KP_PLUS]) press[kKeyVolumeUp] = 1;
    if (keys[KB_MINUS] || keys[KB_KP_MINUS]) press[kKeyVolumeDown] = 1;
    for (int b = 0; b < kPadButtons; b++)
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
