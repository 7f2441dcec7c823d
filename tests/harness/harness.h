// Runs the real game headless from SDL_main to shutdown: dummy video and
// audio, a virtual clock, keys scripted per frame, and a look at every
// presented frame. Nothing here changes what the game does.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "act/act_internal.h"
#include "platform/host.h"
#include "scenes/logo.h"

namespace harness {

// Global frame numbers of a run that passes the menus as fast as they allow:
// Z skips the logo in frame 3, NEW GAME is taken in the title's frame 2.
constexpr int Title(int t) { return 3 + t; }  // the title's frame t, from 1
constexpr int Act(int f) { return 5 + f; }    // the game's frame f: two start frames, then play
constexpr int Play(int p) { return Act(2 + p); }
constexpr int Res(int r) { return Play(kPlayFrames) + r; }  // the result's frame r
constexpr int kTitleAgain = Res(63);                        // the title's first frame after an OK in Res(61)

// A fresh working folder holding copies of the built pictures and sounds,
// an empty save/ and replay/0/; removed again when it goes out of scope.
struct GameDir {
    GameDir();
    ~GameDir();
    GameDir(const GameDir&) = delete;
    GameDir& operator=(const GameDir&) = delete;
    std::string File(const std::string& relative) const { return path + "/" + relative; }
    std::string path;
};

struct KeyStep {
    int frame;  // applied where that frame takes its window event
    int key;    // a KeyboardKey
    bool down;
};

// A key set down where frame N takes its event is sampled at the end of
// frame N + 1's drawing, so the keys step of frame N + 2 sees the push.
struct Script {
    std::vector<KeyStep> keys;
    std::function<void(int frame)> onFrame;    // after the keys of that frame are set
    std::function<void(int frame)> onPresent;  // the frame is in g_screen
    std::vector<std::string> args;             // command-line arguments after the program name
    void (*host)(Host& host) = nullptr;        // changes the run's host after the harness's own
    int maxFrames = 20000;                     // then Escape is held and the run counts as timed out

    Script& Push(int frame, int key);  // a tap that the keys step of `frame` sees as a push
    Script& Hold(int from, int to, int key);
    Script& NewGame();  // the pushes that start a game on the timeline above
};

struct Result {
    int exitCode = -1;
    int frames = 0;  // frames presented
    bool timedOut = false;
    std::vector<uint32_t> sleeps;  // each wait's sleep, in virtual milliseconds
    std::vector<int> scoresShown;  // (frame, score) pairs the game reported to the host
    std::vector<int> chopsFelt;    // frames in which the game reported a scoring chop
};

Result RunGame(const GameDir& dir, const Script& script);
Result RunGame(const std::string& folder, const Script& script);  // a folder made elsewhere, kept

// The host of the tests: the desktop's pictures, mixer and video on SDL's
// dummy drivers, with the keys, joystick and window events set below. A run
// also puts its virtual clock and its frame observers in.
Host TestHost();

// What the test host reports; no joystick unless set.
void SetPad(int axis0, int axis1, const std::vector<int>& buttonsDown);
void ClearPad();
void SetKey(int key, bool down);
void ClearKeys();
void SendWindowEvent(WindowEventKind kind);  // taken by the next frame's wait

// Palette index of a pixel of the display surface, and all of them.
uint8_t ScreenPixel(int x, int y);
std::vector<uint8_t> ScreenPixels();

// Writes the dir's "save/config": the first-start defaults, changed by `edit`.
void StoreConfig(const GameDir& dir, const std::function<void()>& edit);

// A file as little-endian int32s (empty when missing), and raw bytes.
std::vector<int32_t> Decode(const std::vector<unsigned char>& bytes);
std::vector<int32_t> ReadRecord(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes);
long FileSize(const std::string& path);  // -1 when missing

// Small pictures and a display for tests that draw without running the game.

// Writes an 8-bit BMP whose palette entry i is test colour i + shift;
// pixel(x, y) gives each index.
void MakeBmp(const std::string& path, int width, int height, const std::function<int(int x, int y)>& pixel,
             int shift = 0);

// Opens the dummy video mode with the test palette as g_screen; closes it again.
void OpenScreen();
void CloseScreen();

// Whether the screen shows the w x h rectangle at (sx, sy) of a slot's
// picture with its corner at (dx, dy): every opaque pixel in place.
bool ShowsSlot(int slot, int sx, int sy, int w, int h, int dx, int dy);

// The digits that 10 x 8 glyphs of the font slot show in a row from (x, y);
// '?' where a cell holds no glyph.
std::string DigitsOnScreen(int fontSlot, int x, int y, int count);

}  // namespace harness
