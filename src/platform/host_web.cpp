// The browser: our own 8-bit pictures (pictures_page.cpp) shown on the
// page's canvas through the palette, the keys from the page's own key
// events and touch controls, gamepads through emscripten's SDL
// (pad_sdl.cpp), Web Audio (sound/mixer_web.js), and the records stored in
// IndexedDB (records_web.js).
#include <SDL.h>
#include <emscripten.h>

#include <cstdint>

#include "platform/frame.h"
#include "platform/host.h"
#include "platform/records.h"
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
}

namespace {

// Counted from the video start, as the desktop's from SDL's: the first
// frame's wait compares with that, so a slow start-up does not also sleep a
// frame.
double g_startedMs;

uint32_t ClockUs() {
    return static_cast<uint32_t>(static_cast<uint64_t>((emscripten_get_now() - g_startedMs) * 1000.0));
}

// Sleeping hands the page its turn to draw and take keys (Asyncify unwinds
// to the browser's event loop). The page cuts a sleep short when it is
// hidden or left (lifecycle_web.js), so the save below is not held up by
// a background tab's slow timers.
EM_ASYNC_JS(void, PageSleep, (int us), { await Module.lifecycle.sleep(us); });
EM_JS(bool, TakeSaveRequest, (), { return Module.lifecycle.takeSaveRequest(); });
EM_JS(bool, PageResting, (), { return Module.lifecycle.resting(); });

// Between two frames: save if the page may go away, and run no frame while
// it is hidden or another page of the site has taken the game over. The
// frame wait counts from its own end, so no burst of frames follows, and
// play time counts only the frames run.
void BetweenFrames() {
    for (;;) {
        if (TakeSaveRequest()) g_host.saveBeforeLeaving();
        if (!PageResting()) return;
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

// By where the keys sit on the keyboard, in the order of KeyboardKey; a plus
// key apart from '=' and the keypad's has no place of its own (null). Enter
// with Alt is left to the browser. The game's keys do nothing else on the
// page (the arrows would scroll it). The page's touch controls come in by
// the same codes through Module.setKey (the picture is Z).
EM_JS(void, ListenToKeys, (bool* held, int count), {
    var codes = [
        'ArrowUp',   'Numpad8', 'ArrowLeft',      'Numpad4', 'ArrowDown', 'Numpad2',    'ArrowRight',
        'Numpad6',   'KeyZ',    'KeyC',           'KeyX',    'Escape',    'Equal',      null,
        'NumpadAdd', 'Minus',   'NumpadSubtract', 'Space',   'Enter',     'NumpadEnter'
    ];
    Module.setKey = function(code, down) {
        var k = codes.indexOf(code);
        if (k < 0) return false;
        HEAPU8[held + k] = down;
        return true;
    };
    function listener(down) {
        return function(e) {
            if (down && e.altKey && e.code.endsWith('Enter')) return;
            if (Module.setKey(e.code, down)) e.preventDefault();
        };
    }
    window.addEventListener('keydown', listener(1));
    window.addEventListener('keyup', listener(0));
    // Keys let go while the page is in the background never report it.
    window.addEventListener(
        'blur', function() { HEAPU8.fill(0, held, held + count); });
});

void ReadKeys(bool held[kKeyboardKeys]) {
    if (!g_listening) {
        ListenToKeys(g_held, kKeyboardKeys);
        g_listening = true;
    }
    for (int k = 0; k < kKeyboardKeys; k++) held[k] = g_held[k];
}

// A page has no window to close, and full screen is the browser's own.
bool PollEvent(WindowEvent*) { return false; }
void ToggleFullScreen() {}

uint32_t g_rgba[kScreenWidth * kScreenHeight];

// The canvas keeps one image over our pixels for good: the module's memory
// never grows, so the image stays valid and each frame is drawn straight
// from it, without a copy.
EM_JS(void, ShowFrame, (const uint32_t* pixels, int width, int height), {
    var shown = Module.shownFrame;
    if (!shown) {
        shown = Module.shownFrame = {
            context : Module.canvas.getContext('2d'),
            image : new ImageData(new Uint8ClampedArray(HEAPU8.buffer, pixels, width * height * 4), width, height)
        };
    }
    shown.context.putImageData(shown.image, 0, 0);
    Module.frames = (Module.frames || 0) + 1;
    if (Module.frameTimes) Module.frameTimes.push(performance.now());  // for a benchmark that asks
});

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
    ShowFrame(g_rgba, kScreenWidth, kScreenHeight);
    // The page draws and takes keys only while the game sleeps. A frame
    // that has already taken its 16 ms gets no sleep in FPSWait, so it
    // lets the page have one turn here, and goes on at once.
    if (ClockUs() - prvTickCount >= kFrameUs) {
        PageSleep(0);
        BetweenFrames();
    }
}

// A picture still on its way (files_web.js) is waited for: the scene that
// loads it starts a little later, as from a slow disk.
EM_JS(bool, FileComing, (const char* path), { return !!Module.siteFiles.arrival(UTF8ToString(path)); });
EM_ASYNC_JS(void, AwaitFile, (const char* path), { await Module.siteFiles.arrival(UTF8ToString(path)); });

SDL_Surface* LoadPicture(const char* path, bool keyed) {
    if (FileComing(path)) AwaitFile(path);
    return kPagePictures.load(path, keyed);
}

// A scoring chop is felt too, where the device can.
EM_JS(void, ChopScored, (), {
    if (navigator.vibrate) navigator.vibrate(40);
});

EM_JS(void, RecordsWritten, (), { Module.storeRecords(); });
EM_JS(void, ScoreShown, (int score), {
    if (Module.onScoreShown) Module.onScoreShown(score);
});

}  // namespace

Host PlatformHost() {
    const HostMixer mixer = {mixer_open,         mixer_close, mixer_load_music,    mixer_holds_music,
                             mixer_load_effect,  mixer_free,  mixer_play_music,    mixer_halt_music,
                             mixer_music_volume, mixer_play_effect,  mixer_effect_volume, mixer_halt_channel};
    HostPictures pictures = kPagePictures;
    pictures.load = LoadPicture;
    return Host{StartVideo, NameWindow, Quit,        Error,          ClockUs,   SleepUs,
                ReadKeys,   SdlOpenPad, SdlClosePad, SdlReadPad,     PollEvent, ToggleFullScreen,
                Present,    pictures,   mixer,       RecordsWritten, ScoreShown, ChopScored, nullptr};
}

Host g_host = PlatformHost();
