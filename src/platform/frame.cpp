#include "platform/frame.h"

#include "platform/host.h"
#include "platform/input.h"
#include "platform/records.h"
#include "platform/surfaces.h"
#include "sound/sound.h"

int g_scene;
uint32_t prvTickCount;
WindowEvent event;
// Whether this frame's poll took an event, so one key press toggles once.
static bool g_eventTaken;

void InitFrameTimer() {
    prvTickCount = 0;
    event = WindowEvent{WE_NONE};
    g_eventTaken = false;
}

// Adds one to a counter that rolls over at 60; true when it rolled over.
// Tested before adding, so a corrupt value near INT_MAX cannot overflow.
static bool Tick60(int32_t& counter) {
    if (counter < 59) {
        counter++;
        return false;
    }
    counter = 0;
    return true;
}

static void AdvancePlayTime() {
    if (Tick60(gameflag[GF_PLAY_FRAMES]) && Tick60(gameflag[GF_PLAY_SECONDS]) && Tick60(gameflag[GF_PLAY_MINUTES]) &&
        gameflag[GF_PLAY_HOURS] < 999)
        gameflag[GF_PLAY_HOURS]++;
}

constexpr int kVolumeStep = 10;  // of the mixer's 0 to 128

// In 64 bits, so that a corrupt volume near the int limits cannot overflow.
static void StepVolume(int delta) {
    int64_t v = static_cast<int64_t>(gameflag[GF_VOLUME]) + delta;
    if (delta > 0 && v > 128) v = 128;
    if (delta < 0 && v < 0) v = 0;
    gameflag[GF_VOLUME] = static_cast<int32_t>(v);
    Set_Volume(gameflag[GF_VOLUME]);
}

void FPSWait() {
    g_eventTaken = g_host.pollEvent(&event);
    // Microseconds: whole milliseconds made the periods alternate around 16 ms.
    // Unsigned difference: correct across the clock's wrap, and a clock that
    // seems to run backwards never causes a long sleep.
    uint32_t elapsed = g_host.clockUs() - prvTickCount;
    if (elapsed < kFrameUs) g_host.sleepUs(kFrameUs - elapsed);
    prvTickCount = g_host.clockUs();
    AdvancePlayTime();
}

int system_keys() {
    int result = 1;
    if (g_eventTaken && event.kind == WE_TOGGLE_FULL_SCREEN && g_screen) g_host.toggleFullScreen();
    if (event.kind == WE_QUIT || IsPressKey(kKeyQuit)) {
        g_scene = 0;
        result = 0;
    }
    if (IsPushKey(kKeyVolumeUp)) StepVolume(+kVolumeStep);
    if (IsPushKey(kKeyVolumeDown)) StepVolume(-kVolumeStep);
    return result;
}

int Set_Volume(int volume) {
    // The volume comes from the settings file; the mixer gets only 0 to 128.
    int v = volume < 0 ? 0 : volume > 128 ? 128 : volume;
    soundSetVolumeBgm(v);
    soundSetVolumeAll(v);
    return 0;
}

void ReportScore(int score) { g_host.scoreShown(score); }

void ReportChop() { g_host.chopScored(); }

void BltGSreface(int zoom) { g_host.pictures.magnify(zoom); }

void halt() {
    int zoom = gameflag[GF_ZOOM];
    if (zoom > 1 && zoom <= kMaxZoom) BltGSreface(zoom);
    g_host.present();
}
