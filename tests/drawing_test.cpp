// Pictures in slots and what they put on the screen.
#include <gtest/gtest.h>

#include <filesystem>

#include "harness/harness.h"
#include "harness/pictures.h"
#include "platform/surfaces.h"

using harness::ScreenPixel;

namespace {

constexpr int kFont = 18;
constexpr int kGlyphBase = 10;  // digit d is painted in palette index 10 + d

struct Drawing : ::testing::Test {
    void SetUp() override {
        home = std::filesystem::current_path();
        std::filesystem::current_path(dir.path);
        harness::OpenScreen();
        // Glyphs with a transparent border column, so neighbours can be told apart.
        harness::MakeBmp("font.bmp", 100, 8, [](int x, int) { return x % 10 == 9 ? 0 : kGlyphBase + x / 10; });
        ASSERT_EQ(LoadBitmap("font.bmp", kFont, 1), 0);
        ClearSecondary();
    }
    void TearDown() override {
        harness::CloseScreen();
        std::filesystem::current_path(home);
    }
    // The digits drawn in a row of 10-pixel glyphs starting at x; -1 where nothing was drawn.
    std::string DigitsAt(int x, int y, int count) {
        std::string digits;
        for (int i = 0; i < count; i++) {
            int p = ScreenPixel(x + 10 * i, y);
            digits += p >= kGlyphBase && p < kGlyphBase + 10 ? static_cast<char>('0' + p - kGlyphBase) : '.';
        }
        return digits;
    }
    harness::GameDir dir;
    std::filesystem::path home;
};

TEST_F(Drawing, NumbersAreZeroPaddedFieldsOfTheirLowestDigits) {
    struct Case {
        int value, digits;
        const char* shown;  // from x = 0, six glyph places
    };
    const Case cases[] = {
        {7, 3, "007..."},     {-42, 2, "42...."},   {12345, 3, "345..."}, {0, 1, "0....."},
        {5, 0, "......"},     {-7, -3, "......"},   {1000, 4, "1000.."},  {2147483647, 6, "483647"},
        {INT32_MIN, 6, "483648"},
    };
    for (const Case& c : cases) {
        ClearSecondary();
        BltNumericImage(c.value, c.digits, 0, 100, kFont, 0, 0, 10, 8);
        EXPECT_EQ(DigitsAt(0, 100, 6), c.shown) << c.value << " in " << c.digits;
    }
}

TEST_F(Drawing, WideFieldsPadWithZerosBeyondTenDigits) {
    BltNumericImage(INT32_MIN, 12, 0, 0, kFont, 0, 0, 10, 8);
    EXPECT_EQ(DigitsAt(0, 0, 12), "002147483648");
    BltNumericImage(1, 1000000, 0, 20, kFont, 0, 0, 10, 8);  // runs off screen without harm
    EXPECT_EQ(DigitsAt(0, 20, 3), "000");
}

TEST_F(Drawing, SecondFieldShiftsByTheDigitCountNeverByTheValue) {
    BltNumericImage2(5, 2, 0, 0, kFont, 0, 0, 10, 8);
    EXPECT_EQ(DigitsAt(0, 0, 3), "05.");
    BltNumericImage2(5, 4, 0, 20, kFont, 0, 0, 10, 8);
    EXPECT_EQ(DigitsAt(0, 20, 6), "..0005");
    BltNumericImage2(12345678, 8, 0, 40, kFont, 0, 0, 10, 8);
    BltNumericImage2(1, 8, 0, 60, kFont, 0, 0, 10, 8);
    EXPECT_EQ(DigitsAt(60, 40, 8), "12345678");
    EXPECT_EQ(DigitsAt(60, 60, 8), "00000001");
}

TEST_F(Drawing, GlyphsSitExactlyInTheirCells) {
    BltNumericImage(9, 1, 20, 30, kFont, 0, 0, 10, 8);
    EXPECT_EQ(ScreenPixel(20, 30), kGlyphBase + 9);
    EXPECT_EQ(ScreenPixel(28, 37), kGlyphBase + 9);
    EXPECT_EQ(ScreenPixel(29, 30), 1) << "the keyed border column shows the black behind";
    EXPECT_EQ(ScreenPixel(20, 38), 1);
    EXPECT_EQ(ScreenPixel(19, 30), 1);
}

TEST_F(Drawing, ColourKeyIsFoundThroughTheDisplayPalette) {
    // The picture's palette is the display's moved by five: its entry 0 is
    // the display's entry 5, so its pixels of index 5 are the see-through ones.
    harness::MakeBmp("keyed.bmp", 3, 1, [](int x, int) { return x == 0 ? 0 : x == 1 ? 5 : 50; }, 5);
    ASSERT_EQ(LoadBitmap("keyed.bmp", 4, 1), 0);
    ASSERT_EQ(LoadBitmap("keyed.bmp", 5, 0), 0);
    Blt(4, 0, 0);
    Blt(5, 0, 1);
    EXPECT_EQ((std::vector<int>{ScreenPixel(0, 0), ScreenPixel(1, 0), ScreenPixel(2, 0)}), (std::vector<int>{5, 1, 55}));
    EXPECT_EQ((std::vector<int>{ScreenPixel(0, 1), ScreenPixel(1, 1), ScreenPixel(2, 1)}), (std::vector<int>{5, 10, 55}));
}

TEST_F(Drawing, BlitsClipAtTheEdgesAndAcceptNegativePositions) {
    harness::MakeBmp("block.bmp", 8, 8, [](int, int) { return 77; });
    ASSERT_EQ(LoadBitmap("block.bmp", 6, 1), 0);
    EXPECT_EQ(Blt(6, -4, -4), 0);
    EXPECT_EQ(ScreenPixel(0, 0), 77);
    EXPECT_EQ(ScreenPixel(3, 3), 77);
    EXPECT_EQ(ScreenPixel(4, 4), 1);
    Blt(6, 316, 236);
    EXPECT_EQ(ScreenPixel(319, 239), 77);
    BltRect(6, 100, 100, 2, 2, 3, 2);  // destination first, then the source corner
    EXPECT_EQ(ScreenPixel(102, 101), 77);
    EXPECT_EQ(ScreenPixel(103, 101), 1);
    EXPECT_EQ(ScreenPixel(100, 102), 1);
}

TEST_F(Drawing, EmptyOrLostSlotsDrawNothing) {
    harness::MakeBmp("block.bmp", 8, 8, [](int, int) { return 77; });
    ASSERT_EQ(LoadBitmap("block.bmp", 7, 1), 0);
    EXPECT_EQ(LoadBitmap("missing.bmp", 7, 1), -1);
    EXPECT_EQ(bitmap[7], nullptr) << "the old picture is gone";
    EXPECT_EQ(Blt(7, 0, 0), -1);
    BltRect(7, 0, 0, 0, 0, 8, 8);
    EXPECT_EQ(Blt(200, 0, 0), -1);
    EXPECT_EQ(LoadBitmap("block.bmp", -1, 1), -1);
    for (int y = 0; y < 8; y++) EXPECT_EQ(ScreenPixel(y, y), 1);
}

TEST_F(Drawing, ClearingPaintsTheEntryNearestBlack) {
    Blt(kFont, 0, 0);
    ClearSecondary();
    for (int y : {0, 120, 239})
        for (int x : {0, 160, 319}) EXPECT_EQ(ScreenPixel(x, y), 1);
}

}  // namespace
