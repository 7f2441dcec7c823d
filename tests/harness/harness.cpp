#include "harness/harness.h"

#include <SDL.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/app.h"
#include "platform/records.h"
#include "platform/surfaces.h"

namespace fs = std::filesystem;

namespace harness {

namespace {

// Every test runs headless unless its caller chose other drivers.
const bool kHeadless = setenv("SDL_VIDEODRIVER", "dummy", 0) == 0 && setenv("SDL_AUDIODRIVER", "dummy", 0) == 0;

struct Pad {
    bool present = false;
    int axes[2] = {0, 0};
    int buttons[kPadButtons] = {0};
} g_pad;

bool g_held[kKeyboardKeys];
std::vector<WindowEventKind> g_events;  // waiting, oldest first

struct Live {
    const Script* script = nullptr;
    Result* result = nullptr;
    uint32_t now = 0;
    void (*show)() = nullptr;  // the run's host's own present
} g_live;

// The game's clock counts microseconds; the virtual one moves in whole
// milliseconds and wraps where a millisecond count would.
uint32_t VirtualClockUs() { return g_live.now * 1000u; }

void VirtualSleepUs(uint32_t us) {
    uint32_t ms = (us + 999) / 1000;
    g_live.now += ms;
    g_live.result->sleeps.back() = ms;
}

bool ReadPad(int axes[2], int buttons[kPadButtons]) {
    if (!g_pad.present) return false;
    for (int a = 0; a < 2; a++) axes[a] = g_pad.axes[a];
    for (int b = 0; b < kPadButtons; b++) buttons[b] = g_pad.buttons[b];
    return true;
}

void ReadKeys(bool held[kKeyboardKeys]) { std::copy(g_held, g_held + kKeyboardKeys, held); }

bool PollEvent(WindowEvent* event) {
    if (g_events.empty()) return false;
    event->kind = g_events.front();
    g_events.erase(g_events.begin());
    return true;
}

void PresentAndLook() {
    g_live.show();
    Result& r = *g_live.result;
    r.frames++;
    if (g_live.script->onPresent) g_live.script->onPresent(r.frames);
}

void RecordChop() { g_live.result->chopsFelt.push_back(g_live.result->frames); }

void RecordScore(int score) {
    g_live.result->scoresShown.push_back(g_live.result->frames);
    g_live.result->scoresShown.push_back(score);
}

bool PollAndScript(WindowEvent* event) {
    bool taken = PollEvent(event);
    Result& r = *g_live.result;
    const Script& s = *g_live.script;
    for (const KeyStep& k : s.keys)
        if (k.frame == r.frames) SetKey(k.key, k.down);
    if (s.onFrame) s.onFrame(r.frames);
    if (r.frames >= s.maxFrames) {
        r.timedOut = true;
        SetKey(KB_ESCAPE, true);
    }
    r.sleeps.push_back(0);
    return taken;
}

}  // namespace

GameDir::GameDir() {
    std::string pattern = (fs::temp_directory_path() / "tavikoro-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    path = pattern;
    fs::copy(fs::path(GAME_DIR) / "image", fs::path(path) / "image", fs::copy_options::recursive);
    fs::copy(fs::path(GAME_DIR) / "sound", fs::path(path) / "sound", fs::copy_options::recursive);
    fs::create_directories(fs::path(path) / "save");
    fs::create_directories(fs::path(path) / "replay" / "0");
}

GameDir::~GameDir() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
}

Script& Script::Push(int frame, int key) { return Hold(frame - 2, frame - 1, key); }

Script& Script::Hold(int from, int to, int key) {
    keys.push_back({from, key, true});
    keys.push_back({to, key, false});
    return *this;
}

Script& Script::NewGame() { return Push(3, KB_Z).Push(Title(2), KB_Z); }

Host TestHost() {
    Host host = PlatformHost();
    host.readKeys = ReadKeys;
    host.readPad = ReadPad;
    host.pollEvent = PollEvent;
    return host;
}

Result RunGame(const GameDir& dir, const Script& script) { return RunGame(dir.path, script); }

Result RunGame(const std::string& folder, const Script& script) {
    Result result;
    result.sleeps.reserve(static_cast<size_t>(script.maxFrames) + 16);  // no allocation per frame
    (void)kHeadless;
    fs::path home = fs::current_path();
    fs::current_path(folder);
    ClearKeys();
    g_live = Live{&script, &result, 1000};
    g_host = TestHost();
    g_host.clockUs = VirtualClockUs;
    g_host.sleepUs = VirtualSleepUs;
    g_host.pollEvent = PollAndScript;
    g_host.scoreShown = RecordScore;
    g_host.chopScored = RecordChop;
    if (script.host) script.host(g_host);
    g_live.show = g_host.present;  // a rig may show frames its own way; they are counted all the same
    g_host.present = PresentAndLook;

    std::vector<std::string> words = {"tavikoro"};
    words.insert(words.end(), script.args.begin(), script.args.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    result.exitCode = SDL_main(static_cast<int>(words.size()), argv.data());

    g_host = PlatformHost();
    ClearKeys();
    g_events.clear();
    fs::current_path(home);
    return result;
}

void SetPad(int axis0, int axis1, const std::vector<int>& buttonsDown) {
    g_pad = Pad{true, {axis0, axis1}, {}};
    for (int b : buttonsDown) g_pad.buttons[b] = 1;
}

void ClearPad() { g_pad = Pad{}; }

void ClearKeys() { std::fill(g_held, g_held + kKeyboardKeys, false); }
void SetKey(int key, bool down) { g_held[key] = down; }
void SendWindowEvent(WindowEventKind kind) { g_events.push_back(kind); }

uint8_t ScreenPixel(int x, int y) { return static_cast<const uint8_t*>(g_screen->pixels)[y * g_screen->pitch + x]; }

std::vector<uint8_t> ScreenPixels() {
    std::vector<uint8_t> pixels;
    for (int y = 0; y < kScreenHeight; y++)
        for (int x = 0; x < kScreenWidth; x++) pixels.push_back(ScreenPixel(x, y));
    return pixels;
}

void StoreConfig(const GameDir& dir, const std::function<void()>& edit) {
    fs::path home = fs::current_path();
    fs::current_path(dir.path);
    std::remove("save/config");
    main_init_config();
    edit();
    SaveGameFlag("save/config");
    fs::current_path(home);
}

std::vector<int32_t> Decode(const std::vector<unsigned char>& bytes) {
    std::vector<int32_t> record;
    for (size_t i = 0; i + 4 <= bytes.size(); i += 4)
        record.push_back(static_cast<int32_t>(bytes[i] | bytes[i + 1] << 8 | bytes[i + 2] << 16 |
                                              static_cast<uint32_t>(bytes[i + 3]) << 24));
    return record;
}

std::vector<int32_t> ReadRecord(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Decode({std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()});
}

void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

long FileSize(const std::string& path) {
    std::error_code ec;
    auto size = fs::file_size(path, ec);
    return ec ? -1 : static_cast<long>(size);
}

// The test palette: entry 0 magenta, 1 black, every entry a different colour.
static void FillPalette(SDL_Color colors[256], int shift = 0) {
    for (int i = 0; i < 256; i++) {
        int v = (i + shift) % 256 - 1;
        colors[i] = v < 0 ? SDL_Color{255, 0, 255, 0}
                          : SDL_Color{uint8_t(v), uint8_t(v * 3 % 256 / 2), uint8_t(v * 7 % 200), 0};
    }
}

void MakeBmp(const std::string& path, int width, int height, const std::function<int(int x, int y)>& pixel, int shift) {
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 8, 0, 0, 0, 0);
    SDL_Color colors[256];
    FillPalette(colors, shift);
    SDL_SetColors(s, colors, 0, 256);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) static_cast<uint8_t*>(s->pixels)[y * s->pitch + x] = pixel(x, y);
    SDL_SaveBMP(s, path.c_str());
    SDL_FreeSurface(s);
}

