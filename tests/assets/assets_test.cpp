// The generated pictures and sounds, checked for what a player notices:
// sizes, the shared palette and see-through parts; the length, loudness,
// onset and loop seam of every sound as the mixer plays it.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <png.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "platform/picture_files.h"
#include "sound/sound.h"

namespace {

const std::string kGame = GAME_DIR;

struct Bmp {
    explicit Bmp(const std::string& path) : s(SDL_LoadBMP((kGame + "/" + path).c_str())) {}
    ~Bmp() { SDL_FreeSurface(s); }
    int at(int x, int y) const { return static_cast<const uint8_t*>(s->pixels)[y * s->pitch + x]; }
    SDL_Surface* s;
};

TEST(Pictures, SizePaletteAndSeeThroughParts) {
    const Bmp swatch(kPalettePicture.path);
    ASSERT_TRUE(swatch.s && swatch.s->format->palette && swatch.s->format->palette->ncolors == 256);
    const SDL_Color* key = swatch.s->format->palette->colors;
    EXPECT_EQ((std::vector<int>{key[0].r, key[0].g, key[0].b, key[1].r, key[1].g, key[1].b}),
              (std::vector<int>{255, 0, 255, 0, 0, 0}));  // the colour key, then black
    for (int i = 1; i < 256; ++i) EXPECT_FALSE(key[i].r == 255 && key[i].g == 0 && key[i].b == 255) << i;
    const struct {
        const PictureFile& picture;
        int w, h, seeThrough;  // percent of key pixels: none in full-screen pictures, or at least this
    } pictures[] = {{kLogoPicture, 320, 240, 0},        {kFontPicture, 100, 8, 5},
                    {kTitlePicture, 320, 240, 0},       {kCursorPicture, 32, 4, 0},
                    {kStageSelectPicture, 320, 240, 0}, {kBackgroundPicture, 320, 240, 0},
                    {kPlayerPicture, 256, 224, 50},     {kResultPicture, 320, 240, 50}};
    EXPECT_EQ(std::size(pictures) + 1, std::size(kPictureFiles)) << "every picture but the palette is checked";
    for (const auto& p : pictures) {
        SCOPED_TRACE(p.picture.path);
        const Bmp img(p.picture.path);
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

// The desktop's and the home screen's icons: palette PNGs small enough for a
// phone to fetch at once, every size the 64-pixel icon with square pixels,
// see-through around the art and otherwise in the game's own colours.
TEST(Pictures, IconsAreSmallPalettePngsOfOneDrawing) {
    const Bmp swatch(kPalettePicture.path);
    ASSERT_TRUE(swatch.s && swatch.s->format->palette);
    std::set<uint32_t> ours = {0};  // see-through, or opaque in a colour of the palette (RGBA read little-endian)
    for (const SDL_Color& c :
         std::vector<SDL_Color>(swatch.s->format->palette->colors + 1, swatch.s->format->palette->colors + 256))
        ours.insert(0xff000000u | c.b << 16 | c.g << 8 | c.r);
    std::vector<uint32_t> first;
    for (int size : {64, 128, 192, 512}) {
        const std::string path =
            ICON_DIR + (size == 64 ? "/tavikoro.png" : "/tavikoro-" + std::to_string(size) + ".png");
        SCOPED_TRACE(path);
        EXPECT_LT(std::filesystem::file_size(path), 32u * 1024);
        png_image img{};
        img.version = PNG_IMAGE_VERSION;
        ASSERT_TRUE(png_image_begin_read_from_file(&img, path.c_str())) << img.message;
        EXPECT_TRUE((img.format & PNG_FORMAT_FLAG_COLORMAP) && img.width == png_uint_32(size) &&
                    img.height == img.width);
        img.format = PNG_FORMAT_RGBA;
        std::vector<uint32_t> px(size * size);
        ASSERT_TRUE(png_image_finish_read(&img, nullptr, px.data(), 0, nullptr)) << img.message;
        if (first.empty()) first = px;
        int unlike = 0, clear = 0;
        for (int i = 0; i < size * size; ++i) {
            unlike += px[i] != first[i / size * 64 / size * 64 + i % size * 64 / size] ||
                      !ours.count(px[i] >> 24 ? px[i] : 0);
            clear += px[i] >> 24 == 0;
        }
        EXPECT_EQ(unlike, 0) << "pixels unlike the 64-pixel icon or outside the palette";
        EXPECT_TRUE(px[0] >> 24 == 0 && clear * 10 < size * size * 9) << clear << ": see-through around the art only";
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
    // Seconds each effect may last, by slot.
    const double lengths[SE_COUNT][2] = {{0.8, 1.3},   {0.12, 0.3}, {0.2, 0.45}, {0.1, 0.22}, {0.03, 0.15},
                                         {0.01, 0.06}, {0.15, 0.4}, {0.15, 0.4}, {0.08, 0.3}};
    for (int e = 0; e < SE_COUNT; e++) {
        SCOPED_TRACE(kEffectFiles[e]);
        Mix_Chunk* chunk = Mix_LoadWAV((kGame + "/" + kEffectFiles[e]).c_str());
        ASSERT_NE(chunk, nullptr) << Mix_GetError();
        std::vector<float> left;
        for (size_t i = 0; i < chunk->alen / 4; ++i)
            left.push_back(reinterpret_cast<Sint16*>(chunk->abuf)[2 * i] / 32768.0f);
        Heard h = Listen(left);
        EXPECT_TRUE(h.seconds >= lengths[e][0] && h.seconds <= lengths[e][1]) << h.seconds;
        EXPECT_TRUE(h.peakDb >= -24.0 && h.peakDb <= -9.5) << h.peakDb << ": levelled by loudness under one ceiling";
        EXPECT_LE(h.onsetSeconds, 0.005) << "a reaction game cannot afford dead air";
        Mix_FreeChunk(chunk);
    }
    Mix_CloseAudio();
    SDL_Quit();
}

TEST(Sounds, MusicDecodesAtItsLengthAndLoopsCleanly) {
    for (int piece = 0; piece < kMusicPieces; piece++) {
        SCOPED_TRACE(kMusicFiles[piece]);
        OggVorbis_File vf;
        ASSERT_EQ(ov_fopen((kGame + "/" + kMusicFiles[piece]).c_str(), &vf), 0);
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
        const bool game = piece == kGameMusic, jingle = piece == 2;
        EXPECT_TRUE(h.seconds >= (game ? 20 : 8) && h.seconds <= (game ? 40 : 20)) << h.seconds;
        EXPECT_TRUE(h.peakDb > -20.0 && h.peakDb < -12.0) << h.peakDb << ": room left for the effects";
        EXPECT_TRUE(h.smoothSeam || jingle) << "a click where the music loops";
    }
}

}  // namespace
