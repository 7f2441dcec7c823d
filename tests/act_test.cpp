// The game itself, frame by frame, from start-up through the real loop.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>

#include "act/act_internal.h"
#include "app/app.h"
#include "harness/harness.h"
#include "harness/pictures.h"
#include "platform/records.h"
#include "platform/surfaces.h"

using harness::DigitsOnScreen;
using harness::GameDir;
using harness::ReadRecord;
using harness::Result;
using harness::RunGame;
using harness::Script;
using harness::ShowsSlot;

namespace {

// Global frame numbers: the menus are passed as fast as they allow.
constexpr int Act(int f) { return 5 + f; }               // the scene's frame f, from 1
constexpr int Play(int p) { return Act(2 + p); }         // play frame p, 1 to 3600
constexpr int Res(int r) { return Play(kPlayFrames) + r; }  // result frame r, from 1
constexpr int kSignal = 121;                              // play frame of the first signal

Script NewGame() {
    Script s;
    s.Push(3, SDLK_z).Push(5, SDLK_z);
    return s;
}

struct Snap {
    int sn;
    std::array<int32_t, 9> p;
};

// Records the scene's state as each frame is presented.
struct Recorder {
    std::vector<Snap> frames{Snap{}};
    void Attach(Script& s, std::function<void(int)> more = nullptr) {
        s.onPresent = [this, more](int frame) {
            Snap snap{sn, {}};
            for (int i = 0; i < 9; i++) snap.p[i] = player[i];
            frames.push_back(snap);
            if (more) more(frame);
        };
    }
    const Snap& at(int frame) const { return frames.at(frame); }
};

// A whole game with chop pushes seen in the given play frames, OK at the
// given result frame, then quit from the title.
struct Game {
    std::vector<int> chops;
    int okAt = 61;
    std::function<void(int)> look;
    GameDir dir;
    Recorder rec;
    Result result;
    void Run() {
        Script s = NewGame();
        for (int p : chops) s.Push(Play(p), SDLK_z);
        s.Push(Res(okAt), SDLK_z);
        s.Push(Res(okAt) + 6, SDLK_ESCAPE);
        rec.Attach(s, look);
        result = RunGame(dir, s);
    }
    int Score() const { return rec.at(Play(kPlayFrames)).p[score]; }
};

TEST(Act, StartTwoFramesThenExactly3600PlayFrames) {
    Game g;
    bool panelInStart = false, logInStart = false, figureInStart = true;
    std::string firstSeconds, lastSeconds;
    g.look = [&](int frame) {
        if (frame == Act(1) || frame == Act(2)) {
            panelInStart |= ShowsSlot(kPlayerSlot, 0, 160, 96, 32, 0, 0);
            logInStart |= ShowsSlot(kPlayerSlot, 0, 32, 32, 32, 150, 164);
            figureInStart &= ShowsSlot(kPlayerSlot, 128, 0, 64, 96, 150, 100) &&
                             ShowsSlot(kPlayerSlot, 96, 96, 64, 64, 80, 132);
        }
        if (frame == Play(1)) firstSeconds = DigitsOnScreen(kFontSlot, 150, 42, 2);
        if (frame == Play(kPlayFrames)) lastSeconds = DigitsOnScreen(kFontSlot, 150, 42, 2);
    };
    g.Run();
    EXPECT_EQ(g.rec.at(Act(1)).p[time_left], kPlayFrames);
    EXPECT_EQ(g.rec.at(Act(2)).p[time_left], kPlayFrames);
    EXPECT_EQ(g.rec.at(Play(1)).p[time_left], kPlayFrames - 1);
    EXPECT_EQ(g.rec.at(Play(kPlayFrames - 1)).sn, SN_PLAY);
    EXPECT_EQ(g.rec.at(Play(kPlayFrames)).p[time_left], 0);
    EXPECT_EQ(g.rec.at(Play(kPlayFrames)).sn, SN_RESULT) << "play ends in its 3600th frame";
    EXPECT_FALSE(panelInStart);
    EXPECT_FALSE(logInStart);
    EXPECT_TRUE(figureInStart);
    EXPECT_EQ(firstSeconds, "59");
    EXPECT_EQ(lastSeconds, "00");
}

TEST(Act, ChopKeyIsNotReadInTheStartState) {
    Game g;
    g.chops = {0, 1};  // pushes sampled during the two start frames
    g.Run();
    EXPECT_EQ(g.rec.at(Play(2)).p[pressed], 0);
    EXPECT_EQ(g.rec.at(Play(2)).p[wait_count], 2);
}

TEST(Act, WithoutPushesASignalOpensEvery121Frames) {
    Game g;
    std::vector<int> opened;
    g.look = [&](int frame) {
        const Snap& s = g.rec.frames.back();
        if (s.sn != SN_START && frame <= Play(kPlayFrames) && s.p[signal_count] == 59 && s.p[wait_count] == 0)
            opened.push_back(frame - Play(0));
    };
    g.Run();
    ASSERT_EQ(opened.size(), 29u);
    for (size_t i = 0; i < opened.size(); i++) EXPECT_EQ(opened[i], kSignal * static_cast<int>(i + 1));
    EXPECT_EQ(g.Score(), 0);
}

TEST(Act, PointsFallWithTheWindowFrameOfThePush) {
    struct Case {
        int k;  // window frame in which the push is seen
        int points;
        bool kan;
    };
    for (Case c : {Case{0, 1000, true}, Case{9, 1000, true}, Case{10, 500, false}, Case{51, 90, false},
                   Case{59, 10, false}, Case{60, 0, false}, Case{-1, 0, false}}) {
        Game g;
        g.chops = {kSignal + c.k};
        int spawned = -1;
        g.look = [&](int frame) {
            if (frame == Play(kSignal + c.k)) spawned = pshotf2[0].active ? pshotf2[0].value : 0;
        };
        g.Run();
        EXPECT_EQ(g.Score(), c.points) << "k " << c.k;
        EXPECT_EQ(spawned, c.points) << "k " << c.k;
        const Snap& after = g.rec.at(Play(kSignal + c.k));
        EXPECT_EQ(after.p[pressed], 1);
        EXPECT_EQ(after.p[signal_count], 0);
        EXPECT_EQ(after.p[wait_count], 0);
        EXPECT_EQ(after.p[swing_count], 29);
    }
}

TEST(Act, EarlyPushPostponesTheSignalAndASecondPushScoresNothing) {
    Game g;
    g.chops = {50, 50 + kSignal + 3, 50 + kSignal + 5};
    g.Run();
    EXPECT_EQ(g.rec.at(Play(50 + kSignal - 1)).p[signal_count], 0);
    EXPECT_EQ(g.rec.at(Play(50 + kSignal)).p[signal_count], 59) << "the wait restarted at the push";
    EXPECT_EQ(g.rec.at(Play(kPlayFrames)).p[score], 1000);
}

TEST(Act, PushingEvery120FramesKeepsTheSignalAway) {
    Game g;
    for (int p = 100; p <= kPlayFrames; p += 120) g.chops.push_back(p);
    g.Run();
    for (int p = 1; p <= kPlayFrames; p++) ASSERT_EQ(g.rec.at(Play(p)).p[signal_count], 0) << p;
    EXPECT_EQ(g.Score(), 0);
}

TEST(Act, PerfectPlayerScores29000AndEveryRecordAgrees) {
    Game g;
    for (int n = 1; n * kSignal <= kPlayFrames; n++) g.chops.push_back(n * kSignal);
    std::string resultDigits;
    g.look = [&](int frame) {
        if (frame == Res(10)) resultDigits = DigitsOnScreen(kFontSlot, 190, 70, 8);
    };
    g.Run();
    EXPECT_EQ(g.chops.size(), 29u);
    EXPECT_EQ(g.Score(), 29000);
    EXPECT_EQ(resultDigits, "00029000");
    std::vector<int32_t> work = ReadRecord(g.dir.File("save/work.sav"));
    ASSERT_EQ(work.size(), 1024u);
    EXPECT_EQ(work[0], 0);
    EXPECT_EQ(work[1], 0);
    EXPECT_EQ(work[4], 0) << "the last push came long before the end";
    EXPECT_EQ(work[5], 0);
    std::vector<int32_t> config = ReadRecord(g.dir.File("save/config"));
    EXPECT_EQ(config[GF_STAGE_BEST + 1], 99) << "lower is better: 29000 is no new best";
    EXPECT_EQ(config[GF_NEW_GAME], 0);
    EXPECT_EQ(config[GF_STAGE_DONE], 0);
    EXPECT_EQ(harness::FileSize(g.dir.File("replay/0/replay_data_j0.dat")), -1);
}

TEST(Act, LastPushesLeaveTheSwingInTheWorkFile) {
    Game g;
    g.chops = {kPlayFrames - 10};
    g.Run();
    EXPECT_EQ(ReadRecord(g.dir.File("save/work.sav"))[4], 19);
}

TEST(Act, PiecesAndNumbersFlyAsTheyShould) {
    Game g;
    g.chops = {kSignal};
    const int chop = Play(kSignal);
    bool atChop = false, nextLeft = false, nextRight = false;
    std::vector<int> numberY;  // where the number was drawn in each frame from the chop
    std::vector<int> pieceLife;
    g.look = [&](int frame) {
        if (frame == chop) atChop = ShowsSlot(kPlayerSlot, 32, 64, 32, 32, 150, 164);
        if (frame == chop + 1) {
            nextLeft = ShowsSlot(kPlayerSlot, 0, 64, 32, 32, 130, 154);
            nextRight = ShowsSlot(kPlayerSlot, 32, 64, 32, 32, 170, 154);
        }
        if (frame >= chop - 1 && frame < chop + 110) numberY.push_back(pshotf2[0].active ? pshotf2[0].y : -999);
        if (frame >= chop && frame < chop + 70) pieceLife.push_back(pshotf[0].active + pshotf[1].active);
    };
    g.Run();
    EXPECT_TRUE(atChop);
    EXPECT_TRUE(nextLeft);
    EXPECT_TRUE(nextRight);
    // numberY[i + 1] is the y left after frame i of the number's life; it was drawn at numberY[i].
    ASSERT_GT(numberY.size(), 105u);
    for (int i = 1; i <= 11; i++) EXPECT_EQ(numberY[i], i < 11 ? 164 : 163) << "frame " << i;
    EXPECT_EQ(numberY[99], 164 - 441) << "where it was drawn the 100th and last time";
    EXPECT_EQ(numberY[101], -999) << "retired after 100 frames";
    EXPECT_EQ(std::count(pieceLife.begin(), pieceLife.end(), 2), 59);
    EXPECT_EQ(pieceLife[59], 0) << "retired after 60 frames";
}

TEST(Act, ResultTakesOkFromIts61stFrame) {
    for (int okAt : {30, 60, 61}) {
        Game g;
        g.okAt = okAt;
        g.Run();
        int left = -1;
        for (size_t f = Res(1); f < g.rec.frames.size(); f++)
            if (g.rec.frames[f].sn == SN_LEAVE) {
                left = static_cast<int>(f) - Res(0);
                break;
            }
        EXPECT_EQ(left, okAt == 61 ? 61 : -1) << "OK in result frame " << okAt;
    }
}

TEST(Act, LeaveFrameIsBlackThenTheTitle) {
    Game g;
    std::vector<uint8_t> leave;
    int sceneAfter = -1;
    g.look = [&](int frame) {
        if (frame == Res(62)) leave = harness::ScreenPixels();
        if (frame == Res(63)) sceneAfter = g_scene;
    };
    g.Run();
    ASSERT_FALSE(leave.empty());
    EXPECT_EQ(std::count(leave.begin(), leave.end(), leave[0]), static_cast<long>(leave.size()));
    EXPECT_EQ(leave[0], 1) << "cleared to the black entry";
    EXPECT_EQ(sceneAfter, SCENE_TITLE);
}

TEST(Act, BestScoreIsTheLowestAndBringsTheReplay) {
    struct Case {
        std::vector<int> chops;
        int32_t storedBest;
        int32_t best;
        bool replay;
    };
    const Case cases[] = {
        {{}, 99, 0, true},                 // no chop: 0
        {{kSignal + 51}, 99, 90, true},    // 90 points
        {{kSignal + 50}, 99, 99, false},   // 100 points
        {{kSignal + 51}, 90, 90, false},   // equal to the best
        {{}, 0, 0, false},                 // a best of 0 is never beaten
    };
    for (const Case& c : cases) {
        Game g;
        g.chops = c.chops;
        harness::StoreConfig(g.dir, [&] { gameflag[GF_STAGE_BEST + 1] = c.storedBest; });
        g.Run();
        EXPECT_EQ(ReadRecord(g.dir.File("save/config"))[GF_STAGE_BEST + 1], c.best);
        std::string replay = g.dir.File("replay/0/replay_data_j0.dat");
        EXPECT_EQ(harness::FileSize(replay), c.replay ? 144000 : -1);
        if (c.replay) {
            std::vector<int32_t> zeros = ReadRecord(replay);
            EXPECT_EQ(std::count(zeros.begin(), zeros.end(), 0), 36000);
        }
    }
}

TEST(Act, QuitDuringTheResultKeepsBestAndReplay) {
    GameDir dir;
    Script s = NewGame();
    s.Push(Res(30), SDLK_ESCAPE);
    RunGame(dir, s);
    EXPECT_EQ(ReadRecord(dir.File("save/config"))[GF_STAGE_BEST + 1], 99);
    EXPECT_EQ(harness::FileSize(dir.File("replay/0/replay_data_j0.dat")), -1);
}

TEST(Act, QuitDuringPlaySavesTheLiveCounters) {
    GameDir dir;
    Script s = NewGame();
    Recorder rec;
    rec.Attach(s);
    s.Push(Play(kSignal + 20), SDLK_z);
    s.Push(Play(kSignal + 40), SDLK_ESCAPE);
    Result r = RunGame(dir, s);
    const Snap& last = rec.frames.back();
    ASSERT_EQ(r.frames, Play(kSignal + 39));
    std::vector<int32_t> work = ReadRecord(dir.File("save/work.sav"));
    ASSERT_EQ(work.size(), 1024u);
    EXPECT_EQ(work[0], last.p[wait_count]);
    EXPECT_EQ(work[1], last.p[signal_count]);
    EXPECT_EQ(work[4], last.p[swing_count]);
    EXPECT_EQ(work[5], last.p[time_left]);
    EXPECT_EQ(work[4], 10);
    EXPECT_EQ(work[5], kPlayFrames - kSignal - 39);
    EXPECT_EQ(ReadRecord(dir.File("save/item_wk.sav")), std::vector<int32_t>(1024, 0));
    std::vector<int32_t> config = ReadRecord(dir.File("save/config"));
    EXPECT_EQ(config[GF_NEW_GAME], 0);
    EXPECT_EQ(config[GF_STAGE_DONE], 0);
}

TEST(Act, ASecondGameStartsFullyCleared) {
    GameDir dir;
    Script s = NewGame();
    s.Push(Play(29 * kSignal + 59), SDLK_z).Push(Res(61), SDLK_z);  // its number outlives the game
    const int title = Res(63);  // the title's first frame
    s.Push(title + 2, SDLK_z);
    const int second = title + 2;  // its first frame is the next one
    std::array<int32_t, 9> p{};
    int liveObjects = -1;
    s.onPresent = [&](int frame) {
        if (frame != second + 1) return;
        for (int i = 0; i < 9; i++) p[i] = player[i];
        liveObjects = 0;
        for (const FlyingPiece& f : pshotf) liveObjects += f.active;
        for (const ScoreNumber& n : pshotf2) liveObjects += n.active;
    };
    s.Push(second + 4, SDLK_ESCAPE);
    RunGame(dir, s);
    EXPECT_EQ(p[score], 0);
    EXPECT_EQ(p[time_left], kPlayFrames);
    EXPECT_EQ(liveObjects, 0);
}

struct Tables : ::testing::Test {
    void SetUp() override {
        std::memset(pshotf, 0, sizeof pshotf);
        std::memset(pshotf2, 0, sizeof pshotf2);
    }
    static int Live() {
        int n = 0;
        for (const FlyingPiece& f : pshotf) n += f.active;
        return n;
    }
};

TEST_F(Tables, FullTablesDropNewObjectsAndReuseTheFirstFree) {
    for (int i = 0; i < kPieces + 1; i++) p_shot_f_set(i, 0, 0);
    for (int i = 0; i < kNumbers + 1; i++) p_shot_f2_set(0, 0, i);
    EXPECT_EQ(Live(), kPieces);
    EXPECT_EQ(pshotf[kPieces - 1].x, kPieces - 1) << "the 41st was dropped, not written over the last";
    EXPECT_EQ(pshotf2[kNumbers - 1].value, kNumbers - 1);
    pshotf[0].active = 0;
    pshotf[7].active = 0;
    p_shot_f_set(500, 0, 1);
    EXPECT_EQ(pshotf[0].x, 500);
    EXPECT_EQ(pshotf[0].life, 60);
    EXPECT_EQ(pshotf[7].active, 0);
}

TEST_F(Tables, ObjectsMoveAndRetireIndependently) {
    p_shot_f_set(150, 164, 0);
    for (int i = 0; i < 30; i++) p_shot_f_disp();
    p_shot_f_set(150, 164, 1);
    p_shot_f_disp();
    EXPECT_EQ(pshotf[0].x, 150 - 20 * 31);
    EXPECT_EQ(pshotf[1].x, 170);
    EXPECT_EQ(pshotf[1].y, 154);
    for (int i = 0; i < 29; i++) p_shot_f_disp();
    EXPECT_EQ(pshotf[0].active, 0);
    EXPECT_EQ(pshotf[1].active, 1);
    EXPECT_EQ(pshotf[1].life, 30);
}

}  // namespace
