// Faults from outside the game, each met on the real loop from start-up to
// quit: missing pictures and sounds, damaged or unusable saves, a save cut
// short by a kill, the tick count wrapping, and no audio device.
#include <SDL.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <set>

#include "act/act_internal.h"
#include "app/app.h"
#include "harness/harness.h"
#include "platform/records.h"
#include "platform/surfaces.h"
#include "sound/sound.h"

namespace fs = std::filesystem;
using harness::FileSize;
using harness::GameDir;
using harness::ReadRecord;
using harness::Result;
using harness::RunGame;
using harness::Script;

namespace {

// Global frame numbers of the loop: the logo skipped, a new game, chops,
// the result, the stage select from the title, the title again, quit.
constexpr int Act(int f) { return 5 + f; }
constexpr int Play(int p) { return Act(2 + p); }
constexpr int Res(int r) { return Play(kPlayFrames) + r; }
constexpr int kTitleAgain = Res(63);
constexpr int kSelect = kTitleAgain + 5;
constexpr int kLastTitle = kSelect + 3;
constexpr int kSignal = 121;
// 1000 points at once, 300 after 30 frames of the next signal, 1000 at 5 frames of the third.
const int kChops[] = {kSignal, 2 * kSignal + 30, 3 * kSignal + 30 + 5};
constexpr int kScore = 2300;

// g_scene and the score as each frame was presented.
struct Trail {
    std::vector<int> scenes{0};
    std::vector<int> scores{0};
    void Note() {
        scenes.push_back(g_scene);
        scores.push_back(player[score]);
    }
    bool Visited(int scene) const { return std::count(scenes.begin(), scenes.end(), scene) > 0; }
};

Script Loop() {
    Script s;
    s.Push(3, SDLK_z).Push(5, SDLK_z);
    for (int p : kChops) s.Push(Play(p), SDLK_z);
    s.Push(Res(61), SDLK_z);
    s.Push(kTitleAgain + 2, SDLK_RIGHT).Push(kTitleAgain + 4, SDLK_z);
    s.Push(kSelect + 2, SDLK_x);
    s.Push(kLastTitle + 3, SDLK_ESCAPE);
    return s;
}

void ExpectCompleteLoop(const Result& r, const Trail& t, const GameDir& dir) {
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.frames, kLastTitle + 2);
    EXPECT_TRUE(t.Visited(SCENE_STAGESELECT));
    ASSERT_GT(t.scores.size(), static_cast<size_t>(Res(10)));
    EXPECT_EQ(t.scores[Res(10)], kScore);
    EXPECT_EQ(FileSize(dir.File("save/config")), 4096);
}

// --- Missing files -------------------------------------------------------

// Where each picture shows: its rectangle, where it lands and in which frame.
struct Picture {
    const char* file;
    int sx, sy, w, h;  // w < 0: the whole picture
    int dx, dy;
    int frame;
};
const Picture kPictures[] = {
    {"image/a_logo.bmp", 0, 0, -1, -1, 0, 0, 1},
    {"image/title/title1.bmp", 0, 0, -1, -1, 0, 0, 4},
    {"image/title/scl.bmp", 0, 0, 32, 4, 66, 188, 4},
    {"image/bak/bak.bmp", 0, 0, -1, -1, 0, 0, Play(10)},
    {"image/player/ri0.bmp", 128, 0, 64, 96, 150, 100, Play(10)},
    {"image/player/clear.bmp", 0, 0, -1, -1, 0, 0, Res(10)},
    {"image/sys/fonts2.bmp", 50, 0, 10, 8, 150, 42, Play(10)},  // the 5 of 59 seconds left
    {"image/title/stageselect.bmp", 0, 0, -1, -1, 0, 0, kSelect + 1},
};
constexpr const char* kPaletteFile = "image/color.bmp";

