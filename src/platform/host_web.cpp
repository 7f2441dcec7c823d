// The browser: our own 8-bit pictures (pictures_page.cpp) shown on the
// page's canvas through the palette, the keys from the page's own key
// events and touch controls, gamepads through emscripten's SDL
// (pad_sdl.cpp), Web Audio (sound/mixer_web.js), and the records stored in
// IndexedDB (records_web.js). What it asks of the page is in host_web.js.
#include <SDL.h>
#include <emscripten.h>

#include <cstdint>

#include "platform/frame.h"
#include "platform/host.h"
#include "platform/surfaces.h"

extern "C" {
int mixer_open();
void mixer_close();
int mixer_load_music(int slot, const char* path);
int mixer_holds_music(int slot);
int mixer_load_effect(int slot, const char* path);
void mixer_free(int slot);
void mixer_play_music(int slot, int loops);
void mixer_halt_music();
void mixer_music_volume(int volume);
void mixer_play_effect(int channel, int slot);
void mixer_effect_volume(int slot, int volume);
void mixer_halt_channel(int channel);

void host_sleep(int us);  // unwinds to the browser's event loop
bool host_take_save_request();
bool host_resting();
void host_listen_to_keys(bool* held, const char* const* codes, int count);
void host_show_frame(const uint32_t* pixels, int width, int height);
bool host_file_coming(const char* path);
void host_await_file(const char* path);  // unwinds until it has come or failed
void host_chop_scored();
void host_records_written();
void host_score_shown(int score);
}

namespace {

// Counted from the video start, as the desktop's from SDL's: the first
// frame's wait compares with that, so a slow start-up does not also sleep a
// frame.
double g_startedMs;

uint32_t ClockUs() {
    return static_cast<uint32_t>(static_cast<uint64_t>((emscripten_get_now() - g_startedMs) * 1000.0));
}

// When the page last had its turn to draw and take keys: the end of the
// host's last sleep.
uint32_t g_pageTurnUs;

// Sleeping hands the page its turn to draw and take keys (Asyncify unwinds
// to the browser's event loop). The page cuts a sleep short when it is
// hidden or left, so the save below is not held up by a background tab's
// slow timers.
void PageSleep(int us) {
    host_sleep(us);
    g_pageTurnUs = ClockUs();
}

// Between two frames: save if the page may go away, and run no frame while
// it is hidden or another page of the site has taken the game over. The
// frame wait counts from its own end, so no burst of frames follows, and
// play time counts only the frames run.
void BetweenFrames() {
    for (;;) {
        if (host_take_save_request()) g_host.saveBeforeLeaving();
        if (!host_resting()) return;
        PageSleep(60 * 1000000);
    }
}

// A plain sleep to the frame's end, in the timer's whole milliseconds.
void SleepUs(uint32_t us) {
    PageSleep(static_cast<int>(us));
    BetweenFrames();
}

// The page's canvas is there from the start.
bool StartVideo() {
    g_startedMs = emscripten_get_now();
    return true;
}
void NameWindow(const char*) {}  // the page has its own title
void Quit() {}
const char* Error() { return ""; }

// Held now: the game sees what is held when it samples, as on the desktop.
bool g_held[kKeyboardKeys];
bool g_listening;

// By where the keys sit on the keyboard. The page's touch controls come in
// by the same codes through the page's setKey (the picture is Z).
#define TAVIKORO_KEY_CODE(name, sdl, code) code,
const char* const kCodes[kKeyboardKeys] = {TAVIKORO_KEYS(TAVIKORO_KEY_CODE)};
#undef TAVIKORO_KEY_CODE

void ReadKeys(bool held[kKeyboardKeys]) {
    if (!g_listening) {
        host_listen_to_keys(g_held, kCodes, kKeyboardKeys);
        g_listening = true;
    }
    for (int k = 0; k < kKeyboardKeys; k++) held[k] = g_held[k];
}

// A page has no window to close, and full screen is the browser's own.
bool PollEvent(WindowEvent*) { return false; }
void ToggleFullScreen() {}

uint32_t g_rgba[kScreenWidth * kScreenHeight];

// Each frame goes through the current palette onto the canvas, which the
// page scales.
void Present() {
    uint32_t colors[256];
    const SDL_Color* palette = g_screen->format->palette->colors;
    for (int i = 0; i < 256; i++)
        colors[i] = 0xff000000u | static_cast<uint32_t>(palette[i].b) << 16 | palette[i].g << 8 | palette[i].r;
    const uint8_t* pixels = static_cast<const uint8_t*>(g_screen->pixels);
    for (int y = 0; y < kScreenHeight; y++)
        for (int x = 0; x < kScreenWidth; x++) g_rgba[y * kScreenWidth + x] = colors[pixels[y * g_screen->pitch + x]];
    host_show_frame(g_rgba, kScreenWidth, kScreenHeight);
    // The page draws and takes keys only while the game sleeps. Late
    // frames get no sleep in FPSWait, so once a frame period has passed
    // since the page's last turn, it has one here, and the game goes on at
    // once.
    if (ClockUs() - g_pageTurnUs >= kFrameUs) {
        PageSleep(0);
        BetweenFrames();
    }
}

// A picture still on its way (files_web.js) is waited for: the scene that
// loads it starts a little later, as from a slow disk.
SDL_Surface* LoadPicture(const char* path, bool keyed) {
    if (host_file_coming(path)) host_await_file(path);
    return kPagePictures.load(path, keyed);
}

}  // namespace

Host PlatformHost() {
    const HostMixer mixer = {mixer_open,         mixer_close,       mixer_load_music,    mixer_holds_music,
                             mixer_load_effect,  mixer_free,        mixer_play_music,    mixer_halt_music,
                             mixer_music_volume, mixer_play_effect, mixer_effect_volume, mixer_halt_channel};
    HostPictures pictures = kPagePictures;
    pictures.load = LoadPicture;
    return Host{StartVideo,       NameWindow,       Quit,      Error,
                ClockUs,          SleepUs,          ReadKeys,  SdlOpenPad,
                SdlClosePad,      SdlReadPad,       PollEvent, ToggleFullScreen,
                Present,          pictures,         mixer,     host_records_written,
                host_score_shown, host_chop_scored, nullptr};
}

Host g_host = PlatformHost();
