// Everything the game needs from the machine it runs on, as one table of
// functions. Each platform fills one in: the SDL 1.2 desktop (host_sdl.cpp),
// the browser (host_web.cpp) and the test rigs (tests/harness), which start
// from the desktop's and replace what they script. The platform layer's free
// functions (LoadBitmap, KeyInput, FPSWait, SaveGameFlag, the sound bank...)
// are the same everywhere and reach the machine only through g_host.
#pragma once
#include <cstdint>

#include "platform/keyboard.h"

// The gamepad buttons the game reads, by the joystick's numbering.
constexpr int kPadButtons = 10;

struct SDL_Surface;
struct SDL_Color;

// What a window event means to the game.
enum WindowEventKind { WE_NONE, WE_QUIT, WE_TOGGLE_FULL_SCREEN, WE_OTHER };
struct WindowEvent {
    WindowEventKind kind;
};

// The 8-bit pictures and the display they are drawn on. The surfaces carry
// 8-bit pixels, a pitch and a 256-entry palette whatever the platform keeps
// behind them; a keyed one has SDL_SRCCOLORKEY set and its key in the format.
struct HostPictures {
    // The 320 x 240 8-bit display, cleared to entry 1; null when the video
    // mode cannot be set.
    SDL_Surface* (*openDisplay)(bool fullscreen);
    // An 8-bit BMP file; null when it cannot be read. With `keyed`, pixels of
    // palette entry 0's colour (looked up through the display) are see-through.
    SDL_Surface* (*load)(const char* path, bool keyed);
    void (*free)(SDL_Surface* picture);
    void (*setDisplayPalette)(const SDL_Color* colors, int count);
    // A clipped copy of a picture's rectangle onto the display; a width of
    // 0 copies the whole picture. -1 when nothing could be drawn.
    int (*blit)(SDL_Surface* picture, int srcX, int srcY, int width, int height, int x, int y);
    void (*fillBlack)();  // the whole display, in the palette entry nearest to black
    // The display's top-left part magnified by a whole factor over all of it.
    void (*magnify)(int zoom);
};

// Music and effects by slot and channel.
struct HostMixer {
    int (*open)();  // 44.1 kHz stereo with eight effect channels; 0 when there is no device
    void (*close)();
    int (*loadMusic)(int slot, const char* path);  // decoded now; 0 when the file cannot be used
    // Whether the slot still holds music: a piece taken while on its way
    // is let go once it will not come or cannot be decoded.
    int (*holdsMusic)(int slot);
    int (*loadEffect)(int slot, const char* path);  // replaces what the slot held; 0 on failure
    void (*free)(int slot);                         // the slot's music and effect
    void (*playMusic)(int slot, int loops);
    void (*haltMusic)();
    void (*musicVolume)(int volume);
    void (*playEffect)(int channel, int slot);
    void (*effectVolume)(int slot, int volume);
    void (*haltChannel)(int channel);  // -1 for all
};

struct Host {
    // Video up, false when it cannot start; the window's caption (the
    // pointer is hidden over it); the whole platform's end; and the
    // platform's words for the last thing that failed.
    bool (*startVideo)();
    void (*nameWindow)(const char* caption);
    void (*quit)();
    const char* (*error)();

    // Monotonic microseconds since the platform started; wraps after 71
    // minutes, so only differences count. The sleep is a plain one.
    uint32_t (*clockUs)();
    void (*sleepUs)(uint32_t us);

    // The keyboard keys held now; the first joystick (false when there is
    // none); the next window event (false when none is waiting).
    void (*readKeys)(bool held[kKeyboardKeys]);
    bool (*openPad)();
    void (*closePad)();
    bool (*readPad)(int axes[2], int buttons[kPadButtons]);
    bool (*pollEvent)(WindowEvent* event);
    void (*toggleFullScreen)();

    // Shows the finished display.
    void (*present)();

    HostPictures pictures;
    HostMixer mixer;

    // Called after every record or replay file that reached its file, so a
    // platform that keeps files elsewhere (the browser's storage) stores them.
    void (*recordsWritten)();

    // A game's final score as its result shows, for a platform that offers
    // more around the game (the page offers to share it).
    void (*scoreShown)(int score);

    // A chop that scored, for a platform that makes it felt (the page buzzes
    // a phone); the game's sounds say it everywhere else.
    void (*chopScored)();

    // What the game writes when it may end without a shutdown (a page
    // hidden or closed): the app fills it in at start; a platform that can
    // end so calls it between frames.
    void (*saveBeforeLeaving)();
};

// The parts hosts are made of: SDL's surfaces (pictures_sdl.cpp), the
// browser's own 8-bit pictures (pictures_page.cpp, compiled natively too so
// that the drawing tests run on both), SDL_mixer (sound/mixer_sdl.cpp) and
// SDL's joystick (pad_sdl.cpp, the desktop's and the browser's).
extern const HostPictures kSdlPictures;
extern const HostPictures kPagePictures;
extern const HostMixer kSdlMixer;
bool SdlOpenPad();
void SdlClosePad();
bool SdlReadPad(int axes[2], int buttons[kPadButtons]);

extern Host g_host;

// The platform's own host, as the game starts with it.
Host PlatformHost();
