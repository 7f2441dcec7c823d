// Checks the generated pictures against what the game and the desktop rely on.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t le(const Bytes& b, size_t at, int n) {
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | b.at(at + i);
    return v;
}

uint32_t be(const Bytes& b, size_t at) {
    return (uint32_t(b.at(at)) << 24) | (uint32_t(b.at(at + 1)) << 16) | (uint32_t(b.at(at + 2)) << 8) | b.at(at + 3);
}

struct Colour {
    int r, g, b;
    bool operator==(const Colour& o) const { return r == o.r && g == o.g && b == o.b; }
};

struct Bmp {
    int w = 0, h = 0, bits = 0;
    std::vector<Colour> palette;
    std::vector<uint8_t> px;  // top row first
    uint8_t at(int x, int y) const { return px[size_t(y) * w + x]; }
};

Bmp read_bmp(const std::string& name) {
    const Bytes b = slurp(std::string(GAME_IMAGE_DIR) + "/" + name);
    Bmp img;
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') {
        ADD_FAILURE() << name << " is missing or not a BMP";
        return img;
    }
    const uint32_t data = le(b, 10, 4), header = le(b, 14, 4);
    img.w = int(le(b, 18, 4));
    img.h = int(le(b, 22, 4));
    img.bits = int(le(b, 28, 2));
    EXPECT_EQ(header, 40u) << name;
    EXPECT_EQ(le(b, 30, 4), 0u) << name << " must be uncompressed";
    if (img.bits != 8 || img.w <= 0 || img.h <= 0) return img;
    const uint32_t count = le(b, 46, 4) ? le(b, 46, 4) : 256;
    for (uint32_t i = 0; i < count; ++i) {
        const size_t e = 14 + header + 4 * i;
        img.palette.push_back({b.at(e + 2), b.at(e + 1), b.at(e)});
    }
    const size_t stride = (size_t(img.w) + 3) & ~size_t(3);
    EXPECT_GE(b.size(), data + stride * img.h) << name << " is cut short";
    img.px.resize(size_t(img.w) * img.h);
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) img.px[size_t(y) * img.w + x] = b.at(data + (img.h - 1 - y) * stride + x);
    return img;
}

struct Picture {
    const char* file;
    int w, h;
    int seeThrough;  // share of key pixels, in percent: 0 for full-screen pictures, or at least this
};

const Picture pictures[] = {
    {"color.bmp", 16, 16, 0},         {"a_logo.bmp", 320, 240, 0},      {"sys/fonts2.bmp", 100, 8, 5},
    {"title/title1.bmp", 320, 240, 0}, {"title/scl.bmp", 32, 4, 0},      {"title/stageselect.bmp", 320, 240, 0},
    {"bak/bak.bmp", 320, 240, 0},      {"player/ri0.bmp", 256, 224, 50}, {"player/clear.bmp", 320, 240, 50},
};