// Of the picture's pixels that are neither transparent nor the black the
// screen is cleared to, the share that the screen shows in place.
double ShownShare(const std::string& path, const Picture& p) {
    SDL_Surface* picture = SDL_LoadBMP(path.c_str());
    if (!picture) return -1;
    int w = p.w < 0 ? picture->w : p.w, h = p.h < 0 ? picture->h : p.h;
    int telling = 0, shown = 0;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            int X = p.dx + x, Y = p.dy + y;
            if (X >= kScreenWidth || Y >= kScreenHeight) continue;
            uint8_t v = static_cast<uint8_t*>(picture->pixels)[(p.sy + y) * picture->pitch + p.sx + x];
            if (v <= 1) continue;
            telling++;
            shown += harness::ScreenPixel(X, Y) == v;
        }
    SDL_FreeSurface(picture);
    return telling ? static_cast<double>(shown) / telling : -1;
}

bool SameColors(const SDL_Palette* a, const SDL_Palette* b) {
    if (!a || !b || a->ncolors != b->ncolors) return false;
    for (int i = 0; i < a->ncolors; i++)
        if (a->colors[i].r != b->colors[i].r || a->colors[i].g != b->colors[i].g || a->colors[i].b != b->colors[i].b)
            return false;
    return true;
}

bool ScreenHasPaletteOf(const std::string& path) {
    SDL_Surface* picture = SDL_LoadBMP(path.c_str());
    if (!picture) return false;
    bool same = SameColors(g_screen->format->palette, picture->format->palette);
    SDL_FreeSurface(picture);
    return same;
}

std::vector<std::string> FilesIn(const GameDir& dir) {
    std::vector<std::string> files;
    for (const char* top : {"image", "sound"})
        for (const auto& e : fs::recursive_directory_iterator(fs::path(dir.path) / top))
            if (e.is_regular_file()) files.push_back(fs::relative(e.path(), dir.path).string());
    std::sort(files.begin(), files.end());
    return files;
}

const std::vector<std::string>& AllFiles() {
    static const std::vector<std::string> files = [] {
        std::vector<std::string> f = {kPaletteFile};
        for (const Picture& p : kPictures) f.push_back(p.file);
        for (int i = 1; i <= kMusicPieces; i++) f.push_back("sound/bgm/0" + std::to_string(i) + ".ogg");
        for (const char* se : {"tavi", "hit1", "kan", "oo", "msg", "select", "sw", "jump", "puwa"})
            f.push_back(std::string("sound/se/") + se + ".wav");
        std::sort(f.begin(), f.end());
        return f;
    }();
    return files;
}

TEST(MissingFiles, TheTableCoversEveryFileOfTheGameFolder) {
    GameDir dir;
    EXPECT_EQ(FilesIn(dir), AllFiles());
}

// Without the fault, each check finds its whole picture, so an absent one
// below is absent because of the missing file.
TEST(MissingFiles, EveryPictureIsFoundWhereTheChecksLook) {
    GameDir dir, originals;
    Script s = Loop();
    Trail trail;
    std::vector<double> shares(std::size(kPictures), -2);
    bool palette = false;
    s.onPresent = [&](int frame) {
        trail.Note();
        for (size_t i = 0; i < std::size(kPictures); i++)
            if (frame == kPictures[i].frame) shares[i] = ShownShare(originals.File(kPictures[i].file), kPictures[i]);
        if (frame == 4) palette = ScreenHasPaletteOf(originals.File(kPaletteFile));
    };
    Result r = RunGame(dir, s);
    ExpectCompleteLoop(r, trail, dir);
    // Not all of it: the cursor, the figure and the digits cover some.
    for (size_t i = 0; i < shares.size(); i++) EXPECT_GT(shares[i], 0.85) << kPictures[i].file;
    EXPECT_TRUE(palette);
}

struct MissingFile : ::testing::TestWithParam<std::string> {};

