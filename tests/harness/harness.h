// Runs the real game headless from SDL_main to shutdown: dummy video and
// audio, a virtual clock, keys scripted per frame, and a look at every
// presented frame. Nothing here changes what the game does.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace harness {

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
    int key;    // an SDLK_ code
    bool down;
};

// A key set down where frame N takes its event is sampled at the end of
// frame N + 1's drawing, so the keys step of frame N + 2 sees the push.
struct Script {
    std::vector<KeyStep> keys;
    std::function<void(int frame)> onFrame;    // after the keys of that frame are set
    std::function<void(int frame)> onPresent;  // the frame is in g_screen
    std::vector<std::string> args;             // command-line arguments after the program name
    int maxFrames = 20000;                     // then Escape is held and the run counts as timed out
    uint32_t clockStart = 1000;                // virtual ticks at start-up
    uint32_t workMs = 0;                       // virtual time each frame's work takes

    Script& Tap(int frame, int key);  // down for one frame
    Script& Push(int frame, int key);  // a tap that the keys step of `frame` sees as a push
    Script& Hold(int from, int to, int key);
};

struct Result {
    int exitCode = -1;
    int frames = 0;  // frames presented
    bool timedOut = false;
    uint64_t sleptMs = 0;
    uint32_t longestSleepMs = 0;
    std::vector<uint32_t> frameStarts;  // virtual ticks at which each frame's wait ended
};

Result RunGame(const GameDir& dir, const Script& script);

// Joystick state seen by the game while a run lasts; absent unless set.
void SetPad(int axis0, int axis1, const std::vector<int>& buttonsDown);
void ClearPad();
void SetKey(int key, bool down);

// Palette index of a pixel of the display surface.
uint8_t ScreenPixel(int x, int y);
// Copies of the display surface's pixels, and a BMP of it for a person to look at.
std::vector<uint8_t> ScreenPixels();
void SaveScreen(const std::string& path);

// Writes the dir's "save/config": the first-start defaults, changed by `edit`.
void StoreConfig(const GameDir& dir, const std::function<void()>& edit);

std::vector<int32_t> ReadRecord(const std::string& path);  // empty when missing
void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes);
long FileSize(const std::string& path);  // -1 when missing

}  // namespace harness
