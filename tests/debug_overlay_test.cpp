// The column of counters that "debug.txt" switches on over the play screen.
#include <SDL.h>
#include <gtest/gtest.h>

#include <fstream>

#include "act/act_internal.h"
#include "harness/harness.h"
#include "harness/pictures.h"

using harness::DigitsOnScreen;

namespace {

constexpr int kFirstPlayFrame = 8;  // logo and title passed as fast as they allow, two start frames
constexpr int kStartFrame = kFirstPlayFrame - 1;

std::vector<std::string> Rows() {
    std::vector<std::string> rows;
    for (int r = 0; r < 7; r++) rows.push_back(DigitsOnScreen(kFontSlot, 10, 10 + 10 * r, 8));
    return rows;
}

// The overlay's rows in the last start frame and in play frame 130.
std::pair<std::vector<std::string>, std::vector<std::string>> RunWith(const char* debugText) {
    harness::GameDir dir;
    if (debugText) std::ofstream(dir.File("debug.txt")) << debugText;
    harness::Script s;
    s.Push(3, SDLK_z).Push(5, SDLK_z).Push(kFirstPlayFrame + 131, SDLK_ESCAPE);
    std::vector<std::string> start, play;
    s.onPresent = [&](int frame) {
        if (frame == kStartFrame) start = Rows();
        if (frame == kFirstPlayFrame + 129) play = Rows();
    };
    harness::RunGame(dir, s);
    return {start, play};
}

TEST(DebugOverlay, ShowsTheCountersAndBothAnglesWhenSwitchedOn) {
    auto [start, play] = RunWith("DebugDisp=1\n");
    const std::vector<std::string> zeros = {"00000000", "00000000", "00000000", "00000000",
                                            "00000000", "00032768", "00032768"};
    EXPECT_EQ(start, zeros);
    // Play frame 130: the signal opened in frame 121, so 9 frames waited and 50 left.
    const std::vector<std::string> open = {"00000009", "00000050", "00000000", "00000000",
                                           "00000000", "00032768", "00032768"};
    EXPECT_EQ(play, open);
}

TEST(DebugOverlay, StaysOffWithoutAUsableLine) {
    for (const char* text : {static_cast<const char*>(nullptr), "DebugDisp=0\n", "MyDebugDisplay\nDebugDisp=1\n",
                             "DebugDisp = 1\n"}) {
        auto [start, play] = RunWith(text);
        ASSERT_EQ(play.size(), 7u);
        for (const std::string& row : play) EXPECT_NE(row.find('?'), std::string::npos) << (text ? text : "no file");
    }
}

}  // namespace