TEST_P(MissingFile, TheGameRunsWithoutIt) {
    const std::string& file = GetParam();
    GameDir dir, originals;
    ASSERT_TRUE(fs::remove(dir.File(file)));
    const Picture* picture = nullptr;
    for (const Picture& p : kPictures)
        if (file == p.file) picture = &p;
    int music = -1;
    if (file.rfind("sound/bgm/", 0) == 0) music = std::stoi(file.substr(10, 2)) - 1;
    bool effect = file.rfind("sound/se/", 0) == 0;

    Script s = Loop();
    Trail trail;
    double share = -2;
    bool palette = true;
    std::set<int> soundUse, musicSlots;
    int effects = -1;
    s.onPresent = [&](int frame) {
        trail.Note();
        soundUse.insert(sound_use);
        if (picture && frame == picture->frame) share = ShownShare(originals.File(file), *picture);
        if (frame == 4) {
            palette = ScreenHasPaletteOf(originals.File(kPaletteFile));
            for (int i = 0; i < kMusicPieces; i++)
                if (soundHasMusic(i)) musicSlots.insert(i);
            effects = 0;
            for (int i = 0; i < SE_COUNT; i++) effects += soundHasEffect(i);
        }
    };
    Result r = RunGame(dir, s);
    ExpectCompleteLoop(r, trail, dir);

    if (picture) {
        EXPECT_LT(share, 0.05) << "still shown: " << share;
    }
    EXPECT_EQ(palette, file != kPaletteFile);
    std::set<int> allMusic;
    for (int i = 0; i < kMusicPieces; i++)
        if (i != music) allMusic.insert(i);
    EXPECT_EQ(musicSlots, allMusic) << "only the missing piece's slot is empty";
    EXPECT_EQ(effects, effect ? SE_COUNT - 1 : SE_COUNT);
    EXPECT_EQ(soundUse, std::set<int>{effect ? 0 : 1}) << "a missing effect silences the game throughout";
}

