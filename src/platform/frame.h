// The end of every frame: present it, hold the 16 ms pace while counting the
// play time, and handle quit and volume, which work in every scene.
#pragma once
#include <cstdint>

constexpr uint32_t kFrameMs = 16;
constexpr uint32_t kFrameUs = kFrameMs * 1000;
// Beyond this, a magnified frame would be a huge copy showing a few pixels.
constexpr int kMaxZoom = 8;

struct WindowEvent;

extern int g_scene;            // the scene to run next; 0 ends the program
extern uint32_t prvTickCount;  // microseconds, as the host's clock counts them
extern WindowEvent event;      // the last window event taken

void InitFrameTimer();
void halt();
void BltGSreface(int zoom);
void FPSWait();
int system_keys();
int Set_Volume(int volume);

// The final score, as the result screen shows it: the host may offer more
// around the game with it (the page offers to share it).
void ReportScore(int score);

// A chop that scored, for the host to make felt where it can.
void ReportChop();
