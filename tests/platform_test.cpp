// The platform layer on its own: frame pacing and system keys, input slots,
// drawing into slots, and the sound bank on the real mixer (dummy drivers).
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <fstream>
#include <set>

#include "app/app.h"
#include "harness/harness.h"
#include "platform/frame.h"
#include "platform/host.h"
#include "platform/input.h"
#include "platform/records.h"
#include "platform/surfaces.h"
#include "scenes/scenes.h"
#include "sound/sound.h"

using harness::ScreenPixel;

namespace {

uint32_t g_now;                  // microseconds
std::vector<uint32_t> g_sleeps;  // microseconds
int g_axes[2], g_buttons[kPadButtons];
bool g_pad;

struct Platform : ::testing::Test {
    virtual const HostPictures& Pictures() { return kSdlPictures; }
    void SetUp() override {
        g_host = harness::TestHost();
        g_host.pictures = Pictures();
        harness::OpenScreen();
        g_host.clockUs = [] { return g_now; };
        g_host.sleepUs = [](uint32_t us) { g_sleeps.push_back(us), g_now += us; };
        g_host.readPad = [](int axes[2], int buttons[kPadButtons]) {
            std::copy(g_axes, g_axes + 2, axes);
            std::copy(g_buttons, g_buttons + kPadButtons, buttons);
            return g_pad;
        };
        ResetGameFlag();
        InitFrameTimer();
        KeyInit();
        soundInitBuffer();
        Release();
    }
    void TearDown() override {
        soundRelease();
        closePAD();
        harness::CloseScreen();
        g_host = PlatformHost();
    }
    static void Release() {
        harness::ClearKeys();
        g_pad = false, g_axes[0] = g_axes[1] = 0;
        std::fill(g_buttons, g_buttons + kPadButtons, 0);
    }
    static std::set<int> Held() {
        std::set<int> held;
        for (int s = -1; s <= kKeySlots; s++)
            if (IsPressKey(s)) held.insert(s);
        return held;
    }
    harness::GameDir dir;
};

using Frame = Platform;

TEST_F(Frame, WaitSleepsOutTheRestOfSixteenMillisecondsAcrossTheWrap) {
    // Frames whose work took some microseconds, each counted from where the last
    // one's wait ended: from the clock's start, and from shortly before its wrap.
    const std::pair<int32_t, std::vector<uint32_t>> frames[] = {
        {5000, {11000}}, {0, {16000}}, {15999, {1}},
        {16000, {}},     {200000, {}}, {-1000000, {}}  // a clock that ran backwards
    };
    for (uint32_t start : {0u, 0xFFFFF000u}) {  // the first frame's work crosses the wrap
        prvTickCount = start;
        for (const auto& [work, sleeps] : frames) {
            g_sleeps.clear();
            g_now = prvTickCount + work;
            FPSWait();
            EXPECT_EQ(g_sleeps, sleeps) << "after " << work << " us of work at " << g_now;
            EXPECT_EQ(prvTickCount, g_now) << "the next frame counts from after the sleep";
        }
    }
}

TEST_F(Frame, PlayTimeCountsSixtyFramesToTheSecondAndHoldsAt999Hours) {
    // frames, seconds, minutes, hours: before and after 61 frames
    const std::vector<int32_t> cases[][2] = {{{0, 0, 0, 0}, {1, 1, 0, 0}},
                                             {{59, 59, 58, 0}, {0, 1, 59, 0}},
                                             {{58, 59, 59, 0}, {59, 0, 0, 1}},
                                             {{59, 59, 59, 999}, {0, 1, 0, 999}}};
    for (const auto& c : cases) {
        std::copy(c[0].begin(), c[0].end(), gameflag + GF_PLAY_FRAMES);
        for (int i = 0; i < 61; i++) FPSWait();
        EXPECT_EQ(std::vector<int32_t>(gameflag + GF_PLAY_FRAMES, gameflag + GF_PLAY_HOURS + 1), c[1]);
    }
}

TEST_F(Frame, VolumeStepsByTenWithinTheMixerRangeAlongsideQuit) {
    // volume, up, down, quit; then stored, applied
    const int cases[][6] = {{100, 1, 0, 0, 110, 110}, {125, 1, 0, 0, 128, 128}, {5, 0, 1, 0, 0, 0},
                            {128, 1, 1, 0, 118, 118}, {0, 1, 1, 1, 0, 0},       {50, 1, 0, 1, 60, 60},
                            {300, 0, 1, 0, 290, 128}};
    for (const auto& c : cases) {
        g_scene = SCENE_TITLE;
        gameflag[GF_VOLUME] = c[0];
        key_eventPush[kKeyVolumeUp] = c[1], key_eventPush[kKeyVolumeDown] = c[2], key_eventPress[kKeyQuit] = c[3];
        EXPECT_EQ(system_keys(), 1 - c[3]);
        EXPECT_EQ(g_scene, c[3] ? SCENE_END : SCENE_TITLE);
        EXPECT_EQ((std::vector<int>{gameflag[GF_VOLUME], play_sevol, play_bgmvol}),
                  (std::vector<int>{c[4], c[5], c[5]}))
            << c[0];
    }
    harness::SendWindowEvent(WE_QUIT);
    for (int frame = 0; frame < 2; frame++) {  // the close stays the last event when the queue is empty
        FPSWait();
        EXPECT_EQ(system_keys(), 0);
    }
}

using Input = Platform;

TEST_F(Input, EachSourceFeedsItsSlotAndPushesOnlyOnItsFirstSample) {
    const int U = -1;  // none
    // key, joystick button, axis, value; then the slots held
    // clang-format off
    const int sources[][5] = {
        {KB_UP, U, U, 0, 0},        {KB_KP8, U, U, 0, 0},       {KB_LEFT, U, U, 0, 2},      {KB_KP4, U, U, 0, 2},
        {KB_DOWN, U, U, 0, 4},      {KB_KP2, U, U, 0, 4},       {KB_RIGHT, U, U, 0, 6},     {KB_KP6, U, U, 0, 6},
        {KB_Z, U, U, 0, 12},        {KB_SPACE, U, U, 0, 12},    {KB_RETURN, U, U, 0, 12},   {KB_KP_ENTER, U, U, 0, 12},
        {KB_C, U, U, 0, 14},        {KB_X, U, U, 0, 15},        {KB_ESCAPE, U, U, 0, 19},   {U, 0, U, 0, 12},
        {U, 1, U, 0, 15},           {U, 2, U, 0, 14},           {U, 3, U, 0, 13},           {U, 4, U, 0, 11},
        {U, 5, U, 0, 10},           {U, 6, U, 0, 17},           {U, 7, U, 0, 16},           {U, 8, U, 0, 9},
        {U, 9, U, 0, 8},            {U, U, 0, 16385, 6},        {U, U, 0, 16384, U},        {U, U, 0, -16385, 2},
        {U, U, 0, -16384, U},       {U, U, 1, 16385, 4},        {U, U, 1, 16384, U},        {U, U, 1, -16385, 0},
        {U, U, 1, -16384, U},       {KB_EQUALS, U, U, 0, 16},   {KB_PLUS, U, U, 0, 16},     {KB_KP_PLUS, U, U, 0, 16},
        {KB_MINUS, U, U, 0, 17},    {KB_KP_MINUS, U, U, 0, 17}};
    // clang-format on
    for (const auto& s : sources) {
        Release();
        KeyInput();
        if (s[0] >= 0) harness::SetKey(s[0], true);
        g_pad = s[1] >= 0 || s[2] >= 0;
        if (s[1] >= 0) g_buttons[s[1]] = 1;
        if (s[2] >= 0) g_axes[s[2]] = s[3];
        std::set<int> slots;
        if (s[4] >= 0) slots.insert(s[4]);
        for (int sample = 0; sample < 2; sample++) {
            KeyInput();
            EXPECT_EQ(Held(), slots) << "key " << s[0] << " button " << s[1] << " axis " << s[2];
            for (int slot : slots) EXPECT_EQ(IsPushKey(slot), 1 - sample);
        }
    }
    // Opposite directions are held together; a second source for a held slot is no new push.
    Release();
    for (int k : {KB_UP, KB_DOWN, KB_LEFT, KB_Z}) harness::SetKey(k, true);
    g_pad = true, g_axes[0] = 20000;
    KeyInput();
    g_buttons[0] = 1;
    KeyInput();
    EXPECT_EQ(Held(), (std::set<int>{0, 2, 4, 6, 12}));
    EXPECT_EQ(IsPushOKKey(), 0);
    g_host.readPad = [](int*, int*) { return false; };  // without a joystick only the keyboard counts
    KeyInput();
    EXPECT_EQ(Held(), (std::set<int>{0, 2, 4, 12}));
    for (int slot : {INT_MIN, -1, 20, INT_MAX}) EXPECT_EQ(IsPressKey(slot) + IsPushKey(slot), 0);
}

// The desktop's pictures and the browser's, which is plain C++ and runs here too.
struct Drawing : Platform, ::testing::WithParamInterface<const HostPictures*> {
    const HostPictures& Pictures() override { return *GetParam(); }
    void SetUp() override {
        Platform::SetUp();
        // Digit d is painted in index 10 + d, with a see-through column between glyphs.
        harness::MakeBmp(dir.File("font.bmp"), 100, 8, [](int x, int) { return x % 10 == 9 ? 0 : 10 + x / 10; });
        // Every pixel of the block its own index, so a clip that takes the wrong corner shows.
        harness::MakeBmp(dir.File("block.bmp"), 8, 8, [](int x, int y) { return 70 + x + 8 * y; });
        ASSERT_EQ(LoadBitmap(dir.File("font.bmp").c_str(), kFont, 1), 0);
        ClearSecondary();
    }
    static std::string DigitsAt(int x, int y, int count) {
        std::string digits;
        for (int i = 0; i < count; i++) {
            int p = ScreenPixel(x + 10 * i, y);
            digits += p >= 10 && p < 20 ? static_cast<char>('0' + p - 10) : '.';
        }
        return digits;
    }
    static constexpr int kFont = 18;
};

TEST_P(Drawing, NumbersAreZeroPaddedFieldsOfTheirLowestDigits) {
    struct Case {
        int value, digits;
        bool second;        // the field that starts digits - 2 glyphs to the right
        const char* shown;  // twelve glyph places from x = 0
    };
    const Case cases[] = {
        {7, 3, false, "007........."},        {-42, 2, false, "42.........."}, {12345, 3, false, "345........."},
        {5, 0, false, "............"},        {-7, -3, false, "............"}, {2147483647, 6, false, "483647......"},
        {INT_MIN, 12, false, "002147483648"}, {5, 2, true, "05.........."},    {5, 4, true, "..0005......"},
        {1, 1000000, false, "000000000000"}  // runs off screen without harm
    };
    for (const Case& c : cases) {
        ClearSecondary();
        (c.second ? BltNumericImage2 : BltNumericImage)(c.value, c.digits, 0, 100, kFont, 0, 0, 10, 8);
        EXPECT_EQ(DigitsAt(0, 100, 12), c.shown) << c.value << " in " << c.digits;
    }
}

TEST_P(Drawing, BlitsClipAndEmptySlotsDrawNothing) {
    ASSERT_EQ(LoadBitmap(dir.File("block.bmp").c_str(), 6, 1), 0);
    EXPECT_EQ(Blt(6, -4, -4), 0);
    BltRect(6, 316, 236, 2, 2, 5, 3);  // destination first, then the source corner
    EXPECT_EQ((std::vector<int>{ScreenPixel(3, 3), ScreenPixel(4, 4), ScreenPixel(319, 238), ScreenPixel(319, 239)}),
              (std::vector<int>{70 + 7 + 56, 1, 70 + 5 + 32, 1}));
    EXPECT_EQ(LoadBitmap("missing.bmp", 6, 1), -1);
    EXPECT_EQ(bitmap[6], nullptr) << "the old picture is gone";
    ClearSecondary();
    EXPECT_EQ(Blt(6, 0, 0) + Blt(200, 0, 0) + LoadBitmap(dir.File("block.bmp").c_str(), -1, 1), -3);
    BltRect(6, 0, 0, 0, 0, 8, 8);
    std::vector<uint8_t> screen = harness::ScreenPixels();
    EXPECT_EQ(std::count(screen.begin(), screen.end(), 1), 320 * 240) << "cleared to the entry nearest black";
}

TEST_P(Drawing, AMalformedPictureIsAMissingOne) {
    std::ifstream in(dir.File("block.bmp"), std::ios::binary);
    const std::string good{std::istreambuf_iterator<char>(in), {}};
    // A header field at an offset (0: none) given a value, and the bytes kept (0: all, -1: all but one).
    const std::tuple<const char*, int, uint32_t, int> cases[] = {
        {"the file as it is", 0, 0, 0},
        {"shorter than its headers", 0, 0, 53},
        {"a row short", 0, 0, -1},
        {"palette offset wraps to before the file", 14, 0xfffffc00, 0},
        {"palette offset wraps to its start", 14, 0xfffffff2, 0},
        {"a height that has no positive", 22, 0x80000000, 0}};
    for (auto [what, at, value, kept] : cases) {
        // A crafted header is the browser decoder's to refuse; on the desktop
        // SDL's loader decides, and the classic library takes some of them.
        if (at && GetParam() != &kPagePictures) continue;
        std::string bytes = good.substr(0, kept > 0 ? kept : good.size() + kept);
        for (int b = 0; at && b < 4; b++) bytes[at + b] = static_cast<char>(value >> 8 * b);
        std::ofstream(dir.File("bad.bmp"), std::ios::binary) << bytes;
        EXPECT_EQ(LoadBitmap(dir.File("bad.bmp").c_str(), 6, 1), at || kept ? -1 : 0) << what;
    }
}

TEST_P(Drawing, ColourKeyIsFoundThroughTheDisplayPalette) {
    // The picture's palette is the display's moved by five: its entry 0 is
    // the display's entry 5, so its pixels of index 5 are the see-through ones.
    harness::MakeBmp(
        dir.File("keyed.bmp"), 3, 1,
        [](int x, int) {
            return std::array{20, 5, 50}[x];  // no 0: the key is not raw index 0
        },
        5);
    ASSERT_EQ(LoadBitmap(dir.File("keyed.bmp").c_str(), 4, 1), 0);
    ASSERT_EQ(LoadBitmap(dir.File("keyed.bmp").c_str(), 5, 0), 0);
    Blt(4, 0, 0);
    Blt(5, 0, 1);
    EXPECT_EQ((std::vector<int>{ScreenPixel(0, 0), ScreenPixel(1, 0), ScreenPixel(2, 0)}),
              (std::vector<int>{25, 1, 55}));
    EXPECT_EQ((std::vector<int>{ScreenPixel(0, 1), ScreenPixel(1, 1), ScreenPixel(2, 1)}),
              (std::vector<int>{25, 10, 55}));
}

TEST_P(Drawing, MagnificationShowsTheTopLeftBlownUp) {
    auto pattern = [](int x, int y) { return static_cast<uint8_t>(2 + (x * 7 + y * 13) % 250); };
    for (auto [zoom, z] : {std::pair{0, 1}, {1, 1}, {2, 2}, {4, 4}, {8, 8}, {9, 1}, {-3, 1}}) {
        gameflag[GF_ZOOM] = zoom;
        for (int y = 0; y < kScreenHeight; y++)
            for (int x = 0; x < kScreenWidth; x++)
                static_cast<uint8_t*>(g_screen->pixels)[y * g_screen->pitch + x] = pattern(x, y);
        halt();
        for (int y = 0; y < kScreenHeight; y += 7)
            for (int x = 0; x < kScreenWidth; x += 5)
                ASSERT_EQ(ScreenPixel(x, y), pattern(x / z, y / z)) << "zoom " << zoom << " at " << x << "," << y;
    }
}

INSTANTIATE_TEST_SUITE_P(OnEveryPlatform, Drawing, ::testing::Values(&kSdlPictures, &kPagePictures),
                         [](const auto& info) { return info.param == &kSdlPictures ? "Desktop" : "Browser"; });

const std::string kSound = std::string(GAME_DIR) + "/sound/";

struct Bank : Platform {
    void Load() {
        for (int i = 0; i < SE_COUNT; i++)
            soundLoadBufferSE(i, (std::string(GAME_DIR) + "/" + kEffectFiles[i]).c_str());
        for (int i = 0; i < 3; i++) soundLoadBuffer(i, (std::string(GAME_DIR) + "/" + kMusicFiles[i]).c_str(), -1);
    }
    static std::vector<int> Channels() { return std::vector<int>(chunkChannel, chunkChannel + kEffectChannels); }
};

TEST_F(Bank, EachEffectKeepsOneChannelAndIdsOutsideTheTableDoNothing) {
    Load();
    ASSERT_EQ(sound_use, 1);
    soundPlaySe(SE_KAN);
    EXPECT_EQ(Mix_Playing(0), 1) << "the effect sounds on the channel it took";
    soundStopSeAll();
    int frequency = 0, channels = 0;
    Uint16 format = 0;
    Mix_QuerySpec(&frequency, &format, &channels);
    EXPECT_EQ((std::vector<int>{frequency, format, channels, Mix_AllocateChannels(-1)}),
              (std::vector<int>{44100, AUDIO_S16LSB, 2, kEffectChannels}));
    // effect played, then the channel table
    const std::pair<int, std::vector<int>> steps[] = {
        {3, {3, -1, -1, -1, -1, -1, -1, -1}},     {3, {3, -1, -1, -1, -1, -1, -1, -1}},
        {1, {3, 1, -1, -1, -1, -1, -1, -1}},      {2, {3, 1, 2, -1, -1, -1, -1, -1}},
        {1, {3, 1, 2, -1, -1, -1, -1, -1}},       {-1, {3, 1, 2, -1, -1, -1, -1, -1}},
        {32, {3, 1, 2, -1, -1, -1, -1, -1}},      {INT_MAX, {3, 1, 2, -1, -1, -1, -1, -1}},
        {INT_MIN, {3, 1, 2, -1, -1, -1, -1, -1}}, {9, {3, 1, 2, -1, -1, -1, -1, -1}}  // nor does an empty slot
    };
    for (const auto& [effect, table] : steps) {
        soundPlaySe(effect);
        soundPlayBgm(effect);  // the same ids as music slots, also out of range
        soundStopBgm(effect);
        soundLoadBuffer(effect, (kSound + "bgm/04.ogg").c_str(), -1);
        EXPECT_EQ(Channels(), table) << "after effect " << effect;
    }
    soundStopSeAll();
    EXPECT_EQ(Channels(), std::vector<int>(kEffectChannels, -1));
    for (int e = 0; e < SE_COUNT; e++) soundPlaySe(e);  // nine effects, eight channels
    EXPECT_EQ(Channels(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    soundRelease();  // then every call is safe, and nothing plays or stops
    soundStopSe(2);
    soundPlaySe(2);
    EXPECT_EQ(Channels(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    soundStopSeAll();
    EXPECT_EQ(Channels(), std::vector<int>(kEffectChannels, -1));
}

TEST_F(Bank, MusicSlotsVolumeAndAMissingEffectThatSilencesAll) {
    Load();
    soundLoadBuffer(3, "none.ogg", -1);
    soundLoadBuffer(2, "none.ogg", -1);
    EXPECT_EQ((std::vector<bool>{soundHasMusic(2), soundHasMusic(3)}), (std::vector<bool>{true, false}));
    // A piece that exists but cannot be decoded leaves its slot empty too.
    harness::WriteBytes(dir.File("garbage.ogg"), std::vector<unsigned char>(4096, 0x5a));
    soundLoadBuffer(4, dir.File("garbage.ogg").c_str(), -1);
    EXPECT_FALSE(soundHasMusic(4));
    // So does one taken while on its way that never comes, with a mixer that
    // stops the music before it starts a slot, as the browser's does.
    g_host.mixer.loadMusic = [](int, const char*) { return 1; };
    g_host.mixer.playMusic = [](int slot, int loops) { Mix_HaltMusic(), kSdlMixer.playMusic(slot, loops); };
    soundLoadBuffer(5, "coming.ogg", -1);
    soundPlayBgm(1);
    for (int slot : {3, 4, 5}) soundStopBgm(slot);
    soundPlayBgm(5);
    EXPECT_EQ((std::vector<int>{soundHasMusic(5), Mix_PlayingMusic()}), (std::vector<int>{0, 1}))
        << "an empty slot neither stops the music nor starts";
    for (int v : {0, 64, 128, 40}) {
        Set_Volume(v);
        EXPECT_EQ((std::vector<int>{play_sevol, Mix_VolumeMusic(-1)}), (std::vector<int>{v, v}));
    }
    soundStopBgm(0);
    EXPECT_EQ(Mix_PlayingMusic(), 0) << "any slot with music stops whatever plays";
    soundPlayBgm(2);
    EXPECT_EQ(Mix_VolumeMusic(-1), 40) << "music started later";
    soundLoadBufferSE(SE_PUWA, "none.wav");  // sound is off from here: nothing starts or stops
    soundPlaySe(3);
    soundStopBgm(0);
    EXPECT_EQ((std::vector<int>{sound_use, Mix_PlayingMusic()}), (std::vector<int>{0, 1}));
    EXPECT_EQ(Channels(), std::vector<int>(kEffectChannels, -1));
}

}  // namespace
