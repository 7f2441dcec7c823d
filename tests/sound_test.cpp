// The sound bank on the real mixer (dummy audio driver).
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "platform/frame.h"
#include "sound/sound.h"

namespace {

const std::string kSound = std::string(GAME_DIR) + "/sound/";
const char* const kEffects[] = {"tavi", "hit1", "kan", "oo", "msg", "select", "sw", "jump", "puwa"};

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
    void LoadEffects(const std::string& skip = "") {
        for (int i = 0; i < SE_COUNT; i++)
            soundLoadBufferSE(i, (kEffects[i] == skip ? std::string("missing") : kSound + "se/" + kEffects[i] + ".wav").c_str());
    }
    static std::vector<int> Channels() { return std::vector<int>(chunkChannel, chunkChannel + kEffectChannels); }
};

TEST_F(Bank, OpensTheDeviceAndLoadsEveryFile) {
    ASSERT_EQ(sound_use, 1);
    LoadEffects();
    for (int i = 1; i <= kMusicPieces; i++) soundLoadBuffer(i - 1, (kSound + "bgm/0" + std::to_string(i) + ".ogg").c_str(), -1);
    EXPECT_EQ(sound_use, 1);
    for (int i = 0; i < kMusicPieces; i++) EXPECT_TRUE(soundHasMusic(i)) << i;
    for (int i = 0; i < SE_COUNT; i++) EXPECT_TRUE(soundHasEffect(i)) << kEffects[i];
    int frequency = 0, channels = 0;
    Uint16 format = 0;
    ASSERT_EQ(Mix_QuerySpec(&frequency, &format, &channels), 1);
    EXPECT_EQ(frequency, 44100);
    EXPECT_EQ(format, AUDIO_S16LSB);
    EXPECT_EQ(channels, 2);
    EXPECT_EQ(Mix_AllocateChannels(-1), kEffectChannels);
}

TEST_F(Bank, EachEffectKeepsOneChannelAndRestartsThere) {
    LoadEffects();
    const int none = -1;
    struct Step {
        int effect;
        std::vector<int> channels;
    };
    const Step steps[] = {
        {3, {3, none, none, none, none, none, none, none}},
        {3, {3, none, none, none, none, none, none, none}},
        {1, {3, 1, none, none, none, none, none, none}},
        {2, {3, 1, 2, none, none, none, none, none}},
        {3, {3, 1, 2, none, none, none, none, none}},
        {1, {3, 1, 2, none, none, none, none, none}},
        {-1, {3, 1, 2, none, none, none, none, none}},   // ids outside the table do nothing
        {32, {3, 1, 2, none, none, none, none, none}},
        {9, {3, 1, 2, none, none, none, none, none}},     // nor does an empty slot
    };
    for (const Step& s : steps) {
        soundPlaySe(s.effect);
        EXPECT_EQ(Channels(), s.channels) << "after effect " << s.effect;
        if (s.effect >= 0 && s.effect < SE_COUNT) {
            int ch = std::find(chunkChannel, chunkChannel + kEffectChannels, s.effect) - chunkChannel;
            EXPECT_TRUE(Mix_Playing(ch)) << "effect " << s.effect << " sounds on channel " << ch;
        }
    }
}

TEST_F(Bank, ReplayOnTheLowestFreeChannel) {
    LoadEffects();
    soundPlaySe(1);
    soundPlaySe(2);
    EXPECT_EQ(Channels()[0], 1);
    EXPECT_EQ(Channels()[1], 2);
    soundPlaySe(1);  // frees channel 0 and takes it again
    EXPECT_EQ(Channels()[0], 1);
    EXPECT_EQ(Channels()[1], 2);
    soundStopSeAll();
    EXPECT_EQ(Channels(), std::vector<int>(kEffectChannels, -1));
    for (int e = 0; e < SE_COUNT; e++) soundPlaySe(e);  // nine effects, eight channels
    EXPECT_EQ(Channels(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
}

TEST_F(Bank, OneMissingEffectSilencesEverything) {
    soundLoadBuffer(1, (kSound + "bgm/02.ogg").c_str(), -1);
    LoadEffects("puwa");
    EXPECT_EQ(sound_use, 0);
    soundPlaySe(3);
    soundPlayBgm(1);
    EXPECT_EQ(Channels(), std::vector<int>(kEffectChannels, -1));
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    soundStopBgm(1);
    soundStopSe(3);
    soundStopSeAll();
}

TEST_F(Bank, MissingMusicLeavesOnlyItsSlotEmpty) {
    LoadEffects();
    soundLoadBuffer(0, "sound/bgm/none.ogg", -1);
    soundLoadBuffer(1, (kSound + "bgm/02.ogg").c_str(), -1);
    EXPECT_EQ(sound_use, 1);
    EXPECT_FALSE(soundHasMusic(0));
    soundPlayBgm(0);
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    soundPlayBgm(1);
    EXPECT_EQ(Mix_PlayingMusic(), 1);
    soundStopBgm(0);
    EXPECT_EQ(Mix_PlayingMusic(), 1) << "an empty slot cannot stop the music";
    soundStopBgm(1);
    EXPECT_EQ(Mix_PlayingMusic(), 0);
}

TEST_F(Bank, StopHaltsWhateverMusicPlays) {
    LoadEffects();
    soundLoadBuffer(0, (kSound + "bgm/01.ogg").c_str(), -1);
    soundLoadBuffer(1, (kSound + "bgm/02.ogg").c_str(), -1);
    soundPlayBgm(1);
    soundStopBgm(0);
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    soundPlayBgm(-1);
    soundPlayBgm(40);
    EXPECT_EQ(Mix_PlayingMusic(), 0);
}

TEST_F(Bank, AFullMusicSlotKeepsItsFirstPiece) {
    soundLoadBuffer(2, (kSound + "bgm/03.ogg").c_str(), -1);
    soundLoadBuffer(2, "sound/bgm/none.ogg", -1);
    EXPECT_TRUE(soundHasMusic(2));
}

TEST_F(Bank, VolumeReachesEffectsAndMusic) {
    LoadEffects();
    soundLoadBuffer(1, (kSound + "bgm/02.ogg").c_str(), -1);
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

TEST(NoDevice, ABankThatCannotOpenStaysSilentAndSafe) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    SDL_Init(0);
    soundInitBuffer();
    EXPECT_EQ(sound_use, 0);
    soundLoadBuffer(1, (kSound + "bgm/02.ogg").c_str(), -1);
    soundLoadBufferSE(3, (kSound + "se/oo.wav").c_str());
    soundPlayBgm(1);
    soundPlaySe(3);
    EXPECT_EQ(std::vector<int>(chunkChannel, chunkChannel + kEffectChannels), std::vector<int>(kEffectChannels, -1));
    Set_Volume(77);
    soundStopBgm(1);
    soundStopSeAll();
    soundRelease();
    SDL_Quit();
}

}  // namespace
