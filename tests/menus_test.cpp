// Logo, title, stage select and the ways out, run from start-up through the
// real loop; and the game meeting missing files, damaged settings and no
// audio device.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <set>

#include "act/act_internal.h"
#include "app/app.h"
#include "harness/harness.h"
#include "platform/records.h"
#include "platform/surfaces.h"
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
    for (auto [key, lastFrame] : {std::pair{0, kLogoFrames}, {SDLK_z, 40}, {SDLK_x, 40}, {SDLK_LEFT, kLogoFrames},
                                  {SDLK_UP, kLogoFrames}, {SDLK_c, kLogoFrames}}) {
        GameDir dir;
        Script s;
        SceneLog log;
        log.Attach(s);
        if (key) s.Push(40, key);
        s.Push(kLogoFrames + 5, SDLK_ESCAPE);
        RunGame(dir, s);
        EXPECT_EQ(log.First(SCENE_TITLE), lastFrame) << "key " << key;
        EXPECT_EQ(std::count(log.scenes.begin(), log.scenes.end(), SCENE_LOGO), lastFrame - 1);
    }
}

TEST(System, EveryWayOutEndsInOrderAndSavesTheSettings) {
    struct Case {
        const char* how;
        std::vector<std::pair<int, int>> pushes;
        int closeAt;  // frame whose wait sends a window close, or 0
        int frames, lastExit;
    };
    const Case cases[] = {
        {"Escape in the logo", {{10, SDLK_ESCAPE}}, 0, 9, 0},
        {"window closed", {}, 20, 21, 0},
        {"QUIT in the title", {{3, SDLK_z}, {Title(2), SDLK_LEFT}, {Title(4), SDLK_z}}, 0, Title(4), 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        GameDir dir;
        WriteBytes(dir.File("save/work.sav"), {1, 2, 3});
        Script s;
        for (auto [frame, key] : c.pushes) s.Push(frame, key);
        s.onFrame = [&](int frame) {
            SDL_Event quit{};
            quit.type = SDL_QUIT;
            if (frame == c.closeAt) SDL_PushEvent(&quit);
        };
        bool palette = false;
        s.onPresent = [&](int frame) { palette |= frame == 1 && GamePalette(); };
        Result r = RunGame(dir, s);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.frames, c.frames);
        std::vector<int32_t> config = ReadRecord(dir.File("save/config"));
        ASSERT_EQ(config.size(), 1024u);
        EXPECT_EQ(config[GF_PLAY_FRAMES], c.frames) << "every frame counts as play time";
        EXPECT_EQ(config[GF_LAST_EXIT], c.lastExit);
        EXPECT_EQ(config[GF_CONTINUE_STAGE], -1);
        EXPECT_EQ(config[GF_STAGE_BEST + 1], 99);
        EXPECT_EQ(FileSize(dir.File("save/work.sav")), 3);
        EXPECT_EQ(FileSize(dir.File("save/item_wk.sav")), -1);
        EXPECT_TRUE(palette);
    }
}

TEST(Title, MenuMovesTicksAndLeadsToItsItem) {
    constexpr int kBoth = -1;  // Left and Right in one frame
    struct Case {
        std::vector<int> moves;  // seen in title frames 2, 4, ...; OK two frames after the last
        bool okWithLast;         // OK in the frame of the last move instead
        int next, ticks;
    };
    const Case cases[] = {
        {{}, false, SCENE_ACT, 0},
        {{SDLK_LEFT}, false, SCENE_END, 1},
        {{SDLK_RIGHT}, false, SCENE_STAGESELECT, 1},
        {{SDLK_RIGHT, SDLK_RIGHT}, false, SCENE_END, 2},
        {{SDLK_RIGHT, SDLK_RIGHT, SDLK_RIGHT}, false, SCENE_ACT, 3},
        {{SDLK_LEFT, SDLK_LEFT}, false, SCENE_STAGESELECT, 2},
        {{kBoth}, false, SCENE_END, 1},  // Left wins
        {{SDLK_UP, SDLK_DOWN, SDLK_KP8}, false, SCENE_ACT, 0},
        {{SDLK_RIGHT}, true, SCENE_STAGESELECT, 1},
    };
    for (const Case& c : cases) {
        GameDir dir;
        Script s;
        SceneLog log;
        log.Attach(s);
        int ticks = 0;
        auto present = s.onPresent;
        s.onPresent = [&](int frame) {
            present(frame);
            ticks += std::count(chunkChannel, chunkChannel + kEffectChannels, SE_SELECT) > 0;
        };
        s.onFrame = [](int) { soundStopSeAll(); };
        s.Push(3, SDLK_z);
        int t = 2;
        for (int key : c.moves) {
            for (int k : {SDLK_LEFT, SDLK_RIGHT})
                if (key == kBoth || key == k) s.Push(Title(t), k);
            if (key != kBoth && key != SDLK_LEFT && key != SDLK_RIGHT) s.Push(Title(t), key);
            t += 2;
        }
        if (c.okWithLast) t -= 2;
        s.Push(Title(t), SDLK_z).Push(Title(t) + 10, SDLK_ESCAPE);
        RunGame(dir, s);
        ASSERT_GT(log.scenes.size(), static_cast<size_t>(Title(t)));
        EXPECT_EQ(log.scenes[Title(t) - 1], SCENE_TITLE);
        EXPECT_EQ(log.scenes[Title(t)], c.next) << "after " << c.moves.size() << " moves";
        EXPECT_EQ(ticks, c.ticks);
    }
}

