// Logo, title, stage select and the ways out, run from start-up through the
// real loop; and the game meeting missing files, damaged settings and no
// audio device.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "act/act_internal.h"
#include "app/app.h"
#include "harness/harness.h"
#include "platform/frame.h"
#include "platform/records.h"
#include "platform/surfaces.h"
#include "scenes/scenes.h"
#include "sound/sound.h"

using namespace harness;

namespace {

// g_scene as each frame was presented: the scene that frame belonged to, or
// the next one if the frame ended its scene.
struct SceneLog {
    std::vector<int> scenes{0};
    void Attach(Script& s) {
        s.onPresent = [this](int) { scenes.push_back(g_scene); };
    }
    int First(int scene) const {
        auto it = std::find(scenes.begin() + 1, scenes.end(), scene);
        return it == scenes.end() ? -1 : static_cast<int>(it - scenes.begin());
    }
};

// Whether the screen has the colour picture's palette.
bool GamePalette() {
    SDL_Surface* colors = SDL_LoadBMP((std::string(GAME_DIR) + "/image/color.bmp").c_str());
    const SDL_Palette *a = colors->format->palette, *b = g_screen->format->palette;
    bool same = a->ncolors == 256 && b->ncolors == 256;
    for (int i = 0; same && i < 256; i++)
        same = a->colors[i].r == b->colors[i].r && a->colors[i].g == b->colors[i].g && a->colors[i].b == b->colors[i].b;
    SDL_FreeSurface(colors);
    return same;
}

TEST(Logo, LastsItsTimeUnlessAnActionButtonIsPushed) {
    // key pushed in frame 40 (held from 30 to 400 when negative), then the logo's last frame
    for (auto [key, last] : {std::pair{0, kLogoFrames},
                             {KB_Z, 40},
                             {KB_X, 40},
                             {KB_LEFT, kLogoFrames},
                             {KB_UP, kLogoFrames},
                             {KB_C, kLogoFrames},
                             {-KB_Z, 32}}) {
        GameDir dir;
        Script s;
        SceneLog log;
        log.Attach(s);
        if (key > 0) s.Push(40, key);
        if (key < 0) s.Hold(30, 400, -key);
        RunGame(dir, s.Push(500, KB_ESCAPE));
        EXPECT_EQ(log.First(SCENE_TITLE), last) << "key " << key;
        EXPECT_EQ(std::count(log.scenes.begin(), log.scenes.end(), SCENE_LOGO), last - 1);
        EXPECT_EQ(log.First(SCENE_ACT), -1) << "a key held across the change is no push in the title";
    }
}

TEST(System, EveryWayOutEndsInOrderAndSavesTheSettings) {
    struct Case {
        const char* how;
        std::vector<std::pair<int, int>> pushes;
        int closeAt;  // frame whose wait sends a window close, or 0
        int frames, lastExit;
        bool full;  // any argument asks for full screen
    };
    const Case cases[] = {
        {"Escape in the logo", {{10, KB_ESCAPE}}, 0, 9, 0, false},
        {"window closed", {}, 20, 21, 0, true},
        {"QUIT in the title", {{3, KB_Z}, {Title(2), KB_LEFT}, {Title(4), KB_Z}}, 0, Title(4), 10, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        GameDir dir;
        WriteBytes(dir.File("save/work.sav"), {1, 2, 3});
        Script s;
        for (auto [frame, key] : c.pushes) s.Push(frame, key);
        if (c.full) s.args = {"full"};
        s.onFrame = [&](int frame) {
            if (frame == c.closeAt) SendWindowEvent(WE_QUIT);
            SetPad(0, 0, frame == 2 || frame == 4 ? std::vector<int>{6} : std::vector<int>(frame == 6, 7));
        };
        bool full = !c.full;
        s.onPresent = [&](int) { full = (g_screen->flags & SDL_FULLSCREEN) != 0; };
        Result r = RunGame(dir, s);
        ClearPad();
        std::vector<int32_t> config = ReadRecord(dir.File("save/config"));
        ASSERT_EQ(config.size(), 1024u);
        // Every frame counts as play time; the joystick's volume buttons are kept; the work files stay.
        EXPECT_EQ((std::vector<long>{r.exitCode, r.frames, full, config[GF_PLAY_FRAMES], config[GF_LAST_EXIT],
                                     config[GF_CONTINUE_STAGE], config[GF_STAGE_BEST + 1], config[GF_VOLUME],
                                     FileSize(dir.File("save/work.sav")), FileSize(dir.File("save/item_wk.sav"))}),
                  (std::vector<long>{0, c.frames, c.full, c.frames, c.lastExit, -1, 99, 118, 3, -1}));
    }
}

TEST(Title, MenuMovesTicksAndLeadsToItsItem) {
    struct Case {
        const char* moves;  // seen in title frames 2, 4, ...: Left, Right, Both, Up, Down, keypad 8
        bool okWithLast;    // OK in the frame of the last move, not two frames later
        int next, ticks;
    };
    const Case cases[] = {
        {"", false, SCENE_ACT, 0},   {"L", false, SCENE_END, 1},   {"R", false, SCENE_STAGESELECT, 1},
        {"RR", false, SCENE_END, 2}, {"RRR", false, SCENE_ACT, 3}, {"LL", false, SCENE_STAGESELECT, 2},
        {"B", false, SCENE_END, 1},  {"UD8", false, SCENE_ACT, 0}, {"R", true, SCENE_STAGESELECT, 1}};
    const std::map<char, std::vector<int>> keys = {{'L', {KB_LEFT}}, {'R', {KB_RIGHT}}, {'B', {KB_LEFT, KB_RIGHT}},
                                                   {'U', {KB_UP}},   {'D', {KB_DOWN}},  {'8', {KB_KP8}}};
    for (const Case& c : cases) {
        GameDir dir;
        Script s;
        s.Push(3, KB_Z);
        int t = 2;
        for (const char* m = c.moves; *m; m++, t += 2)
            for (int k : keys.at(*m)) s.Push(Title(t), k);
        t -= c.okWithLast ? 2 : 0;
        std::vector<int> scenes, ticks;
        s.onFrame = [](int) { soundStopSeAll(); };  // the channel table then shows this frame's effects
        s.onPresent = [&](int frame) {
            if (frame == Title(t) - 1 || frame == Title(t)) scenes.push_back(g_scene);
            if (std::count(chunkChannel, chunkChannel + kEffectChannels, SE_SELECT)) ticks.push_back(frame);
        };
        RunGame(dir, s.Push(Title(t), KB_Z).Push(Title(t) + 10, KB_ESCAPE));
        EXPECT_EQ(scenes, (std::vector<int>{SCENE_TITLE, c.next})) << c.moves;
        EXPECT_EQ(ticks.size(), static_cast<size_t>(c.ticks)) << c.moves;
    }
}

TEST(Title, NewGameWritesFreshWorkRecords) {
    struct Case {
        int32_t start, resume, secondSet;
        int32_t stage, set;
    };
    const Case cases[] = {{1, -1, 0, 1, 1},   {51, -1, 0, 50, 1}, {3, 7, 1, 7, 2},  {3, 60, 2, 50, 1},
                          {-5, -1, 0, -5, 1}, {3, 0, 0, 0, 1},    {3, -2, 0, -2, 1}};
    for (const Case& c : cases) {
        GameDir dir;
        StoreConfig(dir, [&] {
            gameflag[GF_START_STAGE] = c.start;
            gameflag[GF_CONTINUE_STAGE] = c.resume;
            gameflag[GF_SECOND_SET] = c.secondSet;
            for (int i : {GF_TIME_TRIAL, GF_MINIMAP, GF_NO_ENEMY_HIT, GF_FROM_STAGESELECT}) gameflag[i] = 9;
        });
        WriteBytes(dir.File("save/work.sav"), std::vector<unsigned char>(4096, 0xAB));
        WriteBytes(dir.File("save/item_wk.sav"), std::vector<unsigned char>(100, 0xCD));
        std::vector<int32_t> work, items, flags;
        Script s;
        s.NewGame().Push(Act(3), KB_ESCAPE);
        s.onPresent = [&](int frame) {
            if (frame != Act(1)) return;  // the title's files, not yet the game's
            work = ReadRecord(dir.File("save/work.sav"));
            items = ReadRecord(dir.File("save/item_wk.sav"));
            flags.assign(gameflag, gameflag + kRecordSize);
        };
        RunGame(dir, s);
        std::vector<int32_t> expected(1024, 0);
        expected[0] = 256, expected[1] = 48, expected[2] = c.set, expected[3] = c.stage;
        expected[5] = 3, expected[6] = 3;
        EXPECT_EQ(work, expected) << "start " << c.start << " resume " << c.resume;
        EXPECT_EQ(items, std::vector<int32_t>(1024, 0));
        ASSERT_EQ(flags.size(), 1024u);
        EXPECT_EQ((std::vector<int32_t>{flags[GF_START_STAGE], flags[GF_CONTINUE_STAGE], flags[GF_LAST_EXIT],
                                        flags[GF_TIME_TRIAL], flags[GF_MINIMAP], flags[GF_NO_ENEMY_HIT],
                                        flags[GF_FROM_STAGESELECT]}),
                  (std::vector<int32_t>{c.stage, -1, 4, 0, 0, 0, 0}));
    }
}

TEST(StageSelect, OkCancelOrBothReturnToTheTitleWhereTheMusicPlays) {
    for (std::vector<int> keys : {std::vector<int>{KB_Z}, {KB_X}, {KB_Z, KB_X}}) {
        GameDir dir;
        Script s;
        std::vector<int> seen{0};  // the scene, and 100 more while music plays, per frame
        s.onPresent = [&](int) { seen.push_back(g_scene + 100 * (Mix_PlayingMusic() != 0)); };
        s.Push(3, KB_Z).Push(Title(2), KB_RIGHT).Push(Title(4), KB_Z).Push(Title(8), KB_LEFT).Push(Title(8), KB_UP);
        for (int k : keys) s.Push(Title(10), k);
        RunGame(dir, s.Push(Title(16), KB_ESCAPE));
        // A frame that ends its scene shows the next one, with the music of the old.
        const int L = SCENE_LOGO, T = SCENE_TITLE, M = 100, S = SCENE_STAGESELECT;
        EXPECT_EQ(
            std::vector<int>(seen.begin() + 2, seen.end()),
            (std::vector<int>{L, T, T + M, T + M, T + M, S + M, S, S, S, S, S, T, T + M, T + M, T + M, T + M, T + M}));
    }
}

TEST(Faults, MissingFilesOrNoAudioDeviceAndTheGamePlaysOn) {
    struct Case {
        const char* missing;
        const char* audio;  // driver
        int soundUse, music;
        bool palette;
    };
    const Case cases[] = {
        {nullptr, "dummy", 1, kMusicPieces, true},
        {kPalettePicture.path, "dummy", 1, kMusicPieces, false},  // the screen keeps its own colours
        {kLogoPicture.path, "dummy", 1, kMusicPieces, true},
        {kPlayerPicture.path, "dummy", 1, kMusicPieces, true},
        {kMusicFiles[kGameMusic], "dummy", 1, kMusicPieces - 1, true},
        {kEffectFiles[SE_OO], "dummy", 0, kMusicPieces, true},
        {nullptr, "no-such-driver", 0, kMusicPieces, true},
        {nullptr, "disk", 0, kMusicPieces, true}  // its file cannot be made
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.missing ? c.missing : "") + " " + c.audio);
        GameDir dir;
        ASSERT_TRUE(!c.missing || std::filesystem::remove(dir.File(c.missing)));
        setenv("SDL_AUDIODRIVER", c.audio, 1);
        setenv("SDL_DISKAUDIOFILE", "/nonexistent/folder/audio.raw", 1);
        Script s;
        s.NewGame().Push(Play(kSignalPeriod), KB_Z).Push(Play(kSignalPeriod + 5), KB_ESCAPE);
        std::set<int> soundUse;
        int music = -1, score = -1, palette = 0;
        s.onPresent = [&](int frame) {
            soundUse.insert(sound_use);
            if (frame == Title(1)) palette = GamePalette(), music = 0;
            for (int i = 0; frame == Title(1) && i < kMusicPieces; i++) music += soundHasMusic(i);
            score = player[::score];
        };
        Result r = RunGame(dir, s);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        EXPECT_EQ(soundUse, std::set<int>{c.soundUse});
        EXPECT_EQ((std::vector<long>{r.exitCode, r.frames, score, music, palette, FileSize(dir.File("save/config"))}),
                  (std::vector<long>{0, Play(kSignalPeriod + 4), 1000, c.music, c.palette, 4096}));
    }
}

}  // namespace
