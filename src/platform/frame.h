// The end of every frame: present it, hold the 16 ms pace while counting the
// play time, and handle quit and volume, which work in every scene.
#pragma once
#include <cstdint>

constexpr uint32_t kFrameMs = 16;
constexpr uint32_t kFrameUs = kFrameMs * 1000;
// Beyond this, a magnified frame would be a huge copy showing a few pixels.
constexpr int kMaxZoom = 8;

extern uint32_t prvTickCount;  // microseconds, as the seam's clock counts them

void InitFrameTimer();
void halt();
void BltGSreface(int zoom);
void FPSWait();
int system_keys();
int Set_Volume(int volume);
