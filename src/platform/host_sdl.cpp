// The desktop: SDL 1.2 for the window, keys and events, its joystick
// (pad_sdl.cpp), SDL_gfx and SDL's surfaces for the pictures
// (pictures_sdl.cpp), SDL_mixer for sound (sound/mixer_sdl.cpp), and the
// monotonic clock with a plain sleep.
#include <SDL.h>
#include <time.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include "platform/host.h"
#include "platform/surfaces.h"
#include "platform/window_scale.h"

namespace {

int64_t MonotonicNs() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// Counted from when SDL started, as its tick count is: the first frame's
// wait compares with that, so a slow start-up does not also sleep a frame.
uint32_t ClockUs() {
    static const int64_t start = MonotonicNs() - static_cast<int64_t>(SDL_GetTicks()) * 1000000;
    return static_cast<uint32_t>((MonotonicNs() - start) / 1000);
}

// A plain sleep to the deadline on the monotonic clock: no yielding or
// polling, so a waiting frame costs no processor time.
void SleepUs(uint32_t us) {
    static bool slackSet = false;
    if (!slackSet) {
#ifdef __linux__
        prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);  // wake at the time asked, not up to 50 µs after
#endif
        slackSet = true;
    }
    int64_t deadline = MonotonicNs() + static_cast<int64_t>(us) * 1000;
    timespec at = {static_cast<time_t>(deadline / 1000000000), static_cast<long>(deadline % 1000000000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
    }
}

bool Named(const char* variable) {
    const char* value = std::getenv(variable);
    return value && *value;
}

// Left to choose, SDL falls back to drivers nobody sees (offscreen, text on
// the console) where the display is missing or refuses the connection, and
// the game would play on to no one. So the driver of the display named is
// asked for; a busy X server refuses one connection in a hundred, so it is
// asked again for a while. A driver the user names is taken as it is.
constexpr int64_t kDisplayPatienceNs = 2000000000;
constexpr uint32_t kDisplayRetryUs = 100000;

bool StartWindowVideo() {
    if (Named("SDL_VIDEODRIVER")) return SDL_Init(SDL_INIT_VIDEO) == 0;
    const char* display = Named("DISPLAY") ? "DISPLAY" : Named("WAYLAND_DISPLAY") ? "WAYLAND_DISPLAY" : nullptr;
    if (!display) {
        SDL_SetError("no display to open a window on (DISPLAY is not set)");
        return false;
    }
    const char* driver = std::strcmp(display, "DISPLAY") == 0 ? "x11" : "wayland";
    const int64_t giveUp = MonotonicNs() + kDisplayPatienceNs;
    char reason[256];
    for (;;) {
        setenv("SDL_VIDEODRIVER", driver, 1);
        bool up = SDL_Init(SDL_INIT_VIDEO) == 0;
        unsetenv("SDL_VIDEODRIVER");
        if (up) return true;
        std::snprintf(reason, sizeof reason, "%s", SDL_GetError());
        // sdl12-compat counts a failed start as done, and would open the
        // window later with a driver of its own choosing.
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        if (MonotonicNs() >= giveUp) break;
        SleepUs(kDisplayRetryUs);
    }
    SDL_SetError("cannot open display %s: %s", std::getenv(display), reason);
    return false;
}

bool StartVideo() {
    KeepPixelsSharp();
    if (!StartWindowVideo()) return false;
    SetUpWindowScale();
    return true;
}

void NameWindow(const char* caption) {
    SDL_WM_SetCaption(caption, "");
    SDL_ShowCursor(0);
}

const char* Error() { return SDL_GetError(); }

#define TAVIKORO_KEY_SYMBOL(name, sdl, code) sdl,
const SDLKey kSymbols[kKeyboardKeys] = {TAVIKORO_KEYS(TAVIKORO_KEY_SYMBOL)};
#undef TAVIKORO_KEY_SYMBOL

// Alt+Enter is the full-screen switch and nothing else: an Enter that went
// down with Alt stays out of the game until it is let go, also when Alt is
// let go first. Seen at a sample or, when both were quicker, in the event.
bool switchedFullScreen[kKeyboardKeys];

void ReadKeys(bool held[kKeyboardKeys]) {
    const Uint8* keys = SDL_GetKeyState(nullptr);
    for (int k = 0; k < kKeyboardKeys; k++) held[k] = keys[kSymbols[k]] != 0;
    bool alt = (SDL_GetModState() & KMOD_ALT) != 0;
    for (KeyboardKey enter : {KB_RETURN, KB_KP_ENTER}) {
        switchedFullScreen[enter] = held[enter] && (alt || switchedFullScreen[enter]);
        if (switchedFullScreen[enter]) held[enter] = false;
    }
}

// F11 or Alt+Enter switch full screen; where the library cannot, nothing happens.
bool PollEvent(WindowEvent* event) {
    SDL_Event e;
    if (SDL_PollEvent(&e) != 1) return false;
    event->kind = WE_OTHER;
    if (e.type == SDL_QUIT) event->kind = WE_QUIT;
    if (e.type == SDL_KEYDOWN) {
        SDLKey key = e.key.keysym.sym;
        bool altEnter = (key == SDLK_RETURN || key == SDLK_KP_ENTER) && (e.key.keysym.mod & KMOD_ALT);
        if (altEnter) switchedFullScreen[key == SDLK_RETURN ? KB_RETURN : KB_KP_ENTER] = true;
        if (key == SDLK_F11 || altEnter) event->kind = WE_TOGGLE_FULL_SCREEN;
    }
    return true;
}

void ToggleFullScreen() { SDL_WM_ToggleFullScreen(g_screen); }
void Present() { SDL_Flip(g_screen); }

void RecordsWritten() {}  // the files are the storage
void ScoreShown(int) {}   // the window shows it
void ChopScored() {}      // the sounds say it

}  // namespace

Host PlatformHost() {
    return Host{StartVideo, NameWindow,     SDL_Quit,   Error,      ClockUs,          SleepUs, ReadKeys,
                SdlOpenPad, SdlClosePad,    SdlReadPad, PollEvent,  ToggleFullScreen, Present, kSdlPictures,
                kSdlMixer,  RecordsWritten, ScoreShown, ChopScored, nullptr};
}

Host g_host = PlatformHost();
