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
    bool covers_screen;
};

const Picture pictures[] = {
    {"color.bmp", 16, 16, false},          {"a_logo.bmp", 320, 240, true},
    {"sys/fonts2.bmp", 100, 8, false},     {"title/title1.bmp", 320, 240, true},
    {"title/scl.bmp", 32, 4, true},        {"title/stageselect.bmp", 320, 240, true},
    {"bak/bak.bmp", 320, 240, true},       {"player/ri0.bmp", 256, 224, false},
    {"player/clear.bmp", 320, 240, false},
};

struct Rect {
    const char* what;
    int x, y, w, h;
    bool contains(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
};

const Rect sheet_rects[] = {
    {"woodcutter ready", 128, 0, 64, 96}, {"woodcutter chop", 192, 0, 64, 96},
    {"bird idle", 96, 96, 64, 64},        {"bird signal", 160, 96, 64, 64},
    {"log", 0, 32, 32, 32},               {"left half", 0, 64, 32, 32},
    {"right half", 32, 64, 32, 32},       {"score panel", 0, 160, 96, 32},
    {"time panel", 0, 192, 96, 32},
};

int luma(Colour c) { return (299 * c.r + 587 * c.g + 114 * c.b) / 1000; }

std::set<int> colours_in(const Bmp& img, int x, int y, int w, int h) {
    std::set<int> seen;
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) seen.insert(img.at(i, j));
    return seen;
}

bool same_pixels(const Bmp& img, const Rect& a, const Rect& b) {
    for (int y = 0; y < a.h; ++y)
        for (int x = 0; x < a.w; ++x)
            if (img.at(a.x + x, a.y + y) != img.at(b.x + x, b.y + y)) return false;
    return true;
}

TEST(Pictures, AreEightBitWithTheSharedPaletteAndRightSize) {
    const Bmp swatch = read_bmp("color.bmp");
    ASSERT_EQ(swatch.palette.size(), 256u);
    for (const Picture& p : pictures) {
        SCOPED_TRACE(p.file);
        const Bmp img = read_bmp(p.file);
        EXPECT_EQ(img.bits, 8);
        EXPECT_EQ(img.w, p.w);
        EXPECT_EQ(img.h, p.h);
        EXPECT_TRUE(img.palette == swatch.palette);
    }
}

TEST(Pictures, PaletteHasTheColourKeyOnceAndBlackSecond) {
    const Bmp swatch = read_bmp("color.bmp");
    ASSERT_EQ(swatch.palette.size(), 256u);
    EXPECT_EQ(swatch.palette[0], (Colour{255, 0, 255}));
    EXPECT_EQ(swatch.palette[1], (Colour{0, 0, 0}));
    for (int i = 1; i < 256; ++i) EXPECT_FALSE(swatch.palette[i] == swatch.palette[0]) << "entry " << i;
    for (int i = 0; i < 256; ++i) EXPECT_EQ(swatch.at(i % 16, i / 16), i);
}

TEST(Pictures, FullScreenOnesHaveNoSeeThroughHoles) {
    for (const Picture& p : pictures) {
        if (!p.covers_screen) continue;
        SCOPED_TRACE(p.file);
        const Bmp img = read_bmp(p.file);
        ASSERT_FALSE(img.px.empty());
        EXPECT_EQ(colours_in(img, 0, 0, img.w, img.h).count(0), 0u);
    }
}

TEST(SpriteSheet, EverySpriteIsDrawnAndNothingSpillsOutside) {
    const Bmp sheet = read_bmp("player/ri0.bmp");
    ASSERT_EQ(sheet.w, 256);
    ASSERT_EQ(sheet.h, 224);
    for (const Rect& r : sheet_rects) {
        const auto seen = colours_in(sheet, r.x, r.y, r.w, r.h);
        EXPECT_TRUE(seen.size() > 2) << r.what << " looks empty";
        EXPECT_TRUE(seen.count(0)) << r.what << " fills its whole box";
    }
    int strays = 0;
    for (int y = 0; y < sheet.h; ++y)
        for (int x = 0; x < sheet.w; ++x) {
            bool inside = false;
            for (const Rect& r : sheet_rects) inside = inside || r.contains(x, y);
            if (!inside && sheet.at(x, y) != 0) ++strays;
        }
    EXPECT_EQ(strays, 0);
}

TEST(SpriteSheet, PosesDifferSoTheSignalAndTheChopShow) {
    const Bmp sheet = read_bmp("player/ri0.bmp");
    ASSERT_EQ(sheet.w, 256);
    EXPECT_FALSE(same_pixels(sheet, sheet_rects[0], sheet_rects[1]));
    EXPECT_FALSE(same_pixels(sheet, sheet_rects[2], sheet_rects[3]));
    EXPECT_FALSE(same_pixels(sheet, sheet_rects[5], sheet_rects[6]));
    EXPECT_FALSE(same_pixels(sheet, sheet_rects[7], sheet_rects[8]));
}

