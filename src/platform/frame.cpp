#include "platform/frame.h"

#include <SDL.h>

#include "app/app.h"
#include "platform/input.h"
#include "platform/records.h"
#include "platform/seams.h"
#include "sound/sound.h"

uint32_t prvTickCount;
SDL_Event event;

void InitFrameTimer() {
    prvTickCount = 0;
    event = SDL_Event{};
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
    if (Tick60(gameflag[GF_PLAY_FRAMES]) && Tick60(gameflag[GF_PLAY_SECONDS]) &&
        Tick60(gameflag[GF_PLAY_MINUTES]) && gameflag[GF_PLAY_HOURS] < 999)
        gameflag[GF_PLAY_HOURS]++;
}

// In 64 bits, so that a corrupt volume near the int limits cannot overflow.
static void StepVolume(int delta) {
    int64_t v = static_cast<int64_t>(gameflag[GF_VOLUME]) + delta;
    if (delta > 0 && v > 128) v = 128;
    if (delta < 0 && v < 0) v = 0;
    gameflag[GF_VOLUME] = static_cast<int32_t>(v);
    Set_Volume(gameflag[GF_VOLUME]);
}

void FPSWait() {
    SDL_PollEvent(&event);
    if (g_seams.polled) g_seams.polled();
    // Unsigned difference: correct across the 49-day wrap of the tick count,
    // and a clock that seems to run backwards never causes a long sleep.
    uint32_t elapsed = g_seams.ticks() - prvTickCount;
    if (elapsed < kFrameMs) g_seams.delay(kFrameMs - elapsed);
    prvTickCount = g_seams.ticks();
    AdvancePlayTime();
}

int system_keys() {
    int result = 1;
    if (event.type == SDL_QUIT || IsPressKey(kKeyQuit)) {
        g_scene = 0;
        result = 0;
    }
    if (IsPushKey(kKeyVolumeUp)) StepVolume(+10);
    if (IsPushKey(kKeyVolumeDown)) StepVolume(-10);
    return result;
}

int Set_Volume(int volume) {
    // The volume comes from the settings file; the mixer gets only 0 to 128.
    int v = volume < 0 ? 0 : volume > 128 ? 128 : volume;
    soundSetVolumeBgm(v);
    soundSetVolumeAll(v);
    return 0;
}
