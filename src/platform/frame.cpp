#include "platform/frame.h"

#include <SDL.h>
#include <SDL_rotozoom.h>

#include "app/app.h"
#include "platform/input.h"
#include "platform/records.h"
#include "platform/seams.h"
#include "platform/surfaces.h"
#include "sound/sound.h"

uint32_t prvTickCount;
SDL_Event event;
// Whether this frame's poll took an event, so one key press toggles once.
static bool g_eventTaken;

void InitFrameTimer() {
    prvTickCount = 0;
    event = SDL_Event{};
    g_eventTaken = false;
}

void BltGSreface(int zoom) {
    SDL_Surface* copy = rotozoomSurface(g_screen, 0.0, static_cast<double>(zoom), SMOOTHING_OFF);
    if (!copy) return;  // the frame is then shown unmagnified
    SDL_Palette* palette = g_screen->format->palette;
    if (g_screen->format->BitsPerPixel <= 8 && palette) {
        SDL_SetPalette(copy, SDL_LOGPAL | SDL_PHYSPAL, palette->colors, 0, palette->ncolors);
        SDL_SetColorKey(copy, 0, 0);
    }
    // No clearing first: the unkeyed copy is larger than the display and
    // covers all of it.
    SDL_Rect origin = {0, 0, 0, 0};
    SDL_BlitSurface(copy, nullptr, g_screen, &origin);
    SDL_FreeSurface(copy);
}

void halt() {
    int zoom = gameflag[GF_ZOOM];
    if (zoom > 1 && zoom <= kMaxZoom) BltGSreface(zoom);
    SDL_Flip(g_screen);
    if (g_seams.presented) g_seams.presented();
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
    g_eventTaken = SDL_PollEvent(&event) == 1;
    if (g_seams.polled) g_seams.polled();
    // Microseconds: whole milliseconds made the periods alternate around 16 ms.
    // Unsigned difference: correct across the clock's wrap, and a clock that
    // seems to run backwards never causes a long sleep.
    uint32_t elapsed = g_seams.clockUs() - prvTickCount;
    if (elapsed < kFrameUs) g_seams.sleepUs(kFrameUs - elapsed);
    prvTickCount = g_seams.clockUs();
    AdvancePlayTime();
}

// F11 or Alt+Enter; where the library cannot toggle, nothing happens.
static bool AsksForFullScreenToggle(const SDL_Event& e) {
    if (e.type != SDL_KEYDOWN) return false;
    SDLKey key = e.key.keysym.sym;
    bool enter = key == SDLK_RETURN || key == SDLK_KP_ENTER;
    return key == SDLK_F11 || (enter && (e.key.keysym.mod & KMOD_ALT));
}

int system_keys() {
    int result = 1;
    if (g_eventTaken && AsksForFullScreenToggle(event) && g_screen) SDL_WM_ToggleFullScreen(g_screen);
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
