#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/window_scale.h"

namespace {

struct Desktop {
    int width, height, factor;
};

TEST(WindowScale, FitsCommonDesktops) {
    const Desktop cases[] = {
        {3840, 2160, 8},  // 4K: 2560 x 1920 window
        {2560, 1600, 6},
        {2560, 1440, 5},
        {1920, 1200, 4},
        {1920, 1080, 4},  // 960 high leaves 120 for bar and panel
        {1280, 1024, 3},
        {1600, 900, 3},
        {1366, 768, 2},   // 720 would leave too little for a panel
        {1024, 768, 2},
        {1280, 720, 2},
        {5120, 1080, 4},  // ultra-wide: height decides
        {1080, 1920, 3},  // portrait: width decides
    };
    for (const Desktop& d : cases)
        EXPECT_EQ(ChooseWindowScale(d.width, d.height), d.factor) << d.width << "x" << d.height;
}

TEST(WindowScale, NeverBelowTwoAndThreeWhenUnknown) {
    const Desktop cases[] = {
        {800, 600, 2}, {640, 480, 2}, {320, 240, 2}, {1, 1, 2},
        {0, 0, 3},     {0, 1080, 3},  {1920, 0, 3},  {-1, -1, 3},
    };
    for (const Desktop& d : cases)
        EXPECT_EQ(ChooseWindowScale(d.width, d.height), d.factor) << d.width << "x" << d.height;
}

TEST(WindowScale, ChosenWindowLeavesRoomOnScreen) {
    for (int h = 600; h <= 2400; h += 8)
        for (int w = h; w <= 3 * h; w += 64) {
            int f = ChooseWindowScale(w, h);
            if (f == 2) continue;  // the floor may overflow tiny screens on purpose
            EXPECT_LE(320 * f, w - 32) << w << "x" << h;
            EXPECT_LE(240 * f, h - 96) << w << "x" << h;
            // and one step bigger would not have fitted
            EXPECT_TRUE(320 * (f + 1) > w - 32 || 240 * (f + 1) > h - 96) << w << "x" << h;
        }
}

struct EnvCase {
    const char* scaling;  // what the user set, or null
    const char* method;
    const char* wantScaling;  // after start-up
    const char* wantMethod;
};

TEST(WindowScale, UserSettingsWinAndHeadlessStaysUnscaled) {
    const EnvCase cases[] = {
        {"5", "linear", "5", "linear"},
        {"1", nullptr, "1", "nearest"},
        {nullptr, "linear", nullptr, "linear"},  // dummy video: nothing to see, no scaling
        {nullptr, nullptr, nullptr, "nearest"},
    };
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    for (const EnvCase& c : cases) {
        unsetenv("SDL12COMPAT_WINDOW_SCALING");
        unsetenv("SDL12COMPAT_SCALE_METHOD");
        if (c.scaling) setenv("SDL12COMPAT_WINDOW_SCALING", c.scaling, 1);
        if (c.method) setenv("SDL12COMPAT_SCALE_METHOD", c.method, 1);
        SetUpWindowScale();
        const char* scaling = std::getenv("SDL12COMPAT_WINDOW_SCALING");
        const char* method = std::getenv("SDL12COMPAT_SCALE_METHOD");
        std::string label = std::string(c.scaling ? c.scaling : "-") + "/" + (c.method ? c.method : "-");
        EXPECT_EQ(scaling ? std::string(scaling) : "", c.wantScaling ? c.wantScaling : "") << label;
        EXPECT_EQ(method ? std::string(method) : "", c.wantMethod) << label;
    }
}

}  // namespace
