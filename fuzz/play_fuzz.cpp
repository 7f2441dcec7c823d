// A whole game from any "save/config" with any keys and joystick: the
// title, a new game of all 3600 play frames, the result, the title again,
// all on a virtual clock. The game starts once; each input then resets what
// a fresh start would (records, input, frame timer) and runs the scene
// manager from the title, so an input costs its frames and nothing more.
//
// Only the rules are under test here, so the game runs as it does without
// its pictures, sounds and audio device (every slot empty, sound off), on a
// host of its own whose display is never filled or shown and whose keys,
// joystick and clock come from the script: SDL's would cost more than the
// game's own work.
//
// Input: two bytes of config length, little-endian (0xFFFF: no file); one
// byte of options (bit 0: the debug overlay on); the config bytes; then the
// script, two bytes a frame, repeated for as long as the run lasts:
//   keys: bit 0 Z, 1 X, 2 C, 3 Left, 4 Right, 5 Up, 6 Down, 7 keypad 6;
//   joystick: 0 none, else stick x in bits 0-1 and y in bits 2-3 (1 one
//   way, 2 the other), buttons 0, 1, 6, 7 in bits 4-7.
// Escape is never scripted: the game always runs to its result. The result
// is left with Z after 150 frames if the script has not done so.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>

#include "act/act_internal.h"
#include "app/app.h"
#include "platform/frame.h"
#include "platform/host.h"
#include "platform/input.h"
#include "platform/records.h"
#include "platform/surfaces.h"
#include "scenes/scenes.h"

namespace {

constexpr int kBestSlot = GF_STAGE_BEST + 1;
constexpr int kMaxScore = kFastPoints * (kPlayFrames / kSignalPeriod);  // every signal of a game chopped fast
constexpr int kMaxFrames = 8000;                                        // a whole run needs about 3700
const int kScriptKeys[8] = {KB_Z, KB_X, KB_C, KB_LEFT, KB_RIGHT, KB_UP, KB_DOWN, KB_KP6};
const int kScriptButtons[4] = {0, 1, 6, 7};

enum Stage { TITLE, PLAY, RESULT, BACK };

struct Run {
    const uint8_t* script = nullptr;
    size_t length = 0;
    uint32_t now = 0;  // microseconds
    int frames = 0;    // frames that took their wait, each one frame of play time
    int playFrames = 0;
    int age = 0;  // frames in the current stage
    Stage stage = TITLE;
    bool playable = true;
    uint8_t pad = 0;
} g_run;

char g_folder[] = "/dev/shm/tavikoro-play-XXXXXX";
int g_home = -1;

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "play fuzz: %s\n", what);
    std::abort();
}

uint32_t ClockUs() { return g_run.now; }
void SleepUs(uint32_t us) { g_run.now += us; }

bool Pad(int axes[2], int buttons[kPadButtons]) {
    uint8_t p = g_run.pad;
    if (!p) return false;
    for (int a = 0; a < 2; a++) {
        int dir = p >> (2 * a) & 3;
        axes[a] = dir == 1 ? 32767 : dir == 2 ? -32768 : 0;
    }
    for (int b = 0; b < 4; b++) buttons[kScriptButtons[b]] = p >> (4 + b) & 1;
    return true;
}

bool g_keys[kKeyboardKeys];  // what the host reports held

void Key(int key, bool down) { g_keys[key] = down; }
void ReadKeys(bool held[kKeyboardKeys]) { std::copy(g_keys, g_keys + kKeyboardKeys, held); }

// Sets the keys and joystick that the end of the next frame's drawing samples.
void Drive() {
    Run& r = g_run;
    for (int key : kScriptKeys) Key(key, false);
    r.pad = 0;
    if (++r.frames > kMaxFrames) {
        Key(KB_ESCAPE, true);
        if (r.frames > kMaxFrames + 10) Fail("the run does not end");
        return;
    }
    bool scripted = false;
    r.age++;
    switch (r.stage) {
        case TITLE:
            if (!r.playable)
                Key(KB_ESCAPE, true);
            else if (g_scene == SCENE_ACT)
                r.stage = PLAY, r.age = 0;
            else if (g_scene != SCENE_TITLE)
                Fail("the title chose something other than a new game");
            else
                Key(KB_Z, r.age % 8 == 4);
            break;
        case PLAY:
            r.playFrames += sn == SN_PLAY;
            if (sn == SN_RESULT) r.stage = RESULT, r.age = 0;
            scripted = true;
            break;
        case RESULT:
            if (g_scene == SCENE_TITLE)
                r.stage = BACK, r.age = 0;
            else if (r.age > 150)
                Key(KB_Z, r.age % 2);
            else
                scripted = true;
            break;
        case BACK:
            Key(KB_ESCAPE, r.age > 4);  // once the title is running again
            break;
    }
    if (!scripted || r.length < 2) return;
    size_t at = static_cast<size_t>(r.frames) * 2 % (r.length & ~size_t{1});
    for (int bit = 0; bit < 8; bit++) Key(kScriptKeys[bit], r.script[at] >> bit & 1);
    r.pad = r.script[at + 1];
}

int64_t PlayTime(const int32_t* f) {
    return f[GF_PLAY_FRAMES] + 60 * (f[GF_PLAY_SECONDS] + 60 * (f[GF_PLAY_MINUTES] + int64_t{60} * f[GF_PLAY_HOURS]));
}

// Counters that count on by plain carries for a whole run.
bool Counting(const int32_t* f) {
    return f[GF_PLAY_FRAMES] <= 59 && f[GF_PLAY_SECONDS] <= 59 && f[GF_PLAY_MINUTES] <= 59 && f[GF_PLAY_HOURS] <= 998;
}

