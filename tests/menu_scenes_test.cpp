// Logo, title and stage select, run from start-up through the real loop.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include "app/app.h"
#include "harness/harness.h"
#include "platform/records.h"
#include "platform/surfaces.h"

using harness::GameDir;
using harness::ReadRecord;
using harness::Result;
using harness::RunGame;
using harness::Script;

namespace {

constexpr int kLogoFrames = 182;
// Global frame number of the title's frame t (1 = its first) after an untouched logo.
constexpr int Title(int t) { return kLogoFrames + t; }

// g_scene as each frame was presented: the scene that frame belonged to, or
// the next one if the frame ended its scene.
struct SceneLog {
    std::vector<int> scenes{0};
    void Attach(Script& s) {
        s.onPresent = [this](int) { scenes.push_back(g_scene); };
    }
    int FirstFrameWith(int scene) const {
        for (size_t f = 1; f < scenes.size(); f++)
            if (scenes[f] == scene) return static_cast<int>(f);
        return -1;
    }
};

TEST(Logo, LastsExactly182FramesThenTheTitle) {
    GameDir dir;
    Script s;
    SceneLog log;
    log.Attach(s);
    s.Push(Title(5), SDLK_ESCAPE);
    Result r = RunGame(dir, s);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(log.FirstFrameWith(SCENE_TITLE), kLogoFrames);
    for (int f = 1; f < kLogoFrames; f++) ASSERT_EQ(log.scenes[f], SCENE_LOGO) << f;
}

TEST(Logo, ActionButtonsEndItTheFrameTheyAreSeenDirectionsDoNot) {
    struct Case {
        int key;
        int lastLogoFrame;
    };
    for (Case c : {Case{SDLK_z, 40}, Case{SDLK_x, 40}, Case{SDLK_LEFT, kLogoFrames}, Case{SDLK_UP, kLogoFrames},
                   Case{SDLK_c, kLogoFrames}}) {
        GameDir dir;
        Script s;
        SceneLog log;
        log.Attach(s);
        s.Push(40, c.key).Push(kLogoFrames + 40, SDLK_ESCAPE);
        RunGame(dir, s);
        EXPECT_EQ(log.FirstFrameWith(SCENE_TITLE), c.lastLogoFrame) << "key " << c.key;
    }
}

TEST(Logo, QuitDuringTheLogoSavesTheDefaults) {
    GameDir dir;
    Script s;
    s.Push(10, SDLK_ESCAPE);  // held Escape is seen at the end of the frame before
    Result r = RunGame(dir, s);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.frames, 9);
    EXPECT_EQ(harness::FileSize(dir.File("save/config")), 4096);
    std::vector<int32_t> config = ReadRecord(dir.File("save/config"));
    EXPECT_EQ(config[GF_STAGE_LIMIT], 50);
    EXPECT_EQ(config[GF_STARTED], 1);
    EXPECT_EQ(config[GF_KEY_A], 12);
    EXPECT_EQ(config[GF_STAGE_BEST + 1], 99);
    EXPECT_EQ(config[GF_PLAY_FRAMES], 9) << "every frame counts as play time";
}

TEST(Logo, WindowCloseEndsTheProgramInOrder) {
    GameDir dir;
    Script s;
    s.onFrame = [](int frame) {
        if (frame != 20) return;
        SDL_Event quit{};
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
    };
    Result r = RunGame(dir, s);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.frames, 21) << "the close request is taken in the next frame's wait";
    EXPECT_EQ(harness::FileSize(dir.File("save/config")), 4096);
}

TEST(Logo, ScreenTakesThePaletteOfTheColourPicture) {
    GameDir dir;
    SDL_Surface* colors = nullptr;
    Script s;
    std::vector<SDL_Color> shown;
    s.onPresent = [&](int frame) {
        if (frame == 1) shown.assign(g_screen->format->palette->colors, g_screen->format->palette->colors + 256);
    };
    s.Push(3, SDLK_ESCAPE);
    RunGame(dir, s);
    colors = SDL_LoadBMP(dir.File("image/color.bmp").c_str());
    ASSERT_NE(colors, nullptr);
    ASSERT_EQ(shown.size(), 256u);
    for (int i = 0; i < colors->format->palette->ncolors; i++) {
        SDL_Color c = colors->format->palette->colors[i];
        EXPECT_TRUE(c.r == shown[i].r && c.g == shown[i].g && c.b == shown[i].b) << "entry " << i;
    }
    SDL_FreeSurface(colors);
}

// Runs the title with pushes seen in its frames; returns the run and fills `log`.
Result RunTitle(GameDir& dir, const std::vector<std::pair<int, int>>& pushes, SceneLog& log, int quitAt = 60) {
    Script s;
    log.Attach(s);
    for (auto [t, key] : pushes) s.Push(Title(t), key);
    s.Push(Title(quitAt), SDLK_ESCAPE);
    return RunGame(dir, s);
}

