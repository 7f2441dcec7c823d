// Keyboard and joystick into the 20 key slots.
#include <SDL.h>
#include <gtest/gtest.h>

#include <set>

#include "harness/harness.h"
#include "harness/pictures.h"
#include "platform/input.h"
#include "platform/seams.h"

namespace {

int g_axes[2];
int g_buttons[10];
bool g_padPresent;
bool FakePad(int axes[2], int buttons[10]) {
    if (!g_padPresent) return false;
    for (int a = 0; a < 2; a++) axes[a] = g_axes[a];
    for (int b = 0; b < 10; b++) buttons[b] = g_buttons[b];
    return true;
}

struct Input : ::testing::Test {
    void SetUp() override {
        harness::OpenScreen();
        KeyInit();
        g_seams.pad = FakePad;
        Release();
    }
    void TearDown() override {
        Release();
        ResetSeams();
        closePAD();
        harness::CloseScreen();
    }
    void Release() {
        int count = 0;
        Uint8* keys = SDL_GetKeyState(&count);
        for (int i = 0; i < count; i++) keys[i] = 0;
        g_padPresent = false;
        g_axes[0] = g_axes[1] = 0;
        for (int& b : g_buttons) b = 0;
    }
    std::set<int> Held() {
        std::set<int> held;
        for (int s = 0; s < kKeySlots; s++)
            if (IsPressKey(s)) held.insert(s);
        return held;
    }
};

TEST_F(Input, EachSourceFeedsItsSlot) {
    struct Source {
        int key;        // SDLK code, or 0
        int button;     // joystick button, or -1
        int axis, value;  // joystick axis, or -1
        std::set<int> slots;
    };
    const Source sources[] = {
        {SDLK_UP, -1, -1, 0, {0}},       {SDLK_KP8, -1, -1, 0, {0}},      {SDLK_LEFT, -1, -1, 0, {2}},
        {SDLK_KP4, -1, -1, 0, {2}},      {SDLK_DOWN, -1, -1, 0, {4}},     {SDLK_KP2, -1, -1, 0, {4}},
        {SDLK_RIGHT, -1, -1, 0, {6}},    {SDLK_KP6, -1, -1, 0, {6}},      {SDLK_z, -1, -1, 0, {12}},
        {SDLK_c, -1, -1, 0, {14}},       {SDLK_x, -1, -1, 0, {15}},       {SDLK_ESCAPE, -1, -1, 0, {19}},
        {SDLK_a, -1, -1, 0, {}},         {SDLK_RETURN, -1, -1, 0, {}},
        {0, 0, -1, 0, {12}},             {0, 1, -1, 0, {15}},             {0, 2, -1, 0, {14}},
        {0, 3, -1, 0, {13}},             {0, 4, -1, 0, {11}},             {0, 5, -1, 0, {10}},
        {0, 6, -1, 0, {17}},             {0, 7, -1, 0, {16}},             {0, 8, -1, 0, {9}},
        {0, 9, -1, 0, {8}},
        {0, -1, 0, 16385, {6}},          {0, -1, 0, 16384, {}},           {0, -1, 0, -16385, {2}},
        {0, -1, 0, -16384, {}},          {0, -1, 1, 16385, {4}},          {0, -1, 1, 16384, {}},
        {0, -1, 1, -16385, {0}},         {0, -1, 1, -16384, {}},
    };
    for (const Source& s : sources) {
        Release();
        KeyInput();
        if (s.key) SDL_GetKeyState(nullptr)[s.key] = 1;
        if (s.button >= 0 || s.axis >= 0) g_padPresent = true;
        if (s.button >= 0) g_buttons[s.button] = 1;
        if (s.axis >= 0) g_axes[s.axis] = s.value;
        KeyInput();
        EXPECT_EQ(Held(), s.slots) << "key " << s.key << " button " << s.button << " axis " << s.axis;
        for (int slot : s.slots) EXPECT_EQ(IsPushKey(slot), 1);
    }
}

TEST_F(Input, PushIsOnlyTheFirstSampleOfAHold) {
    SDL_GetKeyState(nullptr)[SDLK_z] = 1;
    KeyInput();
    EXPECT_EQ(IsPushOKKey(), 1);
    for (int i = 0; i < 5; i++) {
        KeyInput();
        EXPECT_EQ(IsPushOKKey(), 0);
        EXPECT_EQ(IsPressKey(12), 1);
    }
    g_padPresent = true;
    g_buttons[0] = 1;  // same slot, still held: no second push
    KeyInput();
    EXPECT_EQ(IsPushOKKey(), 0);
    SDL_GetKeyState(nullptr)[SDLK_z] = 0;
    g_buttons[0] = 0;
    KeyInput();
    EXPECT_EQ(IsPressKey(12), 0);
    SDL_GetKeyState(nullptr)[SDLK_z] = 1;
    KeyInput();
    EXPECT_EQ(IsPushOKKey(), 1);
}

TEST_F(Input, OppositeDirectionsAreHeldTogether) {
    Uint8* keys = SDL_GetKeyState(nullptr);
    keys[SDLK_UP] = keys[SDLK_DOWN] = keys[SDLK_LEFT] = 1;
    g_padPresent = true;
    g_axes[0] = 20000;
    KeyInput();
    EXPECT_EQ(Held(), (std::set<int>{0, 2, 4, 6}));
}

TEST_F(Input, UnusedAndOutOfRangeSlotsAreNeverHeld) {
    Uint8* keys = SDL_GetKeyState(nullptr);
    for (int k : {SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT, SDLK_z, SDLK_x, SDLK_c, SDLK_ESCAPE}) keys[k] = 1;
    g_padPresent = true;
    for (int& b : g_buttons) b = 1;
    KeyInput();
    for (int slot : {1, 3, 5, 7, 18, -1, 20, 1000, -2147483647 - 1, 2147483647}) {
        EXPECT_EQ(IsPressKey(slot), 0) << slot;
        EXPECT_EQ(IsPushKey(slot), 0) << slot;
    }
    EXPECT_EQ(IsPushCancelKey(), 1);
}

TEST_F(Input, WithoutAJoystickOnlyTheKeyboardCounts) {
    g_seams.pad = nullptr;
    KeyInput();
    EXPECT_TRUE(Held().empty());
}

}  // namespace