TEST(Title, NewGameWritesFreshWorkRecords) {
    struct Case {
        int32_t start, resume, secondSet;
        int32_t stage, set;
    };
    const Case cases[] = {
        {1, -1, 0, 1, 1}, {51, -1, 0, 50, 1}, {3, 7, 1, 7, 2}, {3, 60, 2, 50, 1},
        {-5, -1, 0, -5, 1}, {3, 0, 0, 0, 1}, {3, -2, 0, -2, 1},
    };
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
        s.NewGame().Push(Act(3), SDLK_ESCAPE);
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
        EXPECT_EQ(flags[GF_START_STAGE], c.stage);
        EXPECT_EQ(flags[GF_CONTINUE_STAGE], -1);
        EXPECT_EQ(flags[GF_LAST_EXIT], 4);
        for (int i : {GF_TIME_TRIAL, GF_MINIMAP, GF_NO_ENEMY_HIT, GF_FROM_STAGESELECT}) EXPECT_EQ(flags[i], 0) << i;
    }
}

TEST(Title, KeyHeldAcrossTheSceneChangeIsNotANewPush) {
    GameDir dir;
    Script s;
    SceneLog log;
    log.Attach(s);
    s.Hold(30, 400, SDLK_z).Push(500, SDLK_ESCAPE);  // ends the logo at frame 32 and stays down
    RunGame(dir, s);
    EXPECT_EQ(log.First(SCENE_TITLE), 32);
    EXPECT_EQ(log.First(SCENE_ACT), -1) << "the held key started a game";
}

TEST(StageSelect, OkCancelOrBothReturnToTheTitleWhereTheMusicPlays) {
    for (std::vector<int> keys : {std::vector<int>{SDLK_z}, {SDLK_x}, {SDLK_z, SDLK_x}}) {
        GameDir dir;
        Script s;
        std::vector<std::pair<int, bool>> seen{{0, false}};  // scene and music, per frame
        s.onPresent = [&](int) { seen.push_back({g_scene, Mix_PlayingMusic() != 0}); };
        s.Push(3, SDLK_z).Push(Title(2), SDLK_RIGHT).Push(Title(4), SDLK_z);
        s.Push(Title(8), SDLK_LEFT).Push(Title(8), SDLK_UP);
        for (int k : keys) s.Push(Title(10), k);
        s.Push(Title(16), SDLK_ESCAPE);
        RunGame(dir, s);
        ASSERT_EQ(seen.size(), static_cast<size_t>(Title(15) + 1));
        EXPECT_EQ(seen[2], std::make_pair(static_cast<int>(SCENE_LOGO), false));
        EXPECT_EQ(seen[Title(2)], std::make_pair(static_cast<int>(SCENE_TITLE), true));
        for (int t = 4; t < 10; t++) EXPECT_EQ(seen[Title(t)].first, SCENE_STAGESELECT) << t;
        EXPECT_FALSE(seen[Title(7)].second);
        EXPECT_EQ(seen[Title(10)].first, SCENE_TITLE);
        EXPECT_EQ(seen[Title(13)], std::make_pair(static_cast<int>(SCENE_TITLE), true));
    }
}

TEST(System, JoystickVolumeAndFullScreenArgument) {
    GameDir dir;
    Script s;
    s.args = {"full"};
    s.onFrame = [](int frame) { SetPad(0, 0, frame == 10 || frame == 14 ? std::vector<int>{6} : frame == 20 ? std::vector<int>{7} : std::vector<int>{}); };
    bool fullscreen = false;
    s.onPresent = [&](int) { fullscreen = (g_screen->flags & SDL_FULLSCREEN) != 0; };
    s.Push(30, SDLK_ESCAPE);
    RunGame(dir, s);
    ClearPad();
    EXPECT_TRUE(fullscreen);
    EXPECT_EQ(ReadRecord(dir.File("save/config"))[GF_VOLUME], 118);
    s.args.clear();
    RunGame(dir, s);
    EXPECT_FALSE(fullscreen);
}

