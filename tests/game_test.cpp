// Whole games, frame by frame, from start-up through the real loop: each run
// checks the timing, scoring, display, sound and records of one game at once.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

#include "act/act_internal.h"
#include "app/app.h"
#include "harness/harness.h"
#include "platform/records.h"
#include "platform/surfaces.h"
#include "sound/sound.h"

using namespace harness;

namespace {

using Rows = std::vector<std::string>;
Rows Overlay() {
    Rows rows;
    for (int r = 0; r < 7; r++) rows.push_back(DigitsOnScreen(kFontSlot, 10, 10 + 10 * r, 8));
    return rows;
}

bool Logged(const std::vector<int>& frames, int frame) {
    return std::find(frames.begin(), frames.end(), frame) != frames.end();
}

// Pushes seen in these play frames, chosen to meet every scoring rule:
// k = frames since the signal opened.
const int kChops[] = {
    121,         // k 0: 1000, the fast chop
    251,         // k 9: 1000
    382,         // k 10: 500
    554,         // k 51: 90
    734,         // k 59: 10
    915,         // k 60: the window has closed, nothing
    1035,        // one frame before the signal: nothing, and the wait restarts
    1159, 1161,  // k 3: 1000; a second push to the same signal: nothing
    1282,        // exactly 121 frames after the last push: the signal opens with it, 1000
};
const int kSignals[] = {121, 242, 372, 503, 675, 855, 1156, 1282};
const std::map<int, int> kNumbers = {{121, 1000}, {251, 1000},  {382, 500},  {554, 90},
                                     {734, 10},   {1159, 1000}, {1282, 1000}};

TEST(Game, EveryRuleOfOneVariedGame) {
    GameDir dir;
    std::ofstream(dir.File("debug.txt")) << "DebugDisp=1\n";
    Script s;
    s.NewGame().Push(Play(1), KB_Z);  // in the start state: not a chop
    for (int p : kChops) s.Push(Play(p), KB_Z);
    // Then a push every 120 frames keeps the signal away; the last leaves the swing running.
    for (int p = 1402; p < kPlayFrames; p += 120) s.Push(Play(p), KB_Z);
    s.Push(Play(3590), KB_Z);
    for (int r : {30, 60, 62}) s.Push(Res(r), KB_Z);  // OK is taken from the result's 61st frame
    const int titleAgain = Res(64);
    s.Push(titleAgain + 2, KB_Z).Push(titleAgain + 40, KB_ESCAPE);  // a second game, quit in play

    std::map<int, std::vector<int>> snaps;  // frame -> sn, then player[0..8]
    std::vector<int> effects;               // effect * 10000 + play frame
    std::map<int, int> numbers;
    std::map<int, Rows> overlay;
    std::vector<int> showing;  // frames where each checked picture was in place, as frame * 10 + which
    std::vector<int32_t> work;
    std::vector<int> numberY, numberLive, pieceLive;  // from the first chop on
    s.onFrame = [](int) { soundStopSeAll(); };        // the channel table then shows this frame's effects
    s.onPresent = [&](int f) {
        int p = f - Play(0);
        std::vector<int>& snap = snaps[f];
        snap.push_back(sn);
        snap.insert(snap.end(), player, player + 9);
        if (sn == SN_PLAY || p == kPlayFrames) {
            for (int e : chunkChannel)
                if (e >= 0) effects.push_back(e * 10000 + p);
            for (const ScoreNumber& n : pshotf2)
                if (n.active && n.age == 1) numbers[p] = n.value;
        }
        if (p >= 121 && p < 121 + 105) {
            numberY.push_back(pshotf2[0].y);
            numberLive.push_back(pshotf2[0].active);
            pieceLive.push_back(pshotf[0].active + pshotf[1].active);
        }
        if (f == Play(130) || f == Play(kPlayFrames) || f == Res(50)) overlay[f] = Overlay();
        const bool shown[] = {
            ShowsSlot(kPlayerSlot, 128, 0, 64, 96, 150, 100),   // 0: the woodcutter ready
            ShowsSlot(kPlayerSlot, 192, 0, 64, 96, 150, 100),   // 1: chopping
            ShowsSlot(kPlayerSlot, 0, 32, 32, 32, 150, 164),    // 2: the log
            ShowsSlot(kPlayerSlot, 32, 64, 32, 32, 150, 164),   // 3: a half where the log stood
            ShowsSlot(kPlayerSlot, 0, 64, 32, 32, 130, 154),    // 4: left half, one step out
            ShowsSlot(kPlayerSlot, 32, 64, 32, 32, 170, 154),   // 5: right half, one step out
            ShowsSlot(kPlayerSlot, 128, 24, 64, 72, 150, 124),  // 6: ready, below the result banner
            ShowsSlot(kPlayerSlot, 192, 24, 64, 72, 150, 124),  // 7: chopping, below the banner
        };
        for (int i = 0; i < 8; i++)
            if (shown[i]) showing.push_back(f * 10 + i);
        if (f == Play(1)) overlay[-1] = {DigitsOnScreen(kFontSlot, 150, 42, 2)};
        if (f == Play(kPlayFrames))
            overlay[-2] = {DigitsOnScreen(kFontSlot, 150, 42, 2), DigitsOnScreen(kFontSlot, 120, 10, 9)};
        if (f == Res(10)) overlay[-3] = {DigitsOnScreen(kFontSlot, 190, 70, 8)};
        if (f == Res(63)) {
            std::vector<uint8_t> px = ScreenPixels();
            overlay[-4] = {std::to_string(std::count(px.begin(), px.end(), 1))};
        }
        if (f == titleAgain) work = ReadRecord(dir.File("save/work.sav"));
    };
    Result r = RunGame(dir, s);
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(std::count(r.sleeps.begin(), r.sleeps.end(), 16u), r.frames - 1) << "each frame but the first waits";

    // Two start frames, then exactly 3600 play frames; the start state reads no chop.
    for (int f : {Act(1), Act(2)}) EXPECT_EQ(snaps[f][1 + time_left], kPlayFrames);
    EXPECT_EQ(snaps[Play(1)][1 + time_left], kPlayFrames - 1);
    EXPECT_EQ(snaps[Play(2)][1 + pressed], 0);
    EXPECT_EQ(snaps[Play(2)][1 + wait_count], 2);
    EXPECT_EQ(snaps[Play(kPlayFrames - 1)][0], SN_PLAY);
    EXPECT_EQ(snaps[Play(kPlayFrames)][0], SN_RESULT);
    EXPECT_EQ(overlay[-1], Rows{"59"});
    EXPECT_EQ(overlay[-2], (Rows{"00", "000004600"}));
    // The host hears the score once, as the result takes over (drawn in the frame after).
    EXPECT_EQ(r.scoresShown, (std::vector<int>{Play(kPlayFrames) - 1, 4600}));
    // The signals, the points of each chop and the sounds that go with them.
    EXPECT_EQ(numbers, kNumbers);
    std::vector<int> felt;  // each scoring chop reaches the host once, in its own frame
    for (auto [p, points] : kNumbers) felt.push_back(Play(p) - 1);
    EXPECT_EQ(r.chopsFelt, felt);
    std::vector<int> expectedEffects;
    for (int p : kSignals) expectedEffects.push_back(SE_OO * 10000 + p);
    for (auto [p, points] : kNumbers) expectedEffects.push_back((points == 1000 ? SE_KAN : SE_HIT1) * 10000 + p);
    expectedEffects.push_back(SE_TAVI * 10000 + kPlayFrames);
    std::sort(effects.begin(), effects.end());
    std::sort(expectedEffects.begin(), expectedEffects.end());
    EXPECT_EQ(effects, expectedEffects);
    // What is drawn: the start state has the woodcutter but no log.
    EXPECT_TRUE(Logged(showing, Act(1) * 10 + 0));
    EXPECT_FALSE(Logged(showing, Act(1) * 10 + 2));
    EXPECT_TRUE(Logged(showing, Play(1156) * 10 + 2)) << "the log stands while the signal is open";
    EXPECT_FALSE(Logged(showing, Play(1159) * 10 + 2)) << "and goes with the push";
    EXPECT_TRUE(Logged(showing, Play(121) * 10 + 3));
    EXPECT_TRUE(Logged(showing, Play(122) * 10 + 4) && Logged(showing, Play(122) * 10 + 5));
    EXPECT_TRUE(Logged(showing, Play(920) * 10 + 1) && !Logged(showing, Play(920) * 10 + 0));
    EXPECT_TRUE(Logged(showing, Play(950) * 10 + 0) && !Logged(showing, Play(950) * 10 + 1));
    EXPECT_TRUE(Logged(showing, Res(10) * 10 + 7) && !Logged(showing, Res(10) * 10 + 6))
        << "the chopping pose stays in the result";
    // The first number rises ever faster and goes after 100 frames, the halves after 60.
    ASSERT_EQ(numberY.size(), 105u);
    for (int i = 0; i < 10; i++) EXPECT_EQ(numberY[i], 164) << i;
    EXPECT_EQ(numberY[10], 163);
    EXPECT_EQ(numberY[98], 164 - 441);
    EXPECT_EQ(std::count(numberLive.begin(), numberLive.end(), 1), 99);
    EXPECT_EQ(numberLive[98] - numberLive[99], 1);
    EXPECT_EQ(std::count(pieceLive.begin(), pieceLive.end(), 2), 59);
    EXPECT_EQ(pieceLive[58] - pieceLive[59], 2);
    // The overlay follows play and stands still in the result.
    EXPECT_EQ(overlay[Play(130)],
              (Rows{"00000009", "00000000", "00000001", "00000020", "00000000", "00032768", "00032768"}));
    const Rows end = {"00000010", "00000000", "00000001", "00000019", "00000000", "00032768", "00032768"};
    EXPECT_EQ(overlay[Play(kPlayFrames)], end);
    EXPECT_EQ(overlay[Res(50)], end);
    // The result: the total, OK only from its 61st frame, then a black frame and the title.
    EXPECT_EQ(overlay[-3], Rows{"00004600"});
    EXPECT_EQ(snaps[Res(61)][0], SN_RESULT);
    EXPECT_EQ(snaps[Res(62)][0], SN_LEAVE);
    EXPECT_EQ(overlay[-4], Rows{std::to_string(320 * 240)});
    // The game's work record; a score above the best is no new best.
    std::vector<int32_t> expectedWork(1024, 0);
    expectedWork[4] = 19;  // the leave frame clears the first two counters
    EXPECT_EQ(work, expectedWork);
    std::vector<int32_t> config = ReadRecord(dir.File("save/config"));
    EXPECT_EQ(config[GF_STAGE_BEST + 1], 99);
    EXPECT_EQ(FileSize(dir.File("replay/0/replay_data_j0.dat")), -1);
    // The second game started from nothing and was quit in its 35th play frame.
    const int second = titleAgain + 3;
    EXPECT_EQ(snaps[second][1 + score], 0);
    EXPECT_EQ(snaps[second][1 + time_left], kPlayFrames);
    work = ReadRecord(dir.File("save/work.sav"));
    const std::vector<int>& last = snaps[r.frames];
    EXPECT_EQ(r.frames, titleAgain + 39);
    EXPECT_EQ((std::vector<int32_t>{work[0], work[1], work[4], work[5]}),
              (std::vector<int32_t>{last[1 + wait_count], last[1 + signal_count], last[1 + swing_count],
                                    last[1 + time_left]}));
    EXPECT_EQ(work[5], kPlayFrames - 35);
    EXPECT_EQ(ReadRecord(dir.File("save/item_wk.sav")), std::vector<int32_t>(1024, 0));
    EXPECT_EQ(config[GF_NEW_GAME], 0);
    EXPECT_EQ(config[GF_STAGE_DONE], 0);
}

// A lower score is better: it becomes the best and its replay is kept.
TEST(Game, BestScoreAndReplay) {
    struct Case {
        int32_t storedBest;
        int leaveKey;  // pushed in the result's 61st frame
        int32_t best;
        bool replay;
    };
    const Case cases[] = {
        {99, KB_Z, 90, true},
        {90, KB_Z, 90, false},      // equal is not better
        {99, KB_ESCAPE, 99, false}  // quitting the result keeps neither
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.storedBest);
        GameDir dir;
        StoreConfig(dir, [&] { gameflag[GF_STAGE_BEST + 1] = c.storedBest; });
        std::filesystem::remove_all(dir.File("replay"));  // made again when needed
        Script s;
        // 90 points; the signal of play frame 3560 is still open when time runs out.
        s.NewGame().Push(Play(172), KB_Z).Push(Res(61), c.leaveKey);
        s.Push(kTitleAgain + 2, KB_ESCAPE);
        bool logInResult = false, overlay = true, panel = false;
        s.onPresent = [&](int f) {
            if (f == Act(1)) panel = ShowsSlot(kPlayerSlot, 0, 160, 96, 32, 0, 0);
            if (f == Play(100)) panel = !panel && ShowsSlot(kPlayerSlot, 0, 160, 96, 32, 0, 0);
            if (f != Res(10)) return;
            logInResult = ShowsSlot(kPlayerSlot, 0, 32, 32, 32, 150, 164);
            overlay = Overlay()[0].find('?') == std::string::npos;
        };
        RunGame(dir, s);
        EXPECT_TRUE(logInResult);
        EXPECT_TRUE(panel) << "the score panel shows in play, not in the start state";
        EXPECT_FALSE(overlay) << "no debug.txt, no overlay";
        EXPECT_EQ(ReadRecord(dir.File("save/config"))[GF_STAGE_BEST + 1], c.best);
        std::vector<int32_t> replay = ReadRecord(dir.File("replay/0/replay_data_j0.dat"));
        EXPECT_EQ(replay, c.replay ? std::vector<int32_t>(kReplayInts, 0) : std::vector<int32_t>{});
    }
}

}  // namespace