TEST(Title, MenuWrapsAndLeftWinsOverRight) {
    struct Case {
        std::vector<int> moves;  // keys seen in title frames 2, 3, ...; 0 = both left and right
        int next;                // where OK on the final item leads
    };
    const Case cases[] = {
        {{}, SCENE_ACT},
        {{SDLK_LEFT}, SCENE_END},
        {{SDLK_RIGHT}, SCENE_STAGESELECT},
        {{SDLK_RIGHT, SDLK_RIGHT}, SCENE_END},
        {{SDLK_RIGHT, SDLK_RIGHT, SDLK_RIGHT}, SCENE_ACT},
        {{SDLK_LEFT, SDLK_LEFT}, SCENE_STAGESELECT},
        {{0}, SCENE_END},
        {{SDLK_UP, SDLK_DOWN}, SCENE_ACT},
    };
    for (const Case& c : cases) {
        GameDir dir;
        std::vector<std::pair<int, int>> pushes;
        int t = 2;
        for (int key : c.moves) {
            if (key == 0) {
                pushes.push_back({t, SDLK_LEFT});
                pushes.push_back({t, SDLK_RIGHT});
            } else {
                pushes.push_back({t, key});
            }
            t += 2;
        }
        pushes.push_back({t, SDLK_z});
        SceneLog log;
        RunTitle(dir, pushes, log);
        ASSERT_GT(log.scenes.size(), static_cast<size_t>(Title(t)));
        EXPECT_EQ(log.scenes[Title(t)], c.next) << "after " << c.moves.size() << " moves";
    }
}

TEST(Title, MoveAndOkInOneFrameActOnTheNewItem) {
    GameDir dir;
    SceneLog log;
    RunTitle(dir, {{3, SDLK_RIGHT}, {3, SDLK_z}}, log);
    EXPECT_EQ(log.scenes[Title(3)], SCENE_STAGESELECT);
}

TEST(Title, EveryCursorMovePlaysTheTick) {
    GameDir dir;
    Script s;
    std::vector<int> ticking;
    s.onFrame = [](int) { Mix_HaltChannel(-1); };
    s.onPresent = [&](int frame) {
        if (frame > kLogoFrames && Mix_Playing(0)) ticking.push_back(frame - kLogoFrames);
    };
    s.Push(Title(2), SDLK_LEFT).Push(Title(4), SDLK_RIGHT).Push(Title(6), SDLK_RIGHT).Push(Title(8), SDLK_UP);
    s.Push(Title(12), SDLK_ESCAPE);
    RunGame(dir, s);
    EXPECT_EQ(ticking, (std::vector<int>{2, 4, 6}));
}

TEST(Title, NewGameWritesFreshWorkRecords) {
    struct Case {
        int32_t start, resume, secondSet;
        int32_t stage, set;
    };
    const Case cases[] = {
        {1, -1, 0, 1, 1}, {51, -1, 0, 50, 1}, {3, 7, 1, 7, 2}, {3, 60, 2, 50, 1}, {-5, -1, 0, -5, 1},
    };
    for (const Case& c : cases) {
        GameDir dir;
        harness::StoreConfig(dir, [&] {
            gameflag[GF_START_STAGE] = c.start;
            gameflag[GF_CONTINUE_STAGE] = c.resume;
            gameflag[GF_SECOND_SET] = c.secondSet;
            for (int i : {GF_TIME_TRIAL, GF_MINIMAP, GF_NO_ENEMY_HIT, GF_FROM_STAGESELECT}) gameflag[i] = 9;
        });
        harness::WriteBytes(dir.File("save/work.sav"), std::vector<unsigned char>(4096, 0xAB));
        harness::WriteBytes(dir.File("save/item_wk.sav"), std::vector<unsigned char>(100, 0xCD));

        std::vector<int32_t> work, items, flags;
        Script s;
        s.Push(Title(2), SDLK_z);
        s.onPresent = [&](int frame) {
            if (frame != Title(3)) return;  // the first frame of play: the title's files, not yet the game's
            work = ReadRecord(dir.File("save/work.sav"));
            items = ReadRecord(dir.File("save/item_wk.sav"));
            flags.assign(gameflag, gameflag + kRecordSize);
        };
        s.Push(Title(4), SDLK_ESCAPE);
        RunGame(dir, s);

        ASSERT_EQ(work.size(), 1024u);
        std::vector<int32_t> expected(1024, 0);
        expected[0] = 256, expected[1] = 48, expected[2] = c.set, expected[3] = c.stage;
        expected[5] = 3, expected[6] = 3;
        EXPECT_EQ(work, expected) << "start " << c.start << " resume " << c.resume;
        EXPECT_EQ(items, std::vector<int32_t>(1024, 0));
        EXPECT_EQ(flags[GF_START_STAGE], c.stage);
        EXPECT_EQ(flags[GF_CONTINUE_STAGE], -1);
        EXPECT_EQ(flags[GF_LAST_EXIT], 4);
        for (int i : {GF_TIME_TRIAL, GF_MINIMAP, GF_NO_ENEMY_HIT, GF_FROM_STAGESELECT}) EXPECT_EQ(flags[i], 0) << i;
    }
}