// The share of a picture's pixels that the screen shows in place.
double Shown(const char* file) {
    SDL_Surface* picture = SDL_LoadBMP((std::string(GAME_DIR) + "/" + file).c_str());
    if (!picture) return -1;
    int same = 0;
    for (int y = 0; y < kScreenHeight; y++)
        for (int x = 0; x < kScreenWidth; x++)
            same += static_cast<uint8_t*>(picture->pixels)[y * picture->pitch + x] == ScreenPixel(x, y);
    SDL_FreeSurface(picture);
    return same / double(kScreenWidth * kScreenHeight);
}

TEST(Faults, MissingFilesOrNoAudioDeviceAndTheGamePlaysOn) {
    struct Case {
        const char* missing;
        const char* audio;  // driver
        int soundUse, music;
        bool palette, logo;
    };
    const Case cases[] = {
        {nullptr, "dummy", 1, kMusicPieces, true, true},
        {"image/color.bmp", "dummy", 1, kMusicPieces, false, false},  // the key is looked up in the wrong colours
        {"image/a_logo.bmp", "dummy", 1, kMusicPieces, true, false},
        {"image/player/ri0.bmp", "dummy", 1, kMusicPieces, true, true},
        {"sound/bgm/02.ogg", "dummy", 1, kMusicPieces - 1, true, true},
        {"sound/se/oo.wav", "dummy", 0, kMusicPieces, true, true},
        {nullptr, "no-such-driver", 0, kMusicPieces, true, true},
        {nullptr, "disk", 0, kMusicPieces, true, true},  // its file cannot be made
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.missing ? c.missing : "") + " " + c.audio);
        GameDir dir;
        ASSERT_TRUE(!c.missing || std::filesystem::remove(dir.File(c.missing)));
        setenv("SDL_AUDIODRIVER", c.audio, 1);
        setenv("SDL_DISKAUDIOFILE", "/nonexistent/folder/audio.raw", 1);
        Script s;
        s.NewGame().Push(Play(kSignal), SDLK_z).Push(Play(kSignal + 5), SDLK_ESCAPE);
        std::set<int> soundUse;
        int music = -1, score = -1;
        bool palette = false;
        double logo = -1;
        s.onPresent = [&](int frame) {
            soundUse.insert(sound_use);
            if (frame == 1) logo = Shown("image/a_logo.bmp");
            if (frame == Title(1)) palette = GamePalette(), music = 0;
            for (int i = 0; frame == Title(1) && i < kMusicPieces; i++) music += soundHasMusic(i);
            score = player[::score];
        };
        Result r = RunGame(dir, s);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.frames, Play(kSignal + 4));
        EXPECT_EQ(score, 1000);
        EXPECT_EQ(soundUse, std::set<int>{c.soundUse});
        EXPECT_EQ(music, c.music);
        EXPECT_EQ(logo > 0.99, c.logo) << logo;
        EXPECT_EQ(palette, c.palette);
        EXPECT_EQ(FileSize(dir.File("save/config")), 4096);
    }
}

TEST(Faults, DamagedSettingsAreLoadedAsTheyStandAndTheGameRunsOnThem) {
    for (long size : {-1L, 0L, 5L, 4096L, 8192L}) {
        SCOPED_TRACE(size);
        std::vector<unsigned char> bytes(size < 0 ? 0 : size);
        std::mt19937 rng(static_cast<unsigned>(size) + 3);
        for (unsigned char& b : bytes) b = static_cast<unsigned char>(rng());
        GameDir dir;
        if (size >= 0) WriteBytes(dir.File("save/config"), bytes);
        bytes.resize(4096);
        std::vector<int32_t> expected = Decode(bytes);
        expected[GF_STAGE_LIMIT] = 50;
        expected[GF_STARTED] = 1;
        ResetGameFlag();  // a fresh process starts from zeros
        std::vector<int32_t> loaded;
        Script s;
        // The bindings may be anything: the logo runs out, then only the fixed OK and quit keys.
        s.Push(kLogoFrames + 3, SDLK_z).Push(kLogoFrames + 100, SDLK_ESCAPE);
        s.onPresent = [&](int frame) {
            if (frame == 1) loaded.assign(gameflag, gameflag + kRecordSize);
        };
        Result r = RunGame(dir, s);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.frames, kLogoFrames + 99);
        if (size < 0) {
            EXPECT_EQ(loaded[GF_KEY_A], 12);
            continue;
        }
        EXPECT_EQ(loaded, expected);
        std::vector<int32_t> saved = ReadRecord(dir.File("save/config"));
        ASSERT_EQ(saved.size(), 1024u);
        for (int i : {0, 5, 61, 121, 126, 400, 1023}) EXPECT_EQ(saved[i], expected[i]) << i;
    }
}

}  // namespace
