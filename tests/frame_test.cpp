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
uint32_t FakeTicks() { return g_now * 1000u; }
void FakeDelay(uint32_t us) {
    g_sleeps.push_back(us / 1000);
    g_now += us / 1000;
}

struct Frame : ::testing::Test {
    void SetUp() override {
        harness::OpenScreen();
        g_seams.clockUs = FakeTicks;
        g_seams.sleepUs = FakeDelay;
        g_sleeps.clear();
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

TEST_F(Frame, WaitSleepsOutTheRestOfSixteenMilliseconds) {
    struct Case {
        uint32_t previous, now;
        std::vector<uint32_t> sleeps;
    };
    const Case cases[] = {
        {1000, 1005, {11}},
        {1000, 1000, {16}},
        {1000, 1015, {1}},
        {1000, 1016, {}},
        {1000, 1200, {}},
        {0xFFFFFFF8u, 2, {6}},            // the tick count wrapped mid-frame
        {0, 0xFFFFFF00u, {}},             // a virtual clock started near the wrap
        {5000, 4000, {}},                 // a clock that went backwards
    };
    for (const Case& c : cases) {
        g_sleeps.clear();
        prvTickCount = c.previous * 1000u;
        g_now = c.now;
        FPSWait();
        EXPECT_EQ(g_sleeps, c.sleeps) << c.previous << " -> " << c.now;
        EXPECT_EQ(prvTickCount, g_now * 1000u) << "the next frame counts from after the sleep";
    }
}

TEST_F(Frame, PlayTimeCountsSixtyFramesToTheSecondAndHoldsAt999Hours) {
    struct Case {
        int32_t frames, seconds, minutes, hours;
        int steps;
        int32_t after[4];
    };
    const Case cases[] = {
        {0, 0, 0, 0, 60, {0, 1, 0, 0}},
        {59, 59, 59, 0, 1, {0, 0, 0, 1}},
        {59, 59, 59, 999, 1, {0, 0, 0, 999}},
        {59, 59, 59, 999, 61, {0, 1, 0, 999}},
        {2147483647, 0, 0, 0, 1, {0, 1, 0, 0}},  // a corrupt counter rolls over instead of overflowing
    };
    for (const Case& c : cases) {
        gameflag[GF_PLAY_FRAMES] = c.frames;
        gameflag[GF_PLAY_SECONDS] = c.seconds;
        gameflag[GF_PLAY_MINUTES] = c.minutes;
        gameflag[GF_PLAY_HOURS] = c.hours;
        for (int i = 0; i < c.steps; i++) FPSWait();
        EXPECT_EQ(gameflag[GF_PLAY_FRAMES], c.after[0]);
        EXPECT_EQ(gameflag[GF_PLAY_SECONDS], c.after[1]);
        EXPECT_EQ(gameflag[GF_PLAY_MINUTES], c.after[2]);
        EXPECT_EQ(gameflag[GF_PLAY_HOURS], c.after[3]);
    }
}

TEST_F(Frame, VolumeButtonsStepByTenWithinTheMixerRange) {
    struct Case {
        int32_t volume;
        bool up, down;
        int32_t stored, applied;
    };
    const Case cases[] = {
        {100, true, false, 110, 110}, {125, true, false, 128, 128}, {5, false, true, 0, 0},
        {128, true, true, 118, 118},  {0, true, true, 0, 0},        {2147483647, true, false, 128, 128},
        {-2147483647 - 1, false, true, 0, 0}, {300, false, true, 290, 128},
    };
    for (const Case& c : cases) {
        gameflag[GF_VOLUME] = c.volume;
        key_eventPush[kKeyVolumeUp] = c.up;
        key_eventPush[kKeyVolumeDown] = c.down;
        EXPECT_EQ(system_keys(), 1);
        EXPECT_EQ(gameflag[GF_VOLUME], c.stored) << c.volume;
        EXPECT_EQ(play_sevol, c.applied) << c.volume;
        EXPECT_EQ(play_bgmvol, c.applied) << c.volume;
    }
}

TEST_F(Frame, QuitByWindowCloseStaysSeenAndEscapeOnlyWhileHeld) {
    g_scene = SCENE_TITLE;
    EXPECT_EQ(system_keys(), 1);
    key_eventPress[kKeyQuit] = 1;
    EXPECT_EQ(system_keys(), 0);
    EXPECT_EQ(g_scene, SCENE_END);

    g_scene = SCENE_TITLE;
    key_eventPress[kKeyQuit] = 0;
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    FPSWait();
    EXPECT_EQ(system_keys(), 0);
    g_scene = SCENE_TITLE;
    FPSWait();  // the queue is empty now; the close request is still the last event
    EXPECT_EQ(system_keys(), 0);
}

TEST_F(Frame, QuitAndVolumeInOneFrameBothTakeEffect) {
    gameflag[GF_VOLUME] = 50;
    key_eventPress[kKeyQuit] = 1;
    key_eventPush[kKeyVolumeUp] = 1;
    EXPECT_EQ(system_keys(), 0);
    EXPECT_EQ(gameflag[GF_VOLUME], 60);
}

uint8_t Pattern(int x, int y) { return static_cast<uint8_t>(2 + (x * 7 + y * 13) % 250); }

void PaintPattern() {
    for (int y = 0; y < kScreenHeight; y++)
        for (int x = 0; x < kScreenWidth; x++) static_cast<uint8_t*>(g_screen->pixels)[y * g_screen->pitch + x] = Pattern(x, y);
}

TEST_F(Frame, MagnificationShowsTheTopLeftBlownUp) {
    for (int zoom : {0, 1, 2, 4, kMaxZoom + 1, -3}) {
        gameflag[GF_ZOOM] = zoom;
        PaintPattern();
        halt();
        int z = zoom > 1 && zoom <= kMaxZoom ? zoom : 1;
        for (int y = 0; y < kScreenHeight; y += 7)
            for (int x = 0; x < kScreenWidth; x += 5)
                ASSERT_EQ(harness::ScreenPixel(x, y), Pattern(x / z, y / z)) << "zoom " << zoom << " at " << x << "," << y;
    }
    EXPECT_EQ(gameflag[GF_ZOOM], -3) << "the record keeps what it loaded";
}

}  // namespace