TEST(Title, QuitLeavesTheWorkFilesAndSavesTheSettings) {
    GameDir dir;
    harness::WriteBytes(dir.File("save/work.sav"), {1, 2, 3});
    SceneLog log;
    Result r = RunTitle(dir, {{2, SDLK_LEFT}, {4, SDLK_z}}, log);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.frames, Title(4));
    EXPECT_EQ(harness::FileSize(dir.File("save/work.sav")), 3);
    EXPECT_EQ(harness::FileSize(dir.File("save/item_wk.sav")), -1);
    std::vector<int32_t> config = ReadRecord(dir.File("save/config"));
    ASSERT_EQ(config.size(), 1024u);
    EXPECT_EQ(config[GF_LAST_EXIT], 10);
    EXPECT_EQ(config[GF_CONTINUE_STAGE], -1);
}

TEST(Title, KeyHeldAcrossTheSceneChangeIsNotANewPush) {
    GameDir dir;
    Script s;
    SceneLog log;
    log.Attach(s);
    s.Hold(30, 400, SDLK_z);  // ends the logo at frame 32 and stays down
    s.Push(500, SDLK_ESCAPE);
    RunGame(dir, s);
    ASSERT_EQ(log.FirstFrameWith(SCENE_TITLE), 32);
    EXPECT_EQ(log.FirstFrameWith(SCENE_ACT), -1) << "the held key started a game";
}

TEST(Title, MusicPlaysInTheTitleButNotInStageSelectOrLogo) {
    GameDir dir;
    Script s;
    std::vector<std::pair<int, bool>> music;
    s.onPresent = [&](int frame) { music.push_back({g_scene, Mix_PlayingMusic() != 0}); (void)frame; };
    s.Push(Title(2), SDLK_RIGHT).Push(Title(4), SDLK_z).Push(Title(10), SDLK_x).Push(Title(16), SDLK_ESCAPE);
    RunGame(dir, s);
    ASSERT_GT(music.size(), static_cast<size_t>(Title(13)));
    EXPECT_FALSE(music[10].second) << "logo";
    EXPECT_TRUE(music[Title(1) - 1].second) << "title";
    EXPECT_FALSE(music[Title(7) - 1].second) << "stage select";
    EXPECT_TRUE(music[Title(13) - 1].second) << "title again";
}

TEST(StageSelect, OkCancelOrBothReturnToTheTitle) {
    for (std::vector<int> keys : {std::vector<int>{SDLK_z}, {SDLK_x}, {SDLK_z, SDLK_x}}) {
        GameDir dir;
        std::vector<std::pair<int, int>> pushes = {{2, SDLK_RIGHT}, {4, SDLK_z}, {8, SDLK_LEFT}, {8, SDLK_UP}};
        for (int k : keys) pushes.push_back({10, k});
        SceneLog log;
        RunTitle(dir, pushes, log);
        EXPECT_EQ(log.scenes[Title(4)], SCENE_STAGESELECT);
        for (int t = 5; t < 10; t++) EXPECT_EQ(log.scenes[Title(t)], SCENE_STAGESELECT) << t;
        EXPECT_EQ(log.scenes[Title(10)], SCENE_TITLE);
    }
}

TEST(System, JoystickVolumeButtonsAreStoredWithTheSettings) {
    GameDir dir;
    Script s;
    s.onFrame = [](int frame) {
        if (frame == 10 || frame == 14) harness::SetPad(0, 0, {6});
        else if (frame == 20) harness::SetPad(0, 0, {7});
        else harness::SetPad(0, 0, {});
    };
    s.Push(30, SDLK_ESCAPE);
    RunGame(dir, s);
    harness::ClearPad();
    EXPECT_EQ(ReadRecord(dir.File("save/config"))[GF_VOLUME], 118);
}

TEST(System, AnyArgumentAsksForFullScreen) {
    for (bool full : {false, true}) {
        GameDir dir;
        Script s;
        bool fullscreen = !full;
        if (full) s.args = {"whatever"};
        s.onPresent = [&](int) { fullscreen = (g_screen->flags & SDL_FULLSCREEN) != 0; };
        s.Push(3, SDLK_ESCAPE);
        Result r = RunGame(dir, s);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(fullscreen, full);
    }
}

}  // namespace
