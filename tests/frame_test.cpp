// The end of every frame: pacing, play time, quit and volume, magnification.
#include <SDL.h>
#include <gtest/gtest.h>

#include "app/app.h"
#include "harness/harness.h"
#include "harness/pictures.h"
#include "platform/frame.h"
#include "platform/input.h"
#include "platform/records.h"
#include "platform/seams.h"
#include "platform/surfaces.h"
#include "sound/sound.h"

namespace {

uint32_t g_now;
std::vector<uint32_t> g_sleeps;
uint32_t FakeTicks() { return g_now; }
void FakeDelay(uint32_t ms) {
    g_sleeps.push_back(ms);
    g_now += ms;
}

struct Frame : ::testing::Test {
    void SetUp() override {
        harness::OpenScreen();
        g_seams.ticks = FakeTicks;
        g_seams.delay = FakeDelay;
        ResetGameFlag();
        InitFrameTimer();
        soundInitBuffer();
        for (int i = 0; i < kKeySlots; i++) key_eventPush[i] = key_eventPress[i] = 0;
    }
    void TearDown() override {
        soundRelease();
        ResetSeams();
        harness::CloseScreen();
    }
};

TEST_F(Frame, WaitSleepsOutTheRestOfSixteenMillisecondsAcrossTheWrap) {
    // Frames whose work took some time, each counted from where the last one's
    // wait ended: from the clock's start, and from shortly before its 49-day wrap.
    const std::pair<int32_t, std::vector<uint32_t>> frames[] = {
        {0, {16}}, {5, {11}}, {15, {1}}, {16, {}}, {200, {}}, {-1000, {}},  // a clock that ran backwards
    };
    for (uint32_t start : {0u, 0xFFFFFFE0u}) {
        prvTickCount = start;
        for (const auto& [work, sleeps] : frames) {
            g_sleeps.clear();
            g_now = prvTickCount + work;
            FPSWait();
            EXPECT_EQ(g_sleeps, sleeps) << "after " << work << " ms of work at " << g_now;
            EXPECT_EQ(prvTickCount, g_now) << "the next frame counts from after the sleep";
        }
    }
}

TEST_F(Frame, PlayTimeCountsSixtyFramesToTheSecondAndHoldsAt999Hours) {
    struct Case {
        int32_t before[4];  // frames, seconds, minutes, hours
        int steps;
        int32_t after[4];
    };
    const Case cases[] = {
        {{0, 0, 0, 0}, 60, {0, 1, 0, 0}},
        {{59, 59, 58, 0}, 1, {0, 0, 59, 0}},
        {{59, 59, 59, 0}, 1, {0, 0, 0, 1}},
        {{59, 59, 59, 999}, 61, {0, 1, 0, 999}},
    };
    for (const Case& c : cases) {
        for (int i = 0; i < 4; i++) gameflag[GF_PLAY_FRAMES + i] = c.before[i];
        for (int i = 0; i < c.steps; i++) FPSWait();
        for (int i = 0; i < 4; i++) EXPECT_EQ(gameflag[GF_PLAY_FRAMES + i], c.after[i]) << i;
    }
}

TEST_F(Frame, VolumeStepsByTenWithinTheMixerRangeAlongsideQuit) {
    struct Case {
        int32_t volume;
        bool up, down, quit;
        int32_t stored, applied;
    };
    const Case cases[] = {
        {100, true, false, false, 110, 110}, {125, true, false, false, 128, 128}, {5, false, true, false, 0, 0},
        {128, true, true, false, 118, 118},  {0, true, true, true, 0, 0},         {50, true, false, true, 60, 60},
        {300, false, true, false, 290, 128},
    };
    for (const Case& c : cases) {
        g_scene = SCENE_TITLE;
        gameflag[GF_VOLUME] = c.volume;
        key_eventPush[kKeyVolumeUp] = c.up;
        key_eventPush[kKeyVolumeDown] = c.down;
        key_eventPress[kKeyQuit] = c.quit;
        EXPECT_EQ(system_keys(), c.quit ? 0 : 1);
        EXPECT_EQ(g_scene, c.quit ? SCENE_END : SCENE_TITLE);
        EXPECT_EQ(gameflag[GF_VOLUME], c.stored) << c.volume;
        EXPECT_EQ(play_sevol, c.applied) << c.volume;
        EXPECT_EQ(play_bgmvol, c.applied) << c.volume;
    }
}

TEST_F(Frame, AWindowCloseStaysTheLastEvent) {
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    for (int frame = 0; frame < 2; frame++) {  // the queue is empty in the second
        g_scene = SCENE_TITLE;
        FPSWait();
        EXPECT_EQ(system_keys(), 0);
        EXPECT_EQ(g_scene, SCENE_END);
    }
}

uint8_t Pattern(int x, int y) { return static_cast<uint8_t>(2 + (x * 7 + y * 13) % 250); }

TEST_F(Frame, MagnificationShowsTheTopLeftBlownUp) {
    for (int zoom : {0, 1, 2, 4, -3}) {
        gameflag[GF_ZOOM] = zoom;
        for (int y = 0; y < kScreenHeight; y++)
            for (int x = 0; x < kScreenWidth; x++)
                static_cast<uint8_t*>(g_screen->pixels)[y * g_screen->pitch + x] = Pattern(x, y);
        halt();
        int z = zoom > 1 ? zoom : 1;
        for (int y = 0; y < kScreenHeight; y += 7)
            for (int x = 0; x < kScreenWidth; x += 5)
                ASSERT_EQ(harness::ScreenPixel(x, y), Pattern(x / z, y / z)) << "zoom " << zoom << " at " << x << "," << y;
    }
}

}  // namespace
