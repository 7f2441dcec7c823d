// Keyboard and first joystick, sampled once per frame into 20 key slots.
#pragma once

constexpr int kKeySlots = 20;
constexpr int kKeyOk = 12;
constexpr int kKeyCancel = 15;
constexpr int kKeyVolumeUp = 16;
constexpr int kKeyVolumeDown = 17;
constexpr int kKeyQuit = 19;

extern int key_eventPress[kKeySlots];
extern int key_eventPress_old[kKeySlots];
extern int key_eventPush[kKeySlots];

void KeyInit();
int initPAD();
void closePAD();
void KeyInput();
int IsPushKey(int slot);
int IsPressKey(int slot);
int IsPushOKKey();
int IsPushCancelKey();