static int SurfacePixel(SDL_Surface* s, int x, int y) {
    return static_cast<const uint8_t*>(s->pixels)[y * s->pitch + x];
}

static int OpaquePixelsShown(SDL_Surface* picture, int sx, int sy, int w, int h, int dx, int dy) {
    bool keyed = (picture->flags & SDL_SRCCOLORKEY) != 0;
    int shown = 0;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            int p = SurfacePixel(picture, sx + x, sy + y);
            if (keyed && static_cast<Uint32>(p) == picture->format->colorkey) continue;
            int X = dx + x, Y = dy + y;
            if (X < 0 || Y < 0 || X >= kScreenWidth || Y >= kScreenHeight) continue;
            if (SurfacePixel(g_screen, X, Y) != p) return -1;
            shown++;
        }
    return shown;
}

bool ShowsSlot(int slot, int sx, int sy, int w, int h, int dx, int dy) {
    return bitmap[slot] && OpaquePixelsShown(bitmap[slot], sx, sy, w, h, dx, dy) >= 0;
}

std::string DigitsOnScreen(int fontSlot, int x, int y, int count) {
    std::string digits;
    for (int i = 0; i < count; i++) {
        // A glyph may hide inside a fuller one (0 inside 8): the fullest match wins.
        int best = -1, bestShown = 0;
        for (int d = 0; d < 10 && bitmap[fontSlot]; d++) {
            int shown = OpaquePixelsShown(bitmap[fontSlot], d * 10, 0, 10, 8, x + i * 10, y);
            if (shown > bestShown) best = d, bestShown = shown;
        }
        digits += best < 0 ? '?' : static_cast<char>('0' + best);
    }
    return digits;
}

void OpenScreen() {
    g_host.startVideo();
    g_screen = g_host.pictures.openDisplay(false);
    SDL_Color colors[256];
    FillPalette(colors);
    g_host.pictures.setDisplayPalette(colors, 256);
}

void CloseScreen() {
    ReleaseAllBitmaps();
    // The browser's pictures keep their display apart from SDL's.
    if (g_screen != SDL_GetVideoSurface()) g_host.pictures.free(g_screen);
    g_host.quit();
    g_screen = nullptr;
}

}  // namespace harness