struct Rect {
    int x, y, w, h;
    bool contains(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
};

int luma(Colour c) { return (299 * c.r + 587 * c.g + 114 * c.b) / 1000; }

std::set<int> colours_in(const Bmp& img, const Rect& r) {
    std::set<int> seen;
    for (int j = r.y; j < r.y + r.h; ++j)
        for (int i = r.x; i < r.x + r.w; ++i) seen.insert(img.at(i, j));
    return seen;
}

bool same_pixels(const Bmp& img, const Rect& a, const Rect& b) {
    for (int y = 0; y < a.h; ++y)
        for (int x = 0; x < a.w; ++x)
            if (img.at(a.x + x, a.y + y) != img.at(b.x + x, b.y + y)) return false;
    return true;
}

TEST(Pictures, SizePaletteAndTransparency) {
    const Bmp swatch = read_bmp("color.bmp");
    ASSERT_EQ(swatch.palette.size(), 256u);
    EXPECT_EQ(swatch.palette[0], (Colour{255, 0, 255}));  // the colour key, used once
    EXPECT_EQ(swatch.palette[1], (Colour{0, 0, 0}));
    for (int i = 1; i < 256; ++i) EXPECT_FALSE(swatch.palette[i] == swatch.palette[0]) << "entry " << i;
    for (const Picture& p : pictures) {
        SCOPED_TRACE(p.file);
        const Bmp img = read_bmp(p.file);
        EXPECT_EQ((std::vector<int>{img.bits, img.w, img.h}), (std::vector<int>{8, p.w, p.h}));
        EXPECT_TRUE(img.palette == swatch.palette);
        if (p.file == std::string("color.bmp")) continue;
        const long keyed = std::count(img.px.begin(), img.px.end(), 0);
        EXPECT_TRUE(p.seeThrough > 0 || keyed == 0) << "holes in a full-screen picture";
        EXPECT_GE(keyed * 100, long(p.seeThrough) * long(img.px.size()));
    }
}

// Sprites are drawn where the game cuts them out, differ where the game
// changes them, and nothing else is on the sheet.
TEST(Pictures, SpritesAndGlyphsAreWhereTheGameLooks) {
    const Bmp sheet = read_bmp("player/ri0.bmp");
    const Rect sprites[] = {
        {128, 0, 64, 96}, {192, 0, 64, 96},   // the woodcutter ready, chopping
        {96, 96, 64, 64}, {160, 96, 64, 64},  // the bird idle, signalling
        {0, 64, 32, 32},  {32, 64, 32, 32},   // the halves
        {0, 160, 96, 32}, {0, 192, 96, 32},   // the score and time panels
        {0, 32, 32, 32},                      // the log
    };
    ASSERT_EQ(sheet.w, 256);
    for (int i = 0; i < 9; i++) {
        EXPECT_GT(colours_in(sheet, sprites[i]).size(), 2u) << i << " looks empty";
        EXPECT_TRUE(i % 2 || i == 8 || !same_pixels(sheet, sprites[i], sprites[i + 1])) << i;
    }
    int strays = 0;
    for (int y = 0; y < sheet.h; ++y)
        for (int x = 0; x < sheet.w; ++x)
            strays += sheet.at(x, y) != 0 && std::none_of(std::begin(sprites), std::end(sprites),
                                                          [&](const Rect& r) { return r.contains(x, y); });
    EXPECT_EQ(strays, 0);
    const Bmp font = read_bmp("sys/fonts2.bmp");
    ASSERT_EQ(font.w, 100);
    for (int d = 0; d < 10; ++d) {
        std::set<int> luminance;
        for (int v : colours_in(font, {10 * d, 0, 10, 8}))
            if (v) luminance.insert(luma(font.palette[v]) / 60);
        EXPECT_TRUE(luminance.count(0) && luminance.count(3)) << d << ": no dark outline or bright face";
        for (int e = 0; e < d; ++e) EXPECT_FALSE(same_pixels(font, {10 * d, 0, 10, 8}, {10 * e, 0, 10, 8})) << d;
    }
}

// Where digits and the menu cursor are drawn, the picture underneath keeps them readable.
TEST(Pictures, ReadoutsStandOut) {
    const Bmp title = read_bmp("title/title1.bmp"), cursor = read_bmp("title/scl.bmp");
    const Bmp bak = read_bmp("bak/bak.bmp"), clear = read_bmp("player/clear.bmp");
    ASSERT_TRUE(title.w == 320 && cursor.w == 32 && bak.w == 320 && clear.w == 320);
    const std::set<int> bar = colours_in(cursor, {0, 0, 32, 4});
    for (int x : {66, 145, 224}) {
        EXPECT_GE(colours_in(title, {x, 176, 32, 11}).size(), 2u) << "no word above the cursor at " << x;
        const std::set<int> under = colours_in(title, {x, 188, 32, 4});
        EXPECT_TRUE(under.size() == 1u && !bar.count(*under.begin())) << "cursor lost at " << x;
    }
    for (const Rect& r : {Rect{120, 10, 90, 8}, Rect{150, 42, 20, 8}}) {
        const std::set<int> seen = colours_in(bak, r);
        EXPECT_LE(seen.size(), 3u);
        for (int v : seen) EXPECT_GT(luma(bak.palette[v]), 80) << "too dark for outlined digits";
    }
    const std::set<int> field = colours_in(clear, {190, 70, 80, 8});
    ASSERT_EQ(field.size(), 1u) << "the result's score field must be plain";
    EXPECT_LT(luma(clear.palette[*field.begin()]), 60);
}

TEST(Icons, ArePngsOfTheirSize) {
    for (uint32_t size : {64u, 128u}) {
        const Bytes b = slurp(std::string(ICON_DIR) + (size == 64 ? "/tavikoro.png" : "/tavikoro-128.png"));
        ASSERT_GT(b.size(), 33u);
        EXPECT_EQ(std::string(b.begin() + 1, b.begin() + 4) + std::string(b.begin() + 12, b.begin() + 16), "PNGIHDR");
        EXPECT_EQ(be(b, 16), size);
        EXPECT_EQ(be(b, 20), size);
        EXPECT_EQ(std::string(b.end() - 8, b.end() - 4), "IEND");
    }
}

}  // namespace
