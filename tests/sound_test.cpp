// The sound bank on the real mixer (dummy audio driver).
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "platform/frame.h"
#include "sound/sound.h"

namespace {

const std::string kSound = std::string(GAME_DIR) + "/sound/";
const char* const kEffects[] = {"tavi", "hit1", "kan", "oo", "msg", "select", "sw", "jump", "puwa"};
constexpr int none = -1;

struct Bank : ::testing::Test {
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        SDL_Init(0);
        soundInitBuffer();
    }
    void TearDown() override {
        soundStopSeAll();
        soundRelease();
        SDL_Quit();
    }
    void Load(const std::string& skip = "") {
        for (int i = 0; i < SE_COUNT; i++)
            soundLoadBufferSE(i, (kEffects[i] == skip ? std::string("missing") : kSound + "se/" + kEffects[i] + ".wav").c_str());
        for (int i = 0; i < 3; i++) soundLoadBuffer(i, (kSound + "bgm/0" + std::to_string(i + 1) + ".ogg").c_str(), -1);
    }
    static std::vector<int> Channels() { return std::vector<int>(chunkChannel, chunkChannel + kEffectChannels); }
};

TEST_F(Bank, OpensTheDeviceAndLoadsEveryFile) {
    Load();
    EXPECT_EQ(sound_use, 1);
    for (int i = 0; i < SE_COUNT; i++) EXPECT_TRUE(soundHasEffect(i)) << kEffects[i];
    int frequency = 0, channels = 0;
    Uint16 format = 0;
    ASSERT_EQ(Mix_QuerySpec(&frequency, &format, &channels), 1);
    EXPECT_EQ((std::vector<int>{frequency, format, channels, Mix_AllocateChannels(-1)}),
              (std::vector<int>{44100, AUDIO_S16LSB, 2, kEffectChannels}));
}

TEST_F(Bank, EachEffectKeepsOneChannelAndIdsOutsideTheTableDoNothing) {
    Load();
    const std::pair<int, std::vector<int>> steps[] = {
        {3, {3, none, none, none, none, none, none, none}},
        {3, {3, none, none, none, none, none, none, none}},
        {1, {3, 1, none, none, none, none, none, none}},
        {2, {3, 1, 2, none, none, none, none, none}},
        {3, {3, 1, 2, none, none, none, none, none}},
        {-1, {3, 1, 2, none, none, none, none, none}},
        {32, {3, 1, 2, none, none, none, none, none}},
        {INT_MAX, {3, 1, 2, none, none, none, none, none}},
        {INT_MIN, {3, 1, 2, none, none, none, none, none}},
        {9, {3, 1, 2, none, none, none, none, none}},  // nor does an empty slot
    };
    for (const auto& [effect, channels] : steps) {
        soundPlaySe(effect);
        soundPlayBgm(effect);
        soundStopBgm(effect);
        soundLoadBuffer(effect, (kSound + "bgm/04.ogg").c_str(), -1);
        EXPECT_EQ(Channels(), channels) << "after effect " << effect;
        EXPECT_TRUE(effect < 0 || effect >= SE_COUNT || Mix_Playing(effect == 3 ? 0 : effect));
    }
    soundPlaySe(1);  // frees channel 1 and takes it again
    EXPECT_EQ(Channels()[1], 1);
    soundStopSeAll();
    EXPECT_EQ(Channels(), std::vector<int>(kEffectChannels, none));
    for (int e = 0; e < SE_COUNT; e++) soundPlaySe(e);  // nine effects, eight channels
    EXPECT_EQ(Channels(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
}

TEST_F(Bank, OneMissingEffectSilencesEverything) {
    Load("puwa");
    EXPECT_EQ(sound_use, 0);
    soundPlaySe(3);
    soundPlayBgm(1);
    EXPECT_EQ(Channels(), std::vector<int>(kEffectChannels, none));
    EXPECT_EQ(Mix_PlayingMusic(), 0);
}

TEST_F(Bank, MusicSlotsKeepTheirFirstPieceAndStopWhateverPlays) {
    Load();
    soundLoadBuffer(3, "sound/bgm/none.ogg", -1);
    soundLoadBuffer(2, "sound/bgm/none.ogg", -1);
    EXPECT_EQ((std::vector<bool>{soundHasMusic(2), soundHasMusic(3)}), (std::vector<bool>{true, false}));
    soundPlayBgm(3);
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    soundPlayBgm(1);
    soundStopBgm(3);
    EXPECT_EQ(Mix_PlayingMusic(), 1) << "an empty slot cannot stop the music";
    soundStopBgm(0);
    EXPECT_EQ(Mix_PlayingMusic(), 0);
}

TEST_F(Bank, VolumeReachesEffectsAndMusic) {
    Load();
    soundPlayBgm(1);
    for (int v : {0, 64, 128}) {
        Set_Volume(v);
        EXPECT_EQ(play_sevol, v);
        EXPECT_EQ(Mix_VolumeMusic(-1), v) << "the music now playing";
    }
    Set_Volume(40);
    soundStopBgm(1);
    soundPlayBgm(1);
    EXPECT_EQ(Mix_VolumeMusic(-1), 40) << "music started later";
}

TEST_F(Bank, StopsAreSafeOnceTheMixerIsClosed) {
    Load();
    soundPlaySe(2);
    soundRelease();
    soundStopSeAll();
    soundStopSe(2);
    soundPlaySe(2);
    EXPECT_EQ(Channels(), std::vector<int>(kEffectChannels, none));
}

TEST(NoDevice, ABankThatCannotOpenStaysSilentAndSafe) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    SDL_Init(0);
    soundInitBuffer();
    EXPECT_EQ(sound_use, 0);
    soundLoadBuffer(1, (kSound + "bgm/02.ogg").c_str(), -1);
    soundLoadBufferSE(3, (kSound + "se/oo.wav").c_str());
    soundPlayBgm(1);
    soundPlaySe(3);
    EXPECT_EQ(std::vector<int>(chunkChannel, chunkChannel + kEffectChannels), std::vector<int>(kEffectChannels, none));
    Set_Volume(77);
    soundStopBgm(1);
    soundStopSeAll();
    soundRelease();
    SDL_Quit();
}

}  // namespace