INSTANTIATE_TEST_SUITE_P(EachFile, MissingFile, ::testing::ValuesIn(AllFiles()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

// --- Damaged settings ----------------------------------------------------

struct ConfigCase {
    const char* name;
    long size;  // -1: no file
    unsigned seed;
};

std::vector<unsigned char> Bytes(const ConfigCase& c) {
    std::vector<unsigned char> bytes(c.size < 0 ? 0 : c.size);
    std::mt19937 rng(c.seed);
    for (unsigned char& b : bytes) b = static_cast<unsigned char>(c.seed ? rng() : (&b - bytes.data()) * 37 + 11);
    return bytes;
}

// What the record must hold after loading: the file's bytes over a fresh
// (zero) record, or the defaults without a file; then the forced entries.
std::vector<int32_t> Expected(const ConfigCase& c) {
    if (c.size < 0) {
        GameDir scratch;
        harness::StoreConfig(scratch, [] {});
        return ReadRecord(scratch.File("save/config"));
    }
    unsigned char record[kRecordSize * 4] = {};
    std::vector<unsigned char> bytes = Bytes(c);
    if (!bytes.empty()) std::memcpy(record, bytes.data(), std::min(bytes.size(), sizeof record));
    std::vector<int32_t> expected(kRecordSize);
    for (int i = 0; i < kRecordSize; i++)
        expected[i] = static_cast<int32_t>(record[4 * i] | record[4 * i + 1] << 8 | record[4 * i + 2] << 16 |
                                           static_cast<uint32_t>(record[4 * i + 3]) << 24);
    expected[GF_STAGE_LIMIT] = 50;
    expected[GF_STARTED] = 1;
    return expected;
}

TEST(DamagedConfig, LoadedAsItStandsAndTheGameRunsOnIt) {
    const ConfigCase cases[] = {
        {"none", -1, 0},   {"empty", 0, 0},   {"1", 1, 0},         {"3", 3, 0},
        {"4", 4, 0},       {"5", 5, 0},       {"4095", 4095, 0},   {"8192", 8192, 0},
        {"random", 4096, 7}, {"random short", 1234, 8}, {"random long", 6000, 9},
    };
    for (const ConfigCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<int32_t> expected = Expected(c);
        GameDir dir;
        if (c.size >= 0) harness::WriteBytes(dir.File("save/config"), Bytes(c));
        ResetGameFlag();  // a fresh process starts from zeros
        std::vector<int32_t> loaded;
        // The bindings may be anything: no keys until the logo ran out, then
        // only the fixed OK and quit keys.
        constexpr int shift = 182 - 3;
        Script s;
        s.Push(5 + shift, SDLK_z);
        s.Push(Res(61) + shift, SDLK_z);
        s.Push(kTitleAgain + 3 + shift, SDLK_ESCAPE);
        s.onPresent = [&](int frame) {
            if (frame == 1) loaded.assign(gameflag, gameflag + kRecordSize);
        };
        Result r = RunGame(dir, s);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_FALSE(r.timedOut);
        EXPECT_EQ(r.frames, kTitleAgain + 2 + shift);
        ASSERT_EQ(loaded.size(), expected.size());
        for (int i = 0; i < kRecordSize; i++) ASSERT_EQ(loaded[i], expected[i]) << "entry " << i;
        std::vector<int32_t> saved = ReadRecord(dir.File("save/config"));
        ASSERT_EQ(saved.size(), 1024u);
        // Entries the game never writes come back as they were loaded.
        for (int i : {0, 5, 11, 39, 61, 100, 121, 126, 400, 777, 1023}) EXPECT_EQ(saved[i], expected[i]) << i;
    }
}

// --- Unusable folders ----------------------------------------------------

TEST(UnusableFolders, SavesFailAndTheGamePlaysOn) {
    struct Case {
        const char* blocked;  // a plain file where this folder should be
        const char* probe;    // a save into it
        bool configSaved;
    };
    for (Case c : {Case{"save", "save/config", false}, Case{"replay/0", "replay/0/replay_data_j0.dat", true},
                   Case{"replay", "replay/0/replay_data_j0.dat", true}}) {
        SCOPED_TRACE(c.blocked);
        GameDir dir;
        harness::StoreConfig(dir, [] { gameflag[GF_STAGE_BEST + 1] = 99000; });  // any score is a new best
        fs::remove_all(dir.File(c.blocked));
        harness::WriteBytes(dir.File(c.blocked), {1, 2, 3});
        Script s = Loop();
        Trail trail;
        std::vector<int> results;
        s.onPresent = [&](int frame) {
            trail.Note();
            if (frame != Res(5)) return;
            results = {SaveFile(c.probe, "x", 1), SaveGameFlag2(c.probe)};
            if (!c.configSaved) results.push_back(SaveGameFlag(c.probe));
        };
        Result r = RunGame(dir, s);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_FALSE(r.timedOut);
        EXPECT_EQ(r.frames, kLastTitle + 2);
        EXPECT_EQ(trail.scores[Res(10)], kScore);
        for (int result : results) EXPECT_EQ(result, -1);
        EXPECT_FALSE(results.empty());
        EXPECT_EQ(FileSize(dir.File(c.blocked)), 3) << "left as it was";
        if (c.configSaved) {
            EXPECT_EQ(ReadRecord(dir.File("save/config"))[GF_STAGE_BEST + 1], kScore);
        }
    }
}

// --- A save killed at random moments --------------------------------------

// The real game saves its settings in every frame while it is killed at
// random moments: whatever is left is a whole record from one frame.
TEST(KilledGame, SavingEveryFrameNeverLeavesATornRecord) {
    GameDir dir;
    std::mt19937 rng(2024);
    int kills = 0, midSave = 0, torn = 0, rounds = 60;
    for (int round = 0; round < rounds; round++) {
        fs::remove(dir.File("save/config"));
        for (auto& leftover : fs::directory_iterator(dir.File("save"))) fs::remove(leftover.path());
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            Script s;
            s.maxFrames = 100000;
            s.onPresent = [](int frame) {
                for (int i = 1000; i < kRecordSize; i++) gameflag[i] = frame;
                SaveGameFlag("save/config");
            };
            RunGame(dir, s);
            _exit(0);
        }
        usleep(std::uniform_int_distribution<int>(20000, 120000)(rng));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        kills += WIFSIGNALED(status);
        for (auto& file : fs::directory_iterator(dir.File("save"))) midSave += file.path().filename() != "config";
        long size = FileSize(dir.File("save/config"));
        if (size < 0) continue;  // killed before its first save
        std::vector<int32_t> record = ReadRecord(dir.File("save/config"));
        int frame = record.size() == 1024u ? record[1000] : -1;
        bool whole = size == 4096 && frame >= 1;
        for (int i = 1000; whole && i < kRecordSize; i++) whole = record[i] == frame;
        // The play time counts the frames before this one; the bindings are the defaults.
        whole = whole && record[GF_PLAY_FRAMES] == (frame - 1) % 60 && record[GF_PLAY_SECONDS] == (frame - 1) / 60 % 60;
        whole = whole && record[GF_KEY_A] == 12 && record[GF_STAGE_LIMIT] == 50 && record[999] == 0;
        torn += !whole;
        EXPECT_TRUE(whole) << "round " << round << ": " << size << " bytes, frame " << frame;
    }
    RecordProperty("kills", kills);
    RecordProperty("killed_mid_save", midSave);
    std::printf("%d rounds, %d kills, %d of them while a save was under way, %d torn records\n", rounds, kills,
                midSave, torn);
    EXPECT_EQ(kills, rounds);
    EXPECT_GT(midSave, 0) << "no kill landed inside a save";
}

// --- The tick count wrapping ----------------------------------------------

TEST(TickWrap, FramesKeepTheirPaceAcrossTheWrap) {
    for (uint32_t work : {0u, 5u, 15u, 16u, 23u}) {
        SCOPED_TRACE(work);
        GameDir dir;
        Script s = Loop();
        s.clockStart = 0xFFFFF000u;  // wraps about 256 frames in, during play
        s.workMs = work;
        Trail trail;
        s.onPresent = [&](int) { trail.Note(); };
        Result r = RunGame(dir, s);
        ExpectCompleteLoop(r, trail, dir);
        EXPECT_LE(r.longestSleepMs, 16u);
        ASSERT_GT(r.frameStarts.size(), 300u);
        EXPECT_LT(r.frameStarts[300], r.frameStarts[0]) << "the clock did wrap";
        // The first frame after start-up does not wait; from then on every one does.
        uint32_t pace = std::max(work, 16u);
        for (size_t i = 2; i < r.frameStarts.size(); i++)
            ASSERT_EQ(r.frameStarts[i] - r.frameStarts[i - 1], pace) << "frame " << i;
    }
}

// --- No audio device, no joystick -----------------------------------------

TEST(NoAudioDevice, TheGamePlaysSilently) {
    struct Case {
        const char* driver;
        const char* file;  // for the disk driver
    };
    for (Case c : {Case{"no-such-driver", nullptr}, Case{"disk", "/nonexistent/folder/audio.raw"}}) {
        SCOPED_TRACE(c.driver);
        setenv("SDL_AUDIODRIVER", c.driver, 1);
        if (c.file) setenv("SDL_DISKAUDIOFILE", c.file, 1);
        harness::ClearPad();
        GameDir dir;
        Script s = Loop();
        Trail trail;
        std::set<int> soundUse;
        int joysticks = -1;
        s.onPresent = [&](int frame) {
            trail.Note();
            soundUse.insert(sound_use);
            if (frame == 4) joysticks = SDL_NumJoysticks();
        };
        Result r = RunGame(dir, s);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        unsetenv("SDL_DISKAUDIOFILE");
        ExpectCompleteLoop(r, trail, dir);
        EXPECT_EQ(soundUse, std::set<int>{0});
        EXPECT_EQ(joysticks, 0);
    }
}

}  // namespace