TEST(DigitFont, TenDistinctReadableGlyphs) {
    const Bmp font = read_bmp("sys/fonts2.bmp");
    ASSERT_EQ(font.w, 100);
    ASSERT_EQ(font.h, 8);
    for (int d = 0; d < 10; ++d) {
        SCOPED_TRACE("digit " + std::to_string(d));
        const Rect cell{"", 10 * d, 0, 10, 8};
        bool bright = false, dark = false, clear = false;
        for (int y = 0; y < 8; ++y)
            for (int x = cell.x; x < cell.x + 10; ++x) {
                const uint8_t v = font.at(x, y);
                clear = clear || v == 0;
                if (v == 0) continue;
                bright = bright || luma(font.palette[v]) > 180;
                dark = dark || luma(font.palette[v]) < 60;
            }
        EXPECT_TRUE(bright && dark && clear);
        for (int e = 0; e < d; ++e) EXPECT_FALSE(same_pixels(font, cell, Rect{"", 10 * e, 0, 10, 8})) << "same as " << e;
    }
}

TEST(TitleScreen, EachMenuWordSitsOverItsCursorOnAPlainStrip) {
    const Bmp title = read_bmp("title/title1.bmp");
    const Bmp cursor = read_bmp("title/scl.bmp");
    ASSERT_EQ(title.w, 320);
    ASSERT_EQ(cursor.w, 32);
    const std::set<int> bar = colours_in(cursor, 0, 0, 32, 4);
    for (int x : {66, 145, 224}) {
        SCOPED_TRACE("cursor at x " + std::to_string(x));
        EXPECT_GE(colours_in(title, x, 176, 32, 11).size(), 2u) << "no word above the cursor";
        const std::set<int> under = colours_in(title, x, 188, 32, 4);
        EXPECT_EQ(under.size(), 1u) << "busy strip under the cursor";
        EXPECT_EQ(bar.count(*under.begin()), 0u) << "cursor would vanish";
    }
    bool bright = false;
    for (int v : bar) bright = bright || luma(cursor.palette[v]) > 180;
    EXPECT_TRUE(bright);
}

TEST(PlayField, ReadOutAreasAreCalmAndLight) {
    const Bmp bak = read_bmp("bak/bak.bmp");
    ASSERT_EQ(bak.w, 320);
    const Rect readouts[] = {{"score digits", 120, 10, 90, 8}, {"seconds", 150, 42, 20, 8}};
    for (const Rect& r : readouts) {
        const std::set<int> seen = colours_in(bak, r.x, r.y, r.w, r.h);
        EXPECT_LE(seen.size(), 3u) << r.what;
        for (int v : seen) EXPECT_GT(luma(bak.palette[v]), 80) << r.what << " too dark for outlined digits";
    }
}

TEST(ResultBanner, ShowsPlayAroundAndHasAnEmptyDarkScoreField) {
    const Bmp clear = read_bmp("player/clear.bmp");
    ASSERT_EQ(clear.w, 320);
    ASSERT_EQ(clear.h, 240);
    const std::set<int> field = colours_in(clear, 190, 70, 80, 8);
    ASSERT_EQ(field.size(), 1u) << "score field must be plain";
    EXPECT_NE(*field.begin(), 0);
    EXPECT_LT(luma(clear.palette[*field.begin()]), 60);
    int see_through = 0;
    for (uint8_t v : clear.px) see_through += v == 0;
    EXPECT_GT(see_through, 320 * 240 / 2);
    for (auto [x, y] : std::array<std::pair<int, int>, 4>{{{0, 0}, {319, 0}, {0, 239}, {319, 239}}})
        EXPECT_EQ(clear.at(x, y), 0) << x << "," << y;
}

uint32_t crc32(const uint8_t* p, size_t n) {
    uint32_t c = 0xffffffffu;
    for (size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
    }
    return ~c;
}

TEST(Icons, AreValidPngsOfTheirSize) {
    const struct { const char* file; uint32_t size; } icons[] = {{"tavikoro.png", 64}, {"tavikoro-128.png", 128}};
    const uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    for (const auto& icon : icons) {
        SCOPED_TRACE(icon.file);
        const Bytes b = slurp(std::string(ICON_DIR) + "/" + icon.file);
        ASSERT_GT(b.size(), 33u);
        EXPECT_TRUE(std::equal(signature, signature + 8, b.begin()));
        EXPECT_EQ(std::string(b.begin() + 12, b.begin() + 16), "IHDR");
        EXPECT_EQ(be(b, 16), icon.size);
        EXPECT_EQ(be(b, 20), icon.size);
        std::vector<std::string> order;
        for (size_t at = 8; at + 12 <= b.size();) {
            const uint32_t len = be(b, at);
            ASSERT_LE(at + 12 + len, b.size()) << "chunk runs past the end";
            order.emplace_back(b.begin() + at + 4, b.begin() + at + 8);
            EXPECT_EQ(crc32(&b[at + 4], len + 4), be(b, at + 8 + len)) << order.back();
            at += 12 + len;
        }
        ASSERT_FALSE(order.empty());
        EXPECT_EQ(order.back(), "IEND");
        EXPECT_GT(std::count(order.begin(), order.end(), "IDAT"), 0);
    }
}

}  // namespace