long Size(const char* path) {
    struct stat st;
    return stat(path, &st) == 0 ? static_cast<long>(st.st_size) : -1;
}

bool ReadStart(const char* path, void* bytes, size_t size) {
    FILE* f = std::fopen(path, "rb");
    bool whole = f && std::fread(bytes, 1, size, f) == size;
    if (f) std::fclose(f);
    return whole;
}

void WriteFile(const char* path, const uint8_t* data, size_t size) {
    FILE* f = std::fopen(path, "wb");
    if (!f || std::fwrite(data, 1, size, f) != size || std::fclose(f) != 0) Fail("cannot prepare the game folder");
}

// No window, so no window events: each frame's wait only drives the script.
bool PollEvent(WindowEvent*) {
    Drive();
    return false;
}

void Nothing() {}
void NothingOfZoom(int) {}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    // No audio device: the game plays silently, and the mixer's thread cannot
    // outlive the game at exit (it crashed there once, with no SDL_Quit).
    setenv("SDL_AUDIODRIVER", "none", 1);
    // In memory when it can be: each game writes its records four times, synced.
    char* folder = g_folder;
    if (!mkdtemp(folder)) {
        std::snprintf(folder, sizeof g_folder, "/tmp/tavikoro-play-XXXXXX");
        if (!mkdtemp(folder)) Fail("no folder to play in");
    }
    g_home = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (g_home < 0 || chdir(folder) != 0 || mkdir("save", 0777) != 0 || mkdir("replay", 0777) != 0 ||
        mkdir("replay/0", 0777) != 0)
        Fail("no folder to play in");
    std::atexit([] { std::filesystem::remove_all(g_folder); });

    g_host.clockUs = ClockUs;
    g_host.sleepUs = SleepUs;
    g_host.readKeys = ReadKeys;
    // The joystick comes from the script; SDL's own would be polled for
    // new devices in every frame, a system call that costs more than the frame.
    g_host.openPad = [] { return true; };
    g_host.readPad = Pad;
    g_host.pollEvent = PollEvent;
    g_host.present = Nothing;
    g_host.pictures.fillBlack = Nothing;
    g_host.pictures.magnify = NothingOfZoom;
    if (!g_host.startVideo() || !(g_screen = OpenDisplay(false))) Fail(g_host.error());
    FunctionInit();
    main_init();
    if (fchdir(g_home) != 0) Fail("lost the fuzzer's folder");
    return 0;
}

// The game reads and writes relative to its folder, the fuzzer relative to
// the one it was started in.
static void Play(const uint8_t* data, size_t size) {
    for (const char* f :
         {"save/config", "save/work.sav", "save/item_wk.sav", "replay/0/replay_data_j0.dat", "debug.txt"})
        unlink(f);
    size_t length = data[0] | data[1] << 8;
    size_t pos = 3;
    if (length != 0xFFFF) {
        length = std::min(length, size - pos);
        WriteFile("save/config", data + pos, length);
        pos += length;
    }
    if (data[2] & 1) WriteFile("debug.txt", reinterpret_cast<const uint8_t*>("DebugDisp=1\n"), 12);

    // What a fresh start leaves: zero records, the config loaded, no keys.
    ResetGameFlag();
    ResetGameFlag2();
    main_init_config();
    for (int* slots : {key_eventPress, key_eventPress_old, key_eventPush}) std::fill(slots, slots + kKeySlots, 0);
    InitFrameTimer();
    Set_Volume(gameflag[GF_VOLUME]);
    Key(KB_ESCAPE, false);
    g_run = Run{};
    g_run.script = data + pos;
    g_run.length = size - pos;
    g_run.now = 1000;
    // With left or right on the OK key, Z moves the menu off NEW GAME as it
    // confirms: such bindings cannot start a game, for a player either.
    g_run.playable = gameflag[GF_KEY_LEFT] != kKeyOk && gameflag[GF_KEY_RIGHT] != kKeyOk;
    int32_t before[kRecordSize];
    std::copy(gameflag, gameflag + kRecordSize, before);

    g_scene = SCENE_TITLE;
    scenemanager();

    if (Counting(before) && PlayTime(gameflag) - PlayTime(before) != g_run.frames)
        Fail("the play time did not advance by the frames run");
    if (!g_run.playable) return;
    if (g_run.stage != BACK || g_run.playFrames < kPlayFrames) Fail("the game was not played to its end");
    int32_t final = player[score];
    if (final < 0 || final > kMaxScore || final % kPointsPerFrameLeft != 0) Fail("impossible score");
    if (gameflag[kBestSlot] != std::min(before[kBestSlot], final))
        Fail("the best is not the lower of old best and score");
    bool newBest = final < before[kBestSlot];
    if (Size("replay/0/replay_data_j0.dat") != (newBest ? kReplayInts * 4 : -1)) Fail("replay file");
    for (const char* f : {"save/config", "save/work.sav", "save/item_wk.sav"})
        if (Size(f) != kRecordSize * 4) Fail("a record file is not 4096 bytes");
    int32_t config[kRecordSize], work[kSaveData];  // little-endian, as this machine's ints
    if (!ReadStart("save/config", config, sizeof config) || config[kBestSlot] != gameflag[kBestSlot])
        Fail("the saved best is not the game's");
    if (!ReadStart("save/work.sav", work, sizeof work) || !std::equal(work, work + kSaveData, save_data))
        Fail("the work record does not hold the game's end");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return -1;
    if (chdir(g_folder) != 0) Fail("lost the game folder");
    Play(data, size);
    if (fchdir(g_home) != 0) Fail("lost the fuzzer's folder");
    return 0;
}
