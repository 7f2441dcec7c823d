// The generated pictures and sounds, checked for what a player notices:
// sizes, the shared palette and see-through parts; the length, loudness,
// onset and loop seam of every sound as the mixer plays it.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

const std::string kGame = GAME_DIR;

struct Bmp {
    explicit Bmp(const std::string& file) : s(SDL_LoadBMP((kGame + "/image/" + file).c_str())) {}
    ~Bmp() { SDL_FreeSurface(s); }
    int at(int x, int y) const { return static_cast<const uint8_t*>(s->pixels)[y * s->pitch + x]; }
    SDL_Surface* s;
};

TEST(Pictures, SizePaletteAndSeeThroughParts) {
    const Bmp swatch("color.bmp");
    ASSERT_TRUE(swatch.s && swatch.s->format->palette && swatch.s->format->palette->ncolors == 256);
    const SDL_Color* key = swatch.s->format->palette->colors;
    EXPECT_EQ((std::vector<int>{key[0].r, key[0].g, key[0].b, key[1].r, key[1].g, key[1].b}),
              (std::vector<int>{255, 0, 255, 0, 0, 0}));  // the colour key, then black
    for (int i = 1; i < 256; ++i) EXPECT_FALSE(key[i].r == 255 && key[i].g == 0 && key[i].b == 255) << i;
    const struct {
        const char* file;
        int w, h, seeThrough;  // percent of key pixels: none in full-screen pictures, or at least this
    } pictures[] = {
        {"a_logo.bmp", 320, 240, 0},      {"sys/fonts2.bmp", 100, 8, 5},          {"title/title1.bmp", 320, 240, 0},
        {"title/scl.bmp", 32, 4, 0},      {"title/stageselect.bmp", 320, 240, 0}, {"bak/bak.bmp", 320, 240, 0},
        {"player/ri0.bmp", 256, 224, 50}, {"player/clear.bmp", 320, 240, 50}};
    for (const auto& p : pictures) {
        SCOPED_TRACE(p.file);
        const Bmp img(p.file);
        ASSERT_TRUE(img.s && img.s->format->palette);
        EXPECT_EQ((std::vector<int>{img.s->format->BitsPerPixel, img.s->w, img.s->h}), (std::vector<int>{8, p.w, p.h}));
        const SDL_Color* own = img.s->format->palette->colors;
        int differ = 0;
        for (int i = 0; i < 256; i++) differ += own[i].r != key[i].r || own[i].g != key[i].g || own[i].b != key[i].b;
        EXPECT_EQ(differ, 0) << "palette entries unlike the shared palette";
        long keyed = 0;
        for (int y = 0; y < p.h; ++y)
            for (int x = 0; x < p.w; ++x) keyed += img.at(x, y) == 0;
        EXPECT_TRUE(p.seeThrough ? keyed * 100 >= long(p.seeThrough) * p.w * p.h : keyed == 0) << keyed;
    }
}

struct Heard {
    double seconds, peakDb, onsetSeconds;
    bool smoothSeam;  // the step from the last sample to the first is no bigger than the music's own steps
};

Heard Listen(const std::vector<float>& x) {
    Heard h{x.size() / 44100.0, -200, 0, false};
    size_t onset = x.size();
    for (size_t i = 0; i < x.size(); ++i) {
        h.peakDb = std::max(h.peakDb, 20.0 * std::log10(std::fabs(x[i]) + 1e-12));
        if (std::fabs(x[i]) >= 0.01f && onset == x.size()) onset = i;  // -40 dBFS
    }
    h.onsetSeconds = onset / 44100.0;
    std::vector<float> steps;
    for (size_t i = 1; i < 1024 && x.size() > 4096; ++i)
        steps.push_back(std::fabs(x[i] - x[i - 1])), steps.push_back(std::fabs(x[x.size() - i] - x[x.size() - i - 1]));
    std::sort(steps.begin(), steps.end());
    h.smoothSeam = !steps.empty() && std::fabs(x.front() - x.back()) <= 2 * steps[steps.size() * 9 / 10] + 1e-3f;
    return h;
}

// Effects as SDL_mixer hands them to the speakers: 16-bit stereo at 44.1 kHz.
TEST(Sounds, EffectsArePromptAndLoudWithoutClipping) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
    ASSERT_EQ(Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 4096), 0) << Mix_GetError();
    const struct {
        const char* name;
        double minSeconds, maxSeconds;
    } effects[] = {{"tavi", 0.8, 1.3}, {"hit1", 0.12, 0.3}, {"kan", 0.2, 0.45},
                   {"oo", 0.1, 0.22},  {"msg", 0.03, 0.15}, {"select", 0.01, 0.06},
                   {"sw", 0.15, 0.4},  {"jump", 0.15, 0.4}, {"puwa", 0.08, 0.3}};
    for (const auto& c : effects) {
        SCOPED_TRACE(c.name);
        Mix_Chunk* chunk = Mix_LoadWAV((kGame + "/sound/se/" + c.name + ".wav").c_str());
        ASSERT_NE(chunk, nullptr) << Mix_GetError();
        std::vector<float> left;
        for (size_t i = 0; i < chunk->alen / 4; ++i)
            left.push_back(reinterpret_cast<Sint16*>(chunk->abuf)[2 * i] / 32768.0f);
        Heard h = Listen(left);
        EXPECT_TRUE(h.seconds >= c.minSeconds && h.seconds <= c.maxSeconds) << h.seconds;
        EXPECT_TRUE(h.peakDb >= -24.0 && h.peakDb <= -9.5) << h.peakDb << ": levelled by loudness under one ceiling";
        EXPECT_LE(h.onsetSeconds, 0.005) << "a reaction game cannot afford dead air";
        Mix_FreeChunk(chunk);
    }
    Mix_CloseAudio();
    SDL_Quit();
}

TEST(Sounds, MusicDecodesAtItsLengthAndLoopsCleanly) {
    for (const char* name : {"01", "02", "03", "04", "05", "06", "07"}) {
        SCOPED_TRACE(name);
        OggVorbis_File vf;
        ASSERT_EQ(ov_fopen((kGame + "/sound/bgm/" + name + ".ogg").c_str(), &vf), 0);
        EXPECT_EQ(ov_info(&vf, -1)->rate, 44100);
        const long declared = long(ov_pcm_total(&vf, -1));
        std::vector<float> left;
        float** block = nullptr;
        int section = 0;
        for (long n; (n = ov_read_float(&vf, &block, 4096, &section)) > 0;)
            left.insert(left.end(), block[0], block[0] + n);
        ov_clear(&vf);
        EXPECT_EQ(long(left.size()), declared);
        Heard h = Listen(left);
        const bool game = name == std::string("02"), jingle = name == std::string("03");
        EXPECT_TRUE(h.seconds >= (game ? 20 : 8) && h.seconds <= (game ? 40 : 20)) << h.seconds;
        EXPECT_TRUE(h.peakDb > -20.0 && h.peakDb < -12.0) << h.peakDb << ": room left for the effects";
        EXPECT_TRUE(h.smoothSeam || jingle) << "a click where the music loops";
    }
}

}  // namespace
