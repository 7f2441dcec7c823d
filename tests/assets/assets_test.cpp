// The generated pictures and sounds, checked for what a player notices:
// sizes, the shared palette, see-through parts, sprites where the game cuts
// them, readable digits; and the length, loudness, onset and loop seam of
// every sound as the mixer plays it.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

namespace {

const std::string kGame = GAME_DIR;

struct Rect {
    int x, y, w, h;
};

struct Bmp {
    explicit Bmp(const std::string& file) : s(SDL_LoadBMP((kGame + "/image/" + file).c_str())) {}
    ~Bmp() { SDL_FreeSurface(s); }
    int at(int x, int y) const { return static_cast<const uint8_t*>(s->pixels)[y * s->pitch + x]; }
    int luma(int i) const {
        const SDL_Color& c = s->format->palette->colors[i];
        return (299 * c.r + 587 * c.g + 114 * c.b) / 1000;
    }
    std::set<int> in(const Rect& r) const {
        std::set<int> seen;
        for (int y = r.y; y < r.y + r.h; ++y)
            for (int x = r.x; x < r.x + r.w; ++x) seen.insert(at(x, y));
        return seen;
    }
    bool same(const Rect& a, const Rect& b) const {
        for (int y = 0; y < a.h; ++y)
            for (int x = 0; x < a.w; ++x)
                if (at(a.x + x, a.y + y) != at(b.x + x, b.y + y)) return false;
        return true;
    }
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
        {"a_logo.bmp", 320, 240, 0},       {"sys/fonts2.bmp", 100, 8, 5}, {"title/title1.bmp", 320, 240, 0},
        {"title/scl.bmp", 32, 4, 0},        {"title/stageselect.bmp", 320, 240, 0},
        {"bak/bak.bmp", 320, 240, 0},       {"player/ri0.bmp", 256, 224, 50}, {"player/clear.bmp", 320, 240, 50},
    };
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

TEST(Pictures, SpritesGlyphsAndReadoutsAreWhereTheGameLooks) {
    const Bmp sheet("player/ri0.bmp"), font("sys/fonts2.bmp"), title("title/title1.bmp"), cursor("title/scl.bmp"),
        bak("bak/bak.bmp"), clear("player/clear.bmp");
    const Rect sprites[] = {
        {128, 0, 64, 96}, {192, 0, 64, 96},   // the woodcutter ready, chopping
        {96, 96, 64, 64}, {160, 96, 64, 64},  // the bird idle, signalling
        {0, 64, 32, 32},  {32, 64, 32, 32},   // the halves
        {0, 160, 96, 32}, {0, 192, 96, 32},   // the score and time panels
        {0, 32, 32, 32},                      // the log
    };
    for (int i = 0; i < 9; i++) {
        EXPECT_GT(sheet.in(sprites[i]).size(), 2u) << i << " looks empty";
        EXPECT_TRUE(i % 2 || i == 8 || !sheet.same(sprites[i], sprites[i + 1])) << i << " looks like its pair";
    }
    for (int d = 0; d < 10; ++d) {
        std::set<int> shades;  // a dark outline and a bright face
        for (int v : font.in({10 * d, 0, 10, 8})) shades.insert(v ? font.luma(v) / 60 : -1);
        EXPECT_TRUE(shades.count(0) && shades.count(3)) << d;
        for (int e = 0; e < d; ++e) EXPECT_FALSE(font.same({10 * d, 0, 10, 8}, {10 * e, 0, 10, 8})) << d;
    }
    // Each menu word sits over its cursor on a plain strip of another colour.
    const std::set<int> bar = cursor.in({0, 0, 32, 4});
    for (int x : {66, 145, 224}) {
        EXPECT_GE(title.in({x, 176, 32, 11}).size(), 2u) << "no word above the cursor at " << x;
        const std::set<int> under = title.in({x, 188, 32, 4});
        EXPECT_TRUE(under.size() == 1u && !bar.count(*under.begin())) << "cursor lost at " << x;
    }
    // Outlined digits need calm light ground in play and a plain dark field in the result.
    for (const Rect& r : {Rect{120, 10, 90, 8}, Rect{150, 42, 20, 8}}) {
        EXPECT_LE(bak.in(r).size(), 3u);
        for (int v : bak.in(r)) EXPECT_GT(bak.luma(v), 80);
    }
    const std::set<int> field = clear.in({190, 70, 80, 8});
    EXPECT_TRUE(field.size() == 1u && clear.luma(*field.begin()) < 60);
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
    } effects[] = {
        {"tavi", 0.8, 1.3},     {"hit1", 0.12, 0.3}, {"kan", 0.2, 0.45},  {"oo", 0.1, 0.22},   {"msg", 0.03, 0.15},
        {"select", 0.01, 0.06}, {"sw", 0.15, 0.4},   {"jump", 0.15, 0.4}, {"puwa", 0.08, 0.3},
    };
    for (const auto& c : effects) {
        SCOPED_TRACE(c.name);
        Mix_Chunk* chunk = Mix_LoadWAV((kGame + "/sound/se/" + c.name + ".wav").c_str());
        ASSERT_NE(chunk, nullptr) << Mix_GetError();
        std::vector<float> left;
        for (size_t i = 0; i < chunk->alen / 4; ++i) left.push_back(reinterpret_cast<Sint16*>(chunk->abuf)[2 * i] / 32768.0f);
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
        for (long n; (n = ov_read_float(&vf, &block, 4096, &section)) > 0;) left.insert(left.end(), block[0], block[0] + n);
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
